#include "SkinLayout.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>

namespace tarvik::skin {

bool SkinLayout::load(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) {
            *error = QStringLiteral("cannot read %1").arg(path);
        }
        return false;
    }
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& raw : lines) {
        const QByteArray line = raw.trimmed();
        const qsizetype eq = line.indexOf('=');
        if (line.isEmpty() || line.startsWith(';') || line.startsWith("//") || line.startsWith('[') ||
            eq < 0) {
            continue;
        }
        bool ok = false;
        const int number = line.mid(eq + 1).trimmed().toInt(&ok);
        if (ok) {
            setValue(QString::fromLatin1(line.left(eq).trimmed()), number);
        }
    }
    return true;
}

int SkinLayout::value(const QString& key) const {
    const auto it = m_values.constFind(key.toLower());
    if (it == m_values.constEnd()) {
        std::fprintf(stderr, "skin: layout key %s is missing\n", qPrintable(key));
        std::abort();
    }
    return *it;
}

QPointF SkinLayout::point(const QString& prefix) const {
    return QPointF(value(prefix + QStringLiteral("_X")), value(prefix + QStringLiteral("_Y")));
}

} // namespace tarvik::skin
