#include "gui/dialogs/SkinnedDialog.h"

#include "gui/AppState.h"
#include "gui/skin/CaptionLabel.h"
#include "gui/skin/PictureControl.h"
#include "gui/skin/Skin.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>
#include <string>

namespace tarvik::gui {

SkinnedDialog::SkinnedDialog(const QString& objectName, const AppState& state, const char* group,
                             QWidget* main)
    : QWidget(main, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_state(state),
      m_group(QLatin1String(group)), m_main(main) {
    setObjectName(objectName);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::NonModal);
    auto* background = new PictureControl(QStringLiteral("Img_Msg"), this);
    background->setPicture(QStringLiteral("Msg"));
    background->move(0, 0);
    resize(background->size());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor::fromRgb(kColourKey));
    setPalette(palette);
    // The mask is in the window's units: cut it from the normal picture, whatever the screen.
    const QPixmap picture = Skin::picture(QStringLiteral("Msg"), 1.0);
    if (!picture.isNull())
        if (const QRegion shape = Skin::opaqueRegion(picture.toImage(), kColourKey); !shape.isEmpty())
            setMask(shape);
}

QFont SkinnedDialog::fontOfSize(int add) const {
    QFont font = this->font();
    if (const QString family = m_state.text("FontName"); !family.isEmpty())
        font.setFamily(family);
    const int size = m_state.layoutInt(("Size_" + m_group).toStdString(), 9);
    font.setPointSize(size + add);
    return font;
}

QColor SkinnedDialog::textColour() const {
    return m_state.layoutColor(("Color_" + m_group).toStdString());
}

void SkinnedDialog::placeTitle(const char* objectName, const char* textKey, const char* xKey,
                               const char* yKey) {
    m_title = new QLabel(m_state.text(textKey), this);
    m_title->setObjectName(QLatin1String(objectName));
    m_title->setFont(fontOfSize(5));
    QPalette palette = m_title->palette();
    palette.setColor(QPalette::WindowText, textColour());
    m_title->setPalette(palette);
    m_title->adjustSize();
    m_title->move(m_state.layoutInt(xKey), m_state.layoutInt(yKey));
    // A screen reader announces the dialog by its title; the edit is read with it.
    setAccessibleName(m_title->text());
    if (m_edit)
        m_edit->setAccessibleName(m_title->text());
}

void SkinnedDialog::placeEdit(const char* objectName, const char* xKey, const char* yKey, const char* wKey) {
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QLatin1String(objectName));
    m_edit->setReadOnly(true);
    m_edit->setAlignment(Qt::AlignCenter);
    m_edit->setFont(fontOfSize(3));
    const std::string accent = m_group == QLatin1String("K") ? "Color_K_AK" : "Color_L_MN";
    QPalette palette = m_edit->palette();
    palette.setColor(QPalette::Text, m_state.layoutColor(accent));
    // The text colours of the layout tables are made for the dark skin, never for a white field.
    palette.setColor(QPalette::Base, QColor(12, 16, 24));
    m_edit->setPalette(palette);
    m_edit->setGeometry(m_state.layoutInt(xKey), m_state.layoutInt(yKey), m_state.layoutInt(wKey, 200),
                        m_edit->sizeHint().height());
    if (m_title)
        m_edit->setAccessibleName(m_title->text());
}

CaptionLabel* SkinnedDialog::makeButton(const QString& name, const QString& pictureFamily,
                                        const char* textKey, int x, int y) {
    auto* picture = new PictureControl(QStringLiteral("Img_") + name.mid(3), this);
    picture->setPicture(pictureFamily + QStringLiteral("_01"));
    picture->move(x, y);
    auto* label = new CaptionLabel(name, this);
    label->setGeometry(picture->geometry());
    label->setAlignment(Qt::AlignCenter);
    if (textKey) {
        label->setText(m_state.text(textKey));
        label->setFont(fontOfSize(1));
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, textColour());
        label->setPalette(palette);
    }
    // The three pictures of a click label: normal, under the pointer, pressed.
    connect(label, &CaptionLabel::entered, picture,
            [picture, pictureFamily] { picture->setPicture(pictureFamily + QStringLiteral("_02")); });
    connect(label, &CaptionLabel::left, picture,
            [picture, pictureFamily] { picture->setPicture(pictureFamily + QStringLiteral("_01")); });
    label->installEventFilter(this);
    label->setProperty("pressedPicture", QVariant::fromValue(static_cast<QObject*>(picture)));
    label->setProperty("pictureFamily", pictureFamily);
    return label;
}

