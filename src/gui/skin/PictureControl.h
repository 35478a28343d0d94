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
    void setPicture(const QString& name);
    QString pictureName() const { return m_pictureName; }

signals:
    void pressed(); // mouse button pressed on the picture (window drag, ClearAP)

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QString m_pictureName;
};

} // namespace tarvik::gui
