// The macro page's handlers: the right-click menus of the three lists, the library's operations and
// the macros in the mouse. The rules over bytes are core's (MacroLibrary, DeviceMacroTable, the
// macro edits of core/edit); this draws and asks core, which sends.

#include "core/cycle/ConfigCycle.h"
#include "core/edit/StoreEdits.h"
#include "core/macros/DeviceMacroTable.h"
#include "core/macros/MacroLibrary.h"
#include "core/macros/MacroLibraryFile.h"
#include "gui/AppState.h"
#include "gui/dialogs/MacroNameDialog.h"
#include "gui/dialogs/MessageSeam.h"
#include "gui/macros/MacroPage.h"
#include "gui/pages/NotStored.h"
#include "gui/pages/PageContext.h"
#include "gui/skin/CaptionLabel.h"
#include "gui/skin/PictureControl.h"

#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScopeGuard>

namespace tarvik::gui {

namespace {
const QString kSaveFilter = QStringLiteral("SaveFile (*.bin)");
const QString kLoadFilter = QStringLiteral("LoadFile (*.bin)");

std::filesystem::path toPath(const QString& name) {
    return std::filesystem::path(name.toStdString());
}
} // namespace

void MacroPage::wireLists() {
    for (QListWidget* list : {m_library, m_device, m_events}) {
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setContextMenuPolicy(Qt::PreventContextMenu);
        list->viewport()->installEventFilter(this);
    }
    connect(m_library, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { showLibraryMacro(m_library->row(item)); });
    connect(m_device, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { showDeviceMacro(m_device->row(item)); });
    connect(m_events, &QListWidget::itemClicked, this, [this] { hideMenus(); });
}

void MacroPage::wireMenus() {
    const std::pair<const char*, void (MacroPage::*)()> actions[] = {
        {"Btn_NewMacro", &MacroPage::newMacro},
        {"Btn_NewName", &MacroPage::renameMacro},
        {"Btn_DelPCMacro", &MacroPage::deleteLibraryMacro},
        {"Btn_ImportOne", &MacroPage::importOne},
        {"Btn_Import", &MacroPage::importAll},
        {"Btn_ExportOne", &MacroPage::exportOne},
        {"Btn_Export", &MacroPage::exportAll},
        {"Btn_AddMacro", &MacroPage::addToMouse},
        {"Btn_DelMacro", &MacroPage::deleteDeviceMacro},
        {"Btn_DevExport", &MacroPage::exportDeviceMacros},
    };
    for (const auto& [name, action] : actions)
        for (QWidget* menu : m_menus)
            if (auto* label = menu->findChild<CaptionLabel*>(QString::fromLatin1(name)))
                connect(label, &CaptionLabel::clicked, this, action);
    connect(m_new, &CaptionLabel::clicked, this, [this] {
        findChild<PictureControl*>(QStringLiteral("Img_New"))->setPicture(QStringLiteral("MacroS_03"));
        newMacro();
    });
}

QWidget* MacroPage::menuOf(const QListWidget* list) const {
    return list == m_library ? m_menus[0] : list == m_device ? m_menus[1] : m_menus[2];
}

bool MacroPage::belowLastRow(QListWidget* list, QPoint atInList) const {
    const int rowHeight = std::max(1, m_rowHeight);
    const int visibleRows = list->viewport()->height() / rowHeight;
    if (list->count() > visibleRows) {
        list->scrollToBottom();
        return atInList.y() >= visibleRows * rowHeight;
    }
    return atInList.y() >= list->count() * rowHeight;
}

bool MacroPage::eventFilter(QObject* watched, QEvent* event) {
    QListWidget* list = nullptr;
    for (QListWidget* l : {m_library, m_device, m_events})
        if (watched == l->viewport())
            list = l;
    if (!list || (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease))
        return Page::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint at = mouse->position().toPoint();

    if (event->type() == QEvent::MouseButtonPress) {
        // Only one of the two name lists has a selection.
        if (list == m_library)
            m_device->clearSelection();
        else if (list == m_device)
            m_library->clearSelection();
        if (belowLastRow(list, at)) {
            list->clearSelection();
            hideMenus();
            list->setFocus();
            return true;
        }
        if (mouse->button() == Qt::RightButton) {
            // The row under the pointer is chosen first, as a left click would choose it.
            if (QListWidgetItem* item = list->itemAt(at)) {
                list->setCurrentItem(item);
                emit list->itemClicked(item);
            }
            return true;
        }
        return false;
    }
    if (mouse->button() == Qt::RightButton) {
        if (list != m_events || (selectedRow(m_library) >= 0 && selectedRow(m_events) >= 0))
            openMenu(list, at);
        return true;
    }
    return false;
}

void MacroPage::openMenu(QListWidget* list, QPoint atInList) {
    hideMenus();
    QWidget* menu = menuOf(list);
    const QPoint inWindow = list->viewport()->mapTo(window(), atInList);
    QPoint topLeft = inWindow;
    // A menu that would pass the window's bottom opens above the pointer.
    if (topLeft.y() + menu->height() > window()->height())
        topLeft.ry() -= menu->height();
    menu->move(mapFrom(window(), topLeft));
    menu->show();
    menu->raise();
}

int MacroPage::selectedRow(const QListWidget* list) const {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.front());
}

