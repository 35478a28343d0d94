#pragma once
// A transparent caption label ("Btn_...", "Key1", menu entries): it carries the text and receives
// the mouse for the picture beneath it.

#include <QLabel>
#include <QString>

namespace tarvik::gui {

class CaptionLabel : public QLabel {
    Q_OBJECT
public:
    CaptionLabel(const QString& objectName, QWidget* parent);

    // The number at the end of the object name ("Key7" -> 7, "Btn_Main_3" -> 3); 0 when none.
    int trailingNumber() const;

signals:
    void clicked();
    void entered();
    void left();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
};

} // namespace tarvik::gui
