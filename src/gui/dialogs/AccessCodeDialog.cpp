#include "gui/dialogs/AccessCodeDialog.h"

#include "gui/skin/CaptionLabel.h"

#include <QLabel>
#include <QLineEdit>

namespace tarvik::gui {

AccessCodeDialog::AccessCodeDialog(const AppState& state, QWidget* main)
    : SkinnedDialog(QStringLiteral("dlgPass"), state, "L", main) {
    setWindowTitle(QStringLiteral("Password"));
    setWindowModality(Qt::ApplicationModal);

    placeTitle("lbl_Password", "", "MNT_X", "MNT_Y");
    title()->setText(QStringLiteral("Password"));
    title()->adjustSize();

    placeEdit("Edt_Password", "MNC_X", "MNC_Y", "MNC_W");
    edit()->setReadOnly(false);
    edit()->setEchoMode(QLineEdit::Password);

    // The prompt stands just above the edit, at its left edge, in the buttons' font.
    m_prompt = new QLabel(QStringLiteral("PASSWORD:"), this);
    m_prompt->setObjectName(QStringLiteral("lbl_PasswordPrompt"));
    m_prompt->setFont(fontOfSize(1));
    QPalette palette = m_prompt->palette();
    palette.setColor(QPalette::WindowText, textColour());
    m_prompt->setPalette(palette);
    m_prompt->adjustSize();
    m_prompt->move(edit()->x(), edit()->y() - m_prompt->height() - 4);

    placeButtons("Str511", "Str512", "MN");
    confirmButton()->setText(QStringLiteral("OK"));
    clearButton()->setText(QStringLiteral("Cancel"));
    connect(confirmButton(), &CaptionLabel::clicked, this, [this] {
        emit answered(edit()->text());
        close();
    });
    connect(clearButton(), &CaptionLabel::clicked, this, &QWidget::close);
    connect(edit(), &QLineEdit::returnPressed, confirmButton(), [this] {
        emit answered(edit()->text());
        close();
    });
    edit()->setFocus();
}

} // namespace tarvik::gui
