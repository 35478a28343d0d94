#pragma once
// A picture control ("Img_..."): shows one skin picture at its natural size and remembers its name,
// so handlers and tests can ask which state it shows.

#include <QLabel>
#include <QString>

namespace tarvik::gui {

class PictureControl : public QLabel {
    Q_OBJECT
public:
    PictureControl(const QString& objectName, QWidget* parent);

    // Shows the named skin picture and takes its size. Setting the same name again does nothing.
    // A control that is not on screen takes the size at once and decodes the picture when shown.
    void setPicture(const QString& name);
    QString pictureName() const { return m_pictureName; }

signals:
    void pressed(); // mouse button pressed on the picture (window drag, ClearAP)

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showPicture();
    void updateOpacity();

    QString m_pictureName;
    bool m_pending = false; // m_pictureName is waiting for the control to be shown
};

} // namespace tarvik::gui
