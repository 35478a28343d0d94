#pragma once
// Reading the transcript the window's session writes (TARVIK_TRANSCRIPT): one report a line, "SET",
// "GET" or "IN" and the report's bytes in hexadecimal, " FAILED" after an exchange that failed.

#include <QString>
#include <QStringList>

#include <vector>

namespace tarvik::gui::testing {

struct TranscriptReport {
    QString kind;           // "SET", "GET" or "IN"
    std::vector<int> bytes; // the report's bytes
    bool failed = false;
};

// The lines of the transcript at `path` from line `from` (0-based) on; a missing file has none.
QStringList transcriptLines(const QString& path, qsizetype from = 0);
// How many lines the transcript has now: what a later transcriptLines(path, from) starts after.
qsizetype transcriptLineCount(const QString& path);
// The reports of those lines.
std::vector<TranscriptReport> transcriptReports(const QString& path, qsizetype from = 0);
// The command reports (SET 40 <command> ...) among them.
std::vector<TranscriptReport> commandsSent(const QString& path, int command, qsizetype from = 0);

} // namespace tarvik::gui::testing