// The events shown belong to no macro any more: a recording or an insertion still open ends first
// (a normal recording keeps what it recorded, an insertion is given up as by its Cancel).
void MacroPage::clearEvents() {
    if (m_editor.recording())
        toggleRecording();
    if (m_editor.insertPanelOpen()) {
        stopCapture();
        m_editor.insertCancel();
        closeInsertPanel();
    }
    m_editor.showLibraryMacro(std::nullopt);
    m_events->clear();
    m_text->clear();
    m_diagnostic->clear();
}

void MacroPage::showLibraryMacro(int row) {
    hideMenus();
    clearEvents();
    if (row < 0)
        return;
    // A new macro has no events yet, and is recorded into all the same.
    m_editor.showLibraryMacro(static_cast<std::size_t>(row));
    redrawEvents();
    if (const auto view = state().macroLibrary.view(static_cast<std::size_t>(row)))
        showDecodedDelay(view->decoded);
}

void MacroPage::showDeviceMacro(int row) {
    hideMenus();
    clearEvents();
    if (row < 0 || static_cast<std::size_t>(row) >= context().cycle.deviceMacroTable().count())
        return;
    if (const auto view = context().cycle.deviceMacroTable().view(static_cast<std::size_t>(row))) {
        m_editor.showDeviceMacro(view->decoded.text);
        redrawEvents();
        setDiagnostic(QString::fromStdString(view->hex));
        showDecodedDelay(view->decoded);
    }
}

void MacroPage::showDecodedDelay(const core::DecodedMacro& decoded) {
    showDelayMode(decoded.delayMode);
    // Recording into the macro again takes the same gap as the one it was made with.
    if (decoded.delayMode == core::DelayMode::DefaultDelay)
        m_delay.edit->setText(QString::number(decoded.defaultDelay));
}

void MacroPage::followChosenRow() {
    if (const int row = selectedRow(m_library); row >= 0) {
        // The macro shown already (after a rename, say) stays as it is, with an insertion still open.
        if (m_editor.librarySlot() != std::optional<std::size_t>(static_cast<std::size_t>(row)))
            showLibraryMacro(row);
    } else if (const int deviceRow = selectedRow(m_device); deviceRow >= 0) {
        showDeviceMacro(deviceRow);
    } else {
        clearEvents();
    }
}

// --- the library ---------------------------------------------------------------------------------

void MacroPage::saveLibrary() {
    AppState& s = state();
    if (s.macroLibraryReadOnly) {
        // Told at start-up; once more at the first change, so that nobody takes it for saved.
        if (!s.macroLibrarySaveFailed) {
            s.macroLibrarySaveFailed = true;
            MessageSeam::showMessageDialog(
                window(),
                QStringLiteral("The macro library %1 could not be read whole, so this change is not "
                               "saved to it. Move or repair that file and start the program again.")
                    .arg(s.macroLibraryPath),
                s.text("FontName"));
        }
        return;
    }
    const core::FileResult result = core::MacroLibraryFile(toPath(s.macroLibraryPath)).save(s.macroLibrary);
    if (result) {
        s.macroLibrarySaveFailed = false;
        return;
    }
    // The change stays in the list, so that the next save that succeeds stores it.
    if (s.macroLibrarySaveFailed)
        return;
    s.macroLibrarySaveFailed = true;
    MessageSeam::showMessageDialog(window(),
                                   QStringLiteral("The macro library could not be saved to %1: %2")
                                       .arg(s.macroLibraryPath, QString::fromStdString(result.error)),
                                   s.text("FontName"));
}

