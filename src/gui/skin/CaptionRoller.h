#pragma once
// Caption rolling of a hovered button: while the pointer stays on a label of a rolling family its
// caption scrolls left one character per tick of the LabelRun timer, with a gap of four spaces
// appended once on the first tick.

#include <QObject>
#include <QPointer>
#include <QString>

class QLabel;
class QTimer;

namespace tarvik::gui {

class CaptionRoller : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 200;

    // intervalMs: the LabelRun interval as really waited (the time scale applied by the caller).
    explicit CaptionRoller(QObject* parent, int intervalMs = kIntervalMs);

    // TR_Enable: when off the ticks change nothing.
    void setRollingEnabled(bool enabled) { m_rollingEnabled = enabled; }

    // The pointer entered a rolling label: remember it and its caption; roll only an enabled label.
    void enter(QLabel* label);
    // The pointer left: stop and put the saved caption back.
    void leave();
    // The language changed: restart from a new caption; the hovered label stays the one rolled.
    void retake(const QString& caption);
    // Stops without restoring (the no-device state).
    void stop();

    void tick();
    bool running() const;
    QTimer* timer() const { return m_timer; }

    // The next rolling caption for a tick counter already advanced.
    static QString nextCaption(const QString& rolling, int counter);

private:
    QTimer* m_timer;
    QPointer<QLabel> m_label;
    QString m_saved;
    QString m_rolling;
    int m_counter = 0;
    bool m_rollingEnabled = true;
};

} // namespace tarvik::gui
