#pragma once
// The page-layout table the skin is drawn for. The pictures put their captions, leader lines and
// marker labels where the table puts the controls, so the table is the one source of positions.

#include <QHash>
#include <QPointF>
#include <QString>

namespace tarvik::skin {

class SkinLayout {
public:
    // Reads "key=value" lines of an INI text; section lines, comments and other lines are skipped.
    // Keys are compared without regard to case. Returns false and fills `error` on an unreadable file.
    bool load(const QString& path, QString* error);
    void setValue(const QString& key, int value) { m_values.insert(key.toLower(), value); }

    bool contains(const QString& key) const { return m_values.contains(key.toLower()); }
    // A value the pictures depend on. An absent key is a broken table: the program stops.
    int value(const QString& key) const;
    QPointF point(const QString& prefix) const; // (<prefix>_X, <prefix>_Y)
    bool enabled(const QString& prefix) const { return value(prefix + QStringLiteral("_Enable")) == 1; }

private:
    QHash<QString, int> m_values;
};

} // namespace tarvik::skin
