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

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScopeGuard>

#include <algorithm>
#include <iterator>

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
        list->installEventFilter(this);
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
    // The menus' keys, and focus back to the list when a menu that holds it closes.
    for (QWidget* menu : m_menus) {
        menu->installEventFilter(this);
        for (CaptionLabel* entry : menu->findChildren<CaptionLabel*>(Qt::FindDirectChildrenOnly))
            entry->installEventFilter(this);
    }
    for (CaptionLabel* button : {m_record, m_insertRecord})
        button->installEventFilter(this);
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

QListWidget* MacroPage::listOf(const QWidget* menu) const {
    return menu == m_menus[0] ? m_library : menu == m_menus[1] ? m_device : m_events;
}

bool MacroPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_record || watched == m_insertRecord) {
        if (recordButtonEvent(static_cast<CaptionLabel*>(watched), event))
            return true;
        return Page::eventFilter(watched, event);
    }
    for (QWidget* menu : m_menus) {
        if (watched == menu && event->type() == QEvent::Hide) {
            // A menu the keyboard was in closes (chosen, Escape, or closed from elsewhere): the key
            // focus goes back to its list rather than on to whatever control follows the menu.
            QWidget* focus = window()->focusWidget();
            QListWidget* owner = listOf(menu);
            if (focus && menu->isAncestorOf(focus) && isVisible() && owner->isVisible() && owner->isEnabled())
                owner->setFocus(Qt::TabFocusReason);
        } else if (event->type() == QEvent::KeyPress && watched->parent() == menu) {
            if (auto* entry = qobject_cast<CaptionLabel*>(watched);
                entry && menuKey(entry, static_cast<QKeyEvent*>(event)->key()))
                return true;
        }
    }
    if (event->type() == QEvent::KeyPress)
        for (QListWidget* l : {m_library, m_device, m_events})
            if (watched == l && listKey(l, static_cast<QKeyEvent*>(event)))
                return true;

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

// --- keys ----------------------------------------------------------------------------------------

bool MacroPage::listKey(QListWidget* list, QKeyEvent* key) {
    const bool menuKey =
        key->key() == Qt::Key_Menu || (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier);
    if (menuKey) {
        openMenuByKey(list);
        return true;
    }
    // A row reached by the arrow keys is chosen as a click on it chooses it: the macro it names is
    // shown, and the other name list gives up its selection.
    static constexpr int kMoves[] = {Qt::Key_Up,  Qt::Key_Down,   Qt::Key_Home,
                                     Qt::Key_End, Qt::Key_PageUp, Qt::Key_PageDown};
    if (list == m_events || m_keyMoving == list ||
        std::find(std::begin(kMoves), std::end(kMoves), key->key()) == std::end(kMoves))
        return false;
    const int before = list->currentRow();
    m_keyMoving = list;
    QCoreApplication::sendEvent(list, key);
    m_keyMoving = nullptr;
    QListWidgetItem* item = list->currentItem();
    if (item && item->isSelected() && list->currentRow() != before) {
        (list == m_library ? m_device : m_library)->clearSelection();
        emit list->itemClicked(item);
    }
    return true;
}

void MacroPage::openMenuByKey(QListWidget* list) {
    // As a right click on the current row: that row is chosen first.
    if (list == m_library)
        m_device->clearSelection();
    else if (list == m_device)
        m_library->clearSelection();
    QPoint at(list->viewport()->width() / 2, 0);
    if (QListWidgetItem* item = list->currentItem()) {
        list->setCurrentItem(item);
        emit list->itemClicked(item);
        list->scrollToItem(item);
        at = list->visualItemRect(item).center();
    }
    if (list == m_events && (selectedRow(m_library) < 0 || selectedRow(m_events) < 0))
        return;
    openMenu(list, at);
    focusMenuEntry(menuOf(list), nullptr, 1);
}

void MacroPage::focusMenuEntry(QWidget* menu, CaptionLabel* from, int step) {
    // The entries a key can reach, top to bottom: those shown and enabled.
    QList<CaptionLabel*> entries;
    for (CaptionLabel* entry : menu->findChildren<CaptionLabel*>(Qt::FindDirectChildrenOnly))
        if (entry->isVisible() && entry->isEnabled())
            entries << entry;
    if (entries.isEmpty())
        return;
    std::sort(entries.begin(), entries.end(),
              [](const QWidget* a, const QWidget* b) { return a->y() < b->y(); });
    const qsizetype at = from ? entries.indexOf(from) : -1;
    const qsizetype next = at < 0 ? 0 : (at + step + entries.size()) % entries.size();
    entries.at(next)->setFocus(Qt::TabFocusReason);
}

bool MacroPage::menuKey(CaptionLabel* entry, int key) {
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Backtab:
        focusMenuEntry(entry->parentWidget(), entry, -1);
        return true;
    case Qt::Key_Down:
    case Qt::Key_Tab:
        // An open menu keeps the keys, as a pop-up menu does, until an entry is chosen or Escape.
        focusMenuEntry(entry->parentWidget(), entry, 1);
        return true;
    case Qt::Key_Escape:
        hideMenus();
        return true;
    default:
        return false; // Enter and Space are the entry's click
    }
}

bool MacroPage::recordButtonEvent(CaptionLabel* button, QEvent* event) {
    switch (event->type()) {
    case QEvent::FocusIn:
        m_editor.setKeyboardOnRecordButton(true);
        return false;
    case QEvent::FocusOut:
        m_editor.setKeyboardOnRecordButton(false);
        return false;
    case QEvent::KeyPress: {
        const bool running = button == m_record ? m_editor.recording() : m_editor.insertRecording();
        if (!running)
            return false;
        // While it records, Stop keeps the focus: a typed Tab or arrow is part of the macro and does
        // not carry the next Enter to another control. Enter and Space stop the recording.
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool stops = key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier;
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            return !stops;
        default:
            return true;
        }
    }
    default:
        return false;
    }
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
            MessageSeam::showMessageDialog(window(), s.text("Str731").arg(s.macroLibraryPath),
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
    MessageSeam::showMessageDialog(
        window(), s.text("Str732").arg(s.macroLibraryPath, QString::fromStdString(result.error)),
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
            window(), state().text("Str733").arg(file, QString::fromStdString(read.error)), font);
        return;
    }
    // A shorter file is no single-macro file; reading it would leave another slot's bytes behind.
    if (bytes->size() < core::kLibraryRecordSize) {
        MessageSeam::showMessageDialog(window(), state().text("Str734").arg(file), font);
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
        MessageSeam::showMessageDialog(window(), state().text("Str734").arg(file), font);
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
        MessageSeam::showMessageDialog(window(),
                                       state().text("Str733").arg(file, QString::fromStdString(read.error)),
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
                 const AppState& state) {
    if (result)
        return;
    MessageSeam::showMessageDialog(
        window,
        state.text("Str735").arg(QString::fromStdString(core::exportFilePath(chosen).string()),
                                 QString::fromStdString(result.error)),
        state.text("FontName"));
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
                toPath(file), state());
}

void MacroPage::exportAll() {
    const QString file = MessageSeam::saveFileName(window(), QString(), QString(), kSaveFilter);
    if (file.isEmpty())
        return;
    hideMenus();
    reportWrite(window(), core::exportLibrary(state().macroLibrary, toPath(file)), toPath(file), state());
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
                toPath(file), state());
}

} // namespace tarvik::gui