void SkinnedDialog::placeKeyHint() {
    m_keyHint = new QLabel(m_state.text("Str800"), this);
    m_keyHint->setObjectName(QStringLiteral("lbl_KeyHint"));
    QFont font = fontOfSize(-1);
    m_keyHint->setFont(font);
    QPalette palette = m_keyHint->palette();
    palette.setColor(QPalette::WindowText, textColour());
    m_keyHint->setPalette(palette);
    m_keyHint->adjustSize();
    // Just under the edit, where the picture leaves a free line before the next row of controls.
    m_keyHint->move(m_edit->x(), m_edit->geometry().bottom() + 2);
    m_keyHint->setMaximumWidth(std::max(m_edit->width(), m_keyHint->width()));
}

bool SkinnedDialog::leftEditOnControlTab(const QKeyEvent& key) {
    if ((key.key() != Qt::Key_Tab && key.key() != Qt::Key_Backtab) ||
        !key.modifiers().testFlag(Qt::ControlModifier))
        return false;
    focusNextPrevChild(key.key() == Qt::Key_Tab && !key.modifiers().testFlag(Qt::ShiftModifier));
    return true;
}

bool SkinnedDialog::isModifierPress(const QKeyEvent& key) {
    switch (key.key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        return true;
    default:
        return false;
    }
}

bool SkinnedDialog::leftEditOnHeldTab(const QKeyEvent& key) {
    if ((key.key() != Qt::Key_Tab && key.key() != Qt::Key_Backtab) || !key.isAutoRepeat())
        return false;
    focusNextPrevChild(key.key() == Qt::Key_Tab && !key.modifiers().testFlag(Qt::ShiftModifier));
    return true;
}

void SkinnedDialog::placeButtons(const char* confirmKey, const char* clearKey, const char* prefix) {
    const std::string p = prefix;
    m_confirm = makeButton(QStringLiteral("IB_Confirm"), QStringLiteral("BtnS"), confirmKey,
                           m_state.layoutInt(p + "_Cfm_X"), m_state.layoutInt(p + "_Cfm_Y"));
    m_clear = makeButton(QStringLiteral("IB_Cancel"), QStringLiteral("BtnS"), clearKey,
                         m_state.layoutInt(p + "_Clear_X"), m_state.layoutInt(p + "_Clear_Y"));
    m_close = makeButton(QStringLiteral("IB_Close"), QStringLiteral("ExitS"), nullptr,
                         m_state.layoutInt(p + "_Close_X"), m_state.layoutInt(p + "_Close_Y"));
    // The close picture has no caption: it is named by the language's word for leaving.
    m_close->setAccessibleName(m_state.text("Str003"));
    connect(m_close, &CaptionLabel::clicked, this, &QWidget::close);
}

void SkinnedDialog::keyPressEvent(QKeyEvent* event) {
    // Escape leaves as the close control does. A key-entry dialog's edit takes its keys before
    // they get here, Escape included.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool SkinnedDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress)
        if (auto* picture =
                qobject_cast<PictureControl*>(watched->property("pressedPicture").value<QObject*>()))
            picture->setPicture(watched->property("pictureFamily").toString() + QStringLiteral("_03"));
    return QWidget::eventFilter(watched, event);
}

void SkinnedDialog::open() {
    if (m_main) {
        const QRect main = m_main->window()->frameGeometry();
        move(main.left() + (main.width() - width()) / 2, main.top() + (main.height() - height()) / 2);
    }
    show();
    raise();
}

} // namespace tarvik::gui
