#pragma once
// "Restore an earlier configuration...": the backups kept before earlier changes, newest first, each
// with its time, its mouse and what changed since, in a small dialog of the window's look. Restore
// hands the chosen row to the opener, which writes it through the checks of a profile load.

#include "gui/dialogs/SkinnedDialog.h"

#include <QStringList>

class QListWidget;

namespace tarvik::gui {

class RestoreBackupDialog : public SkinnedDialog {
    Q_OBJECT
public:
    // rows: one text per backup, as the list shows them; folder: where they are kept.
    RestoreBackupDialog(const AppState& state, QWidget* main, const QStringList& rows, const QString& folder);

    QListWidget* list() const { return m_list; }

signals:
    // The row (0 = the newest) the user chose to restore.
    void chosen(int row);

private:
    QListWidget* m_list = nullptr;
};

} // namespace tarvik::gui