void MacroPage::relistLibrary(int selectRow) {
    setLibrary(state().macroLibrary);
    if (selectRow >= 0 && selectRow < m_library->count())
        m_library->setCurrentRow(selectRow);
    followChosenRow();
}

void MacroPage::askName(const std::function<void(const QString&)>& apply) {
    if (!m_nameDialog)
        m_nameDialog = new MacroNameDialog(state(), window());
    m_nameDialog->ask(apply);
}

void MacroPage::newMacro() {
    hideMenus();
    if (!state().macroLibrary.canAddNew())
        return;
    clearEvents();
    // The editor is emptied for the new macro: no row stays chosen that it does not show.
    m_library->clearSelection();
    m_device->clearSelection();
    askName([this](const QString& name) {
        // A new macro has no delays to settle the options from: they stay as the user left them.
        const core::RecordSettings chosen = recordSettings(m_delay);
        std::size_t slot = 0;
        const auto result = state().macroLibrary.addNew(name.toStdString(), &slot);
        libraryChanged(result, static_cast<int>(slot));
        if (result == core::MacroLibrary::Result::Done)
            showDelayMode(chosen.delayMode);
    });
}

void MacroPage::renameMacro() {
    const int row = selectedRow(m_library);
    hideMenus();
    if (row < 0)
        return;
    askName([this, row](const QString& name) {
        libraryChanged(state().macroLibrary.rename(static_cast<std::size_t>(row), name.toStdString()), row);
    });
}

void MacroPage::libraryChanged(core::MacroLibrary::Result result, int selectRow) {
    switch (result) {
    case core::MacroLibrary::Result::Done:
        relistLibrary(selectRow);
        saveLibrary();
        break;
    case core::MacroLibrary::Result::Duplicate:
        shell().showMessage("Str106");
        break;
    default:
        break;
    }
}

void MacroPage::deleteLibraryMacro() {
    const int row = selectedRow(m_library);
    hideMenus();
    clearEvents();
    if (row < 0 ||
        state().macroLibrary.remove(static_cast<std::size_t>(row)) != core::MacroLibrary::Result::Done)
        return;
    relistLibrary(std::max(row - 1, 0));
    saveLibrary();
}

void MacroPage::importOne() {
    if (!state().macroLibrary.canImportOne())
        return;
    const QString file = MessageSeam::openFileName(window(), QString(), QString(), kLoadFilter);
    if (file.isEmpty())
        return;
    hideMenus();
    clearEvents();
    // Whatever the file turns out to be, the editor ends showing the row the list has chosen.
    const auto follow = qScopeGuard([this] { followChosenRow(); });
    core::FileResult read;
    const auto bytes = core::readMacroFile(toPath(file), &read);
    const QString font = state().text("FontName");
    if (!bytes) {
        MessageSeam::showMessageDialog(
            window(),
            QStringLiteral("%1 could not be read: %2").arg(file, QString::fromStdString(read.error)), font);
        return;
    }
    // A shorter file is no single-macro file; reading it would leave another slot's bytes behind.
    if (bytes->size() < core::kLibraryRecordSize) {
        MessageSeam::showMessageDialog(window(), QStringLiteral("%1 is not a macro file.").arg(file), font);
        return;
    }
    std::size_t slot = 0;
    switch (state().macroLibrary.importOne(*bytes, &slot)) {
    case core::MacroLibrary::Result::Done:
        relistLibrary(static_cast<int>(slot));
        saveLibrary();
        break;
    case core::MacroLibrary::Result::Duplicate:
        shell().showMessage("Str106");
        break;
    case core::MacroLibrary::Result::InvalidFile:
        MessageSeam::showMessageDialog(window(), QStringLiteral("%1 is not a macro file.").arg(file), font);
        break;
    default:
        break;
    }
}

