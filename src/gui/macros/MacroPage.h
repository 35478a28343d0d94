#pragma once
// The macro page ("gbPage4"): the PC macro library, the macros in the mouse and the events of the
// macro last chosen, the New and Record buttons, the delay options of recordings, the insert box
// and the right-click menus of the three lists.

#include "core/macros/MacroCodec.h"
#include "core/macros/MacroEditor.h"
#include "core/macros/MacroTypes.h"
#include "gui/eventlist/EventListEditor.h"
#include "gui/pages/Page.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

namespace tarvik::core {
class MacroLibrary;
class DeviceMacroTable;
} // namespace tarvik::core

namespace tarvik::platform {
class InputCapture;
} // namespace tarvik::platform

namespace tarvik::gui {

class CaptionLabel;
class MacroNameDialog;
class PictureControl;

class MacroPage : public Page {
    Q_OBJECT
public:
    MacroPage(const PageContext& context, QWidget* parent);
    ~MacroPage() override;

    void applyLayout() override;
    void applyLanguage() override;
    void refreshFromImage() override {} // the lists come from the macro stores, not the image

    // RefreshPCMacroName: one row per library macro, scrolled to the last; New is offered only while
    // the library has room.
    void setLibrary(const core::MacroLibrary& library);
    // The device macro list: one row per macro in the mouse, in table order.
    void setDeviceMacros(const core::DeviceMacroTable& table);
    // The event list and the editor text: one row per line after the DelayModeHeader.
    void showMacroText(const core::MacroText& text);
    // The hexadecimal form of the macro last encoded or shown.
    void setDiagnostic(const QString& hex);

    // The delay options of normal and of insert recordings, as a click on an option shows them.
    void showDelayMode(core::DelayMode mode);
    void showInsertDelayMode(core::DelayMode mode);
    // The insert box's controls for an insert choice (0..7) and its backing picture.
    void applyInsertChoice(int item);

    // While an insertion is open its box stands in place of the delay box.
    bool insertPanelOpen() const;
    // What opening the page shows below the lists: the insert box while an insertion is open, the
    // delay box otherwise.
    void showRecordingBox();
    void opened() override { showRecordingBox(); }
    // A language switch hides the delay box until the page is opened again.
    void languageSwitching() override;
    // The mouse is gone: its macro list and the events shown are emptied.
    void clearDeviceMacros();
    void macroLibraryChanged() override;
    void deviceMacroTableChanged() override;
    void deviceMacroTableCleared() override { clearDeviceMacros(); }
    // The right-click menus of the three lists.
    void hideMenus() override;

    // The library's operations (their menu entries and the New button call these).
    void newMacro();
    void renameMacro();
    void deleteLibraryMacro();
    void importOne();
    void importAll();
    void exportOne();
    void exportAll();
    // The mouse's: Add to Mouse (the selected library macro), Delete and Export All.
    void addToMouse();
    void deleteDeviceMacro();
    void exportDeviceMacros();
    // A click on a row: the events of that macro (a device macro's read-only).
    void showLibraryMacro(int row);
    void showDeviceMacro(int row);

    // The "Macro Name" dialog, once it has been opened.
    MacroNameDialog* nameDialog() const { return m_nameDialog; }

