#include "gui/dialogs/MacroNameDialog.h"

#include "gui/AppState.h"
#include "gui/skin/CaptionLabel.h"
#include "gui/skin/PageControls.h"
#include "gui/skin/PictureControl.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace tarvik::gui {

using namespace pages;

MacroNameDialog::MacroNameDialog(const AppState& state, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_state(state),
      m_mainWindow(mainWindow) {
    setObjectName(QStringLiteral("MacroNameDialog"));
    setAttribute(Qt::WA_TranslucentBackground);
    m_background = addPicture(this, QStringLiteral("Img_Back"), QStringLiteral("Msg"));
    m_title = addCaption(this, QStringLiteral("lbl_Title"));
    m_title->setFocusPolicy(Qt::NoFocus); // words, not a control: Tab goes from the edit to the buttons
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("Edt_MacroName"));
    m_edit->setMaxLength(kMaxLength);
    m_edit->setAlignment(Qt::AlignCenter);
    m_confirm = addButton(QStringLiteral("Confirm"), QStringLiteral("BtnS"), "Str511");
    m_clear = addButton(QStringLiteral("Cancel"), QStringLiteral("BtnS"), "Str512");
    m_close = addButton(QStringLiteral("Close"), QStringLiteral("ExitS"), nullptr);
    connect(m_confirm, &CaptionLabel::clicked, this, &MacroNameDialog::confirm);
    connect(m_clear, &CaptionLabel::clicked, this, &MacroNameDialog::clearName);
    connect(m_close, &CaptionLabel::clicked, this, &QWidget::hide);
    connect(m_edit, &QLineEdit::returnPressed, this, &MacroNameDialog::confirm);
    resize(m_background->size());
}

// A button: its picture "Img_<name>" in the three states of `picture`, the label "IB_<name>" over it.
CaptionLabel* MacroNameDialog::addButton(const QString& name, const QString& picture, const char* textKey) {
    PictureControl* image = addPicture(this, QStringLiteral("Img_") + name, picture + QStringLiteral("_01"));
    CaptionLabel* label = addCaption(this, QStringLiteral("IB_") + name);
    label->setAlignment(Qt::AlignCenter);
    label->resize(image->size());
    if (textKey)
        label->setProperty("textKey", QString::fromLatin1(textKey));
    connect(label, &CaptionLabel::entered, image, [image, picture] { image->setPicture(picture + "_02"); });
    connect(label, &CaptionLabel::left, image, [image, picture] { image->setPicture(picture + "_01"); });
    return label;
}

void MacroNameDialog::applyLayout() {
    const int size = m_state.layoutInt("Size_L", 9);
    const QColor text = m_state.layoutColor("Color_L");
    const QColor editText = m_state.layoutColor("Color_L_MN");

    m_title->setText(m_state.text("Str510"));
    setTextLook(m_title, size + 5, text);
    m_title->adjustSize();
    m_title->move(layoutPoint(m_state, "MNT"));
    // What a screen reader says for the dialog, its edit and the close picture, which has no caption.
    setAccessibleName(m_title->text());
    m_edit->setAccessibleName(m_title->text());
    m_close->setAccessibleName(m_state.text("Str003"));

    const QPoint edit = layoutPoint(m_state, "MNC");
    const int width = m_state.layoutInt("MNC_W", 120);
    setTextLook(m_edit, size + 3, editText);
    m_edit->setGeometry(edit.x(), edit.y(), width, m_edit->sizeHint().height());

    const auto place = [&](CaptionLabel* label, const char* key) {
        auto* image = findChild<PictureControl*>(QStringLiteral("Img_") + label->objectName().mid(3));
        image->move(layoutPoint(m_state, key));
        placeOver(label, image, image->pos());
        const QVariant textKey = label->property("textKey");
        if (textKey.isValid())
            label->setText(m_state.text(textKey.toString().toLatin1().constData()));
        setTextLook(label, size + 1, text);
    };
    place(m_confirm, "MN_Cfm");
    place(m_clear, "MN_Clear");
    place(m_close, "MN_Close");
}

void MacroNameDialog::ask(Apply apply) {
    m_apply = std::move(apply);
    applyLayout();
    m_edit->clear();
    resize(m_background->size());
    const QRect main = m_mainWindow->geometry();
    move(main.left() + (main.width() - width()) / 2, main.top() + (main.height() - height()) / 2);
    show();
    raise();
    activateWindow();
    m_edit->setFocus();
}

void MacroNameDialog::keyPressEvent(QKeyEvent* event) {
    // Escape leaves as Close does: nothing is applied.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MacroNameDialog::confirm() {
    const QString name = m_edit->text();
    hide();
    // An empty name closes the dialog as Close does: nothing is applied.
    if (!name.isEmpty() && m_apply)
        m_apply(name);
}

void MacroNameDialog::clearName() {
    m_edit->clear();
}

} // namespace tarvik::gui