void MacroPage::importAll() {
    const QString file = MessageSeam::openFileName(window(), QString(), QString(), kLoadFilter);
    if (file.isEmpty())
        return;
    hideMenus();
    core::FileResult read;
    const auto bytes = core::readMacroFile(toPath(file), &read);
    if (!bytes) {
        MessageSeam::showMessageDialog(
            window(),
            QStringLiteral("%1 could not be read: %2").arg(file, QString::fromStdString(read.error)),
            state().text("FontName"));
        return;
    }
    state().macroLibrary.importAll(*bytes);
    clearEvents();
    relistLibrary(-1);
    saveLibrary();
}

namespace {
void reportWrite(QWidget* window, const core::FileResult& result, const std::filesystem::path& chosen,
                 const QString& font) {
    if (result)
        return;
    MessageSeam::showMessageDialog(window,
                                   QStringLiteral("%1 could not be written: %2")
                                       .arg(QString::fromStdString(core::exportFilePath(chosen).string()),
                                            QString::fromStdString(result.error)),
                                   font);
}
} // namespace

void MacroPage::exportOne() {
    const int row = selectedRow(m_library);
    hideMenus();
    if (row < 0)
        return;
    const QString file = MessageSeam::saveFileName(window(), QString(), QString(), kSaveFilter);
    if (file.isEmpty())
        return;
    reportWrite(window(),
                core::exportMacro(state().macroLibrary, static_cast<std::size_t>(row), toPath(file)),
                toPath(file), state().text("FontName"));
}

void MacroPage::exportAll() {
    const QString file = MessageSeam::saveFileName(window(), QString(), QString(), kSaveFilter);
    if (file.isEmpty())
        return;
    hideMenus();
    reportWrite(window(), core::exportLibrary(state().macroLibrary, toPath(file)), toPath(file),
                state().text("FontName"));
}

// --- the mouse -----------------------------------------------------------------------------------

void MacroPage::addToMouse() {
    const int row = selectedRow(m_library);
    hideMenus();
    clearEvents();
    // The library row stays chosen, so the editor shows it again, added or not.
    const auto follow = qScopeGuard([this] { followChosenRow(); });
    if (row < 0)
        return;
    const core::LibrarySlot& slot = state().macroLibrary.slot(static_cast<std::size_t>(row));
    const core::MacroEdit edit =
        core::addDeviceMacro(context().cycle, context().namingContext(), slot.name, slot.body);
    if (edit.result.refusal == core::EditRefusal::Busy)
        return;
    if (edit.result.refusal == core::EditRefusal::NotAllowed) {
        if (edit.table == core::DeviceMacroTable::Result::TooLong)
            shell().showMessage(core::kMacroNoRoomMessage);
        else if (edit.table == core::DeviceMacroTable::Result::Unreadable)
            shell().showMessage(core::kMacroNameRefusedMessage);
        return;
    }
    shell().deviceMacrosChanged();
    setDeviceMacros(context().cycle.deviceMacroTable());
    m_device->scrollToBottom();
    // Last, once the lists show what was asked: the read that follows draws what the mouse took.
    if (edit.result.partlyWritten())
        shell().reportNotStored(notstored::kMacros, true);
}

void MacroPage::deleteDeviceMacro() {
    const int row = selectedRow(m_device);
    hideMenus();
    clearEvents();
    if (row < 0)
        return;
    const core::MacroEdit edit =
        core::deleteDeviceMacro(context().cycle, context().namingContext(), static_cast<std::size_t>(row));
    if (edit.result.refusal == core::EditRefusal::Busy ||
        edit.result.refusal == core::EditRefusal::NotAllowed)
        return;
    shell().deviceMacrosChanged();
    setDeviceMacros(context().cycle.deviceMacroTable());
    if (m_device->count() > 0)
        m_device->setCurrentRow(std::max(row - 1, 0));
    followChosenRow();
    if (edit.result.partlyWritten())
        shell().reportNotStored(notstored::kMacros, true);
}

void MacroPage::exportDeviceMacros() {
    const QString file = MessageSeam::saveFileName(window(), QString(), QString(), kSaveFilter);
    if (file.isEmpty())
        return;
    hideMenus();
    reportWrite(window(), core::exportDeviceMacros(context().cycle.deviceMacroTable(), toPath(file)),
                toPath(file), state().text("FontName"));
}

} // namespace tarvik::gui