    // --- Recording and editing the events of the selected library macro ---
    // The source of key and button events of recordings; without one, the system's is made when the
    // page is first opened.
    void setInputCapture(std::unique_ptr<platform::InputCapture> capture);
    // Record/Stop of a normal recording (Btn_Start) and of an insert recording (Btn_InsertStart).
    void toggleRecording();
    void toggleInsertRecording();
    // One event of the input capture while a recording runs (the capture calls it).
    void recordInput(const core::InputEvent& event);
    // The event list's menu: Edit, Delete and Insert of the selected row.
    void editRow();
    void deleteRow();
    void openInsertPanel();
    // The insert panel's OK and Cancel.
    void insertOk();
    void insertCancel();
    const core::MacroEditor& editor() const { return m_editor; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QListWidget* addList(const QString& name, QSize size);
    void buildDelayBox();
    void buildInsertBox();
    void buildMenus();
    // The insert box's captions placed and sized so that each one's words fit it in the current
    // language (after the layout or the texts change).
    void fitInsertBox();
    CaptionLabel* addButton(QWidget* parent, const QString& name, const QString& picture, const char* hover,
                            const char* normal);
    void fillRows(QListWidget* list, const std::vector<std::string>& names);
    QSize rowSize(const QListWidget* list) const;
    void wireLists();
    void wireMenus();
    QWidget* menuOf(const QListWidget* list) const;
    QListWidget* listOf(const QWidget* menu) const;
    void openMenu(QListWidget* list, QPoint atInList);
    // Keyboard use of the lists and their menus: the Menu key or Shift+F10 opens a list's menu at its
    // current row, as a right click on that row does; in the menu Up/Down move, Enter chooses and
    // Escape closes it, back to the list.
    bool listKey(QListWidget* list, QKeyEvent* key);
    void openMenuByKey(QListWidget* list);
    bool menuKey(CaptionLabel* entry, int key);
    void focusMenuEntry(QWidget* menu, CaptionLabel* from, int step);
    // Record/Stop with keyboard focus: Enter or Space presses it, every other key goes into the macro.
    bool recordButtonEvent(CaptionLabel* button, QEvent* event);
    bool belowLastRow(QListWidget* list, QPoint atInList) const;
    void clearEvents();
    // The events shown are always those of the row the library list (or else the mouse's list) has
    // chosen: every operation that changes the lists or the editor ends here.
    void followChosenRow();
    // The delay options as the shown macro's delays settle them (the default gap into its field).
    void showDecodedDelay(const core::DecodedMacro& decoded);
    void redrawEvents();
    void stopCapture();
    void closeInsertPanel();
    // The shared event list editor over this page's controls, and what this page does around it.
    void wireEditing();
    void showInsertChoiceExtras(int item);
    core::RecordSettings recordSettings(const DelayOptions& options) const;
    int selectedRow(const QListWidget* list) const;
    // RefreshPCMacro: the library to its file; a failure is reported once, with the file's name.
    void saveLibrary();
    void relistLibrary(int selectRow);
    // After a library name change (New, Rename): relisted and saved, or "Str106" for a duplicate.
    void libraryChanged(core::MacroLibrary::Result result, int selectRow);
    void askName(const std::function<void(const QString&)>& apply);

    PictureControl* m_page = nullptr;
    QListWidget* m_library = nullptr;
    QListWidget* m_device = nullptr;
    QListWidget* m_events = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QPlainTextEdit* m_diagnostic = nullptr;
    CaptionLabel* m_new = nullptr;
    CaptionLabel* m_record = nullptr;
    QWidget* m_delayBox = nullptr;
    DelayOptions m_delay;
    QWidget* m_insertBox = nullptr;
    PictureControl* m_insertBase = nullptr;
    QComboBox* m_insertChoice = nullptr;
    DelayOptions m_insertDelay;
    CaptionLabel* m_insertRecord = nullptr;
    CaptionLabel* m_ok = nullptr;
    CaptionLabel* m_cancel = nullptr;
    std::array<QWidget*, 3> m_insertDelayControls{}; // caption, edit, unit
    std::array<QWidget*, 4> m_axisControls{};
    std::array<QWidget*, 2> m_repeatControls{};
    std::array<QWidget*, 3> m_menus{};
    int m_rowHeight = 20;
    // The list a key press is being handed to (it then says whether its row changed).
    QListWidget* m_keyMoving = nullptr;
    MacroNameDialog* m_nameDialog = nullptr;

    core::MacroEditor m_editor;
    MacroEventRules m_rules{m_editor};
    EventListEditor* m_list = nullptr;
    QLabel* m_captureNote = nullptr;
    QWidget* m_insertCover = nullptr;
};

} // namespace tarvik::gui
