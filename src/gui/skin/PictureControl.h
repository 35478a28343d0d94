#pragma once
// A picture control ("Img_..."): shows one skin picture at its natural size and remembers its name,
// so handlers and tests can ask which state it shows.

#include <QLabel>
#include <QPixmap>
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
    // A picture as a disabled control shows it: in grey, dimmed, with its own see-through pixels.
    static QPixmap greyed(const QPixmap& picture);

signals:
    void pressed(); // mouse button pressed on the picture (window drag, ClearAP)

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showPicture();
    void updateOpacity();

    QString m_pictureName;
    QPixmap m_greyed;        // the shown picture greyed, for painting while disabled
    qint64 m_greyedFrom = 0; // the cache key of the picture m_greyed was made from
    bool m_pending = false;  // m_pictureName is waiting for the control to be shown
};

} // namespace tarvik::gui
