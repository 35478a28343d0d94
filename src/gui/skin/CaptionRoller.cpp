#include "gui/skin/CaptionRoller.h"

#include <QLabel>
#include <QTimer>

namespace tarvik::gui {

CaptionRoller::CaptionRoller(QObject* parent, int intervalMs) : QObject(parent), m_timer(new QTimer(this)) {
    m_timer->setObjectName(QStringLiteral("LabelRun"));
    m_timer->setInterval(std::max(1, intervalMs));
    connect(m_timer, &QTimer::timeout, this, &CaptionRoller::tick);
}

void CaptionRoller::enter(QLabel* label) {
    m_label = label;
    m_saved = label->text();
    m_rolling = m_saved;
    m_counter = 0;
    if (label->isEnabled())
        m_timer->start();
}

void CaptionRoller::leave() {
    m_timer->stop();
    // Once: a click may have left the label (its menu opened) before the pointer does, and the
    // caption may have changed in between.
    if (m_label)
        m_label->setText(m_saved);
    m_label = nullptr;
}

void CaptionRoller::retake(const QString& caption) {
    m_counter = 0;
    m_saved = caption;
    m_rolling = caption;
}

void CaptionRoller::stop() {
    m_timer->stop();
}

bool CaptionRoller::running() const {
    return m_timer->isActive();
}

QString CaptionRoller::nextCaption(const QString& rolling, int counter) {
    if (rolling.isEmpty())
        return rolling;
    const QString rest = rolling.mid(1);
    const QChar first = rolling.front();
    return counter == 1 ? rest + QStringLiteral("    ") + first : rest + first;
}

void CaptionRoller::tick() {
    if (!m_rollingEnabled || !m_label)
        return;
    ++m_counter;
    if (m_counter > 20)
        m_counter = 2;
    m_rolling = nextCaption(m_rolling, m_counter);
    m_label->setText(m_rolling);
}

} // namespace tarvik::gui
