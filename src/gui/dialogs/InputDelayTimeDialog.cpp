#include "gui/dialogs/InputDelayTimeDialog.h"

#include "core/macros/MacroEditing.h"
#include "gui/skin/CaptionLabel.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace tarvik::gui {

InputDelayTimeDialog::InputDelayTimeDialog(const AppState& state, QWidget* main, const QString& current,
                                           Replace replace)
    : SkinnedDialog(QStringLiteral("TForm5"), state, "L", main), m_replace(std::move(replace)) {
    placeTitle("lbl_EditTime", "Str521", "MNT_X", "MNT_Y");
    placeEdit("Edt_EditTime", "MNC_X", "MNC_Y", "MNC_W");
    edit()->setReadOnly(false);
    edit()->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit()));
    edit()->setText(current);
    connect(edit(), &QLineEdit::textEdited, this, [this](const QString& text) {
        // An empty field would hand over no gap at all: it shows the smallest one instead.
        if (const auto held = core::guardedFieldText(text.toStdString(), core::fields::kEventDelay, true))
            edit()->setText(QString::fromStdString(*held));
    });
    placeButtons("Str511", "Str512", "MN");
    connect(confirmButton(), &CaptionLabel::clicked, this, &InputDelayTimeDialog::confirm);
    connect(edit(), &QLineEdit::returnPressed, this, &InputDelayTimeDialog::confirm);
    connect(clearButton(), &CaptionLabel::clicked, this,
            [this] { edit()->setText(QString::number(core::fields::kEventDelay.min)); });
}

void InputDelayTimeDialog::confirm() {
    const QString typed = edit()->text();
    if (m_replace && !typed.isEmpty())
        m_replace(typed);
    close();
}

} // namespace tarvik::gui
