#include "gui/dialogs/RestoreBackupDialog.h"

#include "gui/AppState.h"
#include "gui/skin/CaptionLabel.h"

#include <QLabel>
#include <QListWidget>

namespace tarvik::gui {

RestoreBackupDialog::RestoreBackupDialog(const AppState& state, QWidget* main, const QStringList& rows,
                                         const QString& folder)
    : SkinnedDialog(QStringLiteral("dlgRestoreBackup"), state, "L", main) {
    setWindowTitle(state.text("Str729"));

    placeTitle("lbl_RestoreTitle", "", "MNT_X", "MNT_Y");
    title()->setText(state.text("Str729"));
    setAccessibleName(title()->text());
    title()->adjustSize();
    placeButtons("Str511", "Str512", "MN");
    confirmButton()->setText(state.text("Str730"));
    clearButton()->setText(state.text("Str512"));

    // The list fills the picture's middle, from below the title to above the buttons.
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("LB_Backups"));
    m_list->setFont(fontOfSize(-1));
    QPalette palette = m_list->palette();
    palette.setColor(QPalette::Text, textColour());
    palette.setColor(QPalette::Base, QColor(12, 16, 24));
    m_list->setPalette(palette);
    // A row says what changed in full: long ones wrap rather than scroll sideways.
    m_list->setWordWrap(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setStyleSheet(
        QStringLiteral("QScrollBar:vertical { background: rgb(12, 16, 24); width: 10px; }"
                       "QScrollBar::handle:vertical { background: rgb(110, 24, 24); min-height: 16px; }"
                       "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"));
    m_list->addItems(rows);
    for (int i = 0; i < m_list->count(); ++i)
        m_list->item(i)->setToolTip(rows[i]);
    m_list->setToolTip(folder);
    const int margin = qMax(16, title()->x());
    const int top = title()->geometry().bottom() + 6;
    const int bottom = confirmButton()->y() - 6;
    m_list->setGeometry(margin, top, width() - 2 * margin, qMax(40, bottom - top));
    if (!rows.isEmpty())
        m_list->setCurrentRow(0);

    const auto restore = [this] {
        const int row = m_list->currentRow();
        if (row < 0)
            return;
        // Hidden first, closed (and so deleted) only after the opener has done the restore, which
        // pumps events while this click is still being handled.
        hide();
        emit chosen(row);
        close();
    };
    connect(confirmButton(), &CaptionLabel::clicked, this, restore);
    connect(m_list, &QListWidget::itemDoubleClicked, this, restore);
    connect(clearButton(), &CaptionLabel::clicked, this, &QWidget::close);
}

} // namespace tarvik::gui
