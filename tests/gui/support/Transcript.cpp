#include "Transcript.h"

#include <QFile>

namespace tarvik::gui::testing {

QStringList transcriptLines(const QString& path, qsizetype from) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'));
    // The last line ends with its newline: what follows it is no line.
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return from >= lines.size() ? QStringList() : lines.mid(from);
}

qsizetype transcriptLineCount(const QString& path) {
    return transcriptLines(path).size();
}

std::vector<TranscriptReport> transcriptReports(const QString& path, qsizetype from) {
    std::vector<TranscriptReport> reports;
    for (const QString& line : transcriptLines(path, from)) {
        const QStringList fields = line.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.isEmpty())
            continue;
        TranscriptReport report;
        report.kind = fields.front();
        for (qsizetype i = 1; i < fields.size(); ++i) {
            if (fields[i] == QLatin1String("FAILED")) {
                report.failed = true;
                continue;
            }
            bool ok = false;
            const int byte = fields[i].toInt(&ok, 16);
            if (ok)
                report.bytes.push_back(byte);
        }
        reports.push_back(std::move(report));
    }
    return reports;
}

std::vector<TranscriptReport> commandsSent(const QString& path, int command, qsizetype from) {
    std::vector<TranscriptReport> sent;
    for (TranscriptReport& report : transcriptReports(path, from))
        if (report.kind == QLatin1String("SET") && report.bytes.size() >= 8 && report.bytes[0] == 0x40 &&
            report.bytes[1] == command)
            sent.push_back(std::move(report));
    return sent;
}

} // namespace tarvik::gui::testing
