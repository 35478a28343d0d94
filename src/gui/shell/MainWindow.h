#pragma once
// The main window ("TForm1"): the shell around the six pages. It owns the shared state, the session
// with the mouse and the read/write cycle; it holds the covers, the busy state, the navigation bars,
// the work-mode switch, the language switch, the hover pictures and the caption rolling. Each page
// owns its own controls and handlers and acts through the PageContext the window hands it; the
// window is that context's Shell.

#include "core/backup/BackupGuard.h"
#include "core/cycle/ConfigCycle.h"
#include "core/cycle/CycleUi.h"
#include "core/device/DeviceEventListener.h"
#include "core/device/DiscoveryUi.h"
#include "core/macros/MacroLibrary.h"
#include "gui/AppState.h"
#include "gui/device/DeviceSession.h"
#include "gui/pages/PageContext.h"
#include "gui/shell/HoverWiring.h"
#include "gui/shell/NavigationBar.h"
#include "platform/HeapWarmUp.h"
#include "platform/PointerSettings.h"

#include <QWidget>

#include <array>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <vector>

class QMenu;
class QRadioButton;
class QSystemTrayIcon;
class QTimer;

namespace tarvik::gui {

class CaptionLabel;
class CaptionRoller;
class KeysPage;
class Page;
class PictureControl;

class MainWindow : public QWidget,
                   public Shell,
                   public core::DiscoveryUi,
                   public core::DeviceEventSink,
                   public core::CycleUi {
    Q_OBJECT
public:
    static constexpr const char* kWindowTitle = "Tarvik Gaming Mouse v1.0";
    static constexpr int kPages = 6;
    // How long the pointer rests on a page's entry before that page is built ahead of the click.
    // Shorter than a click takes after the pointer arrives; longer than a pass over the bar.
    static constexpr int kEntryRestMs = 120;
    // The heap mapped ahead while the pointer is on the entry of a page not built yet (the
    // Advanced page, the largest, takes about this much).
    static constexpr std::size_t kPageHeapBytes = 3 * 1024 * 1024;

    // Runs the whole start-up (FormCreate) except the start of the session: call start() once the
    // window is shown. screenshotFolder: see MacroLibrarySource (a screenshot run leaves the user's
    // macro library alone).
    explicit MainWindow(DeviceSession::Options options = DeviceSession::Options(), QWidget* parent = nullptr,
                        QString screenshotFolder = {});
    ~MainWindow() override;

    // The end of start-up: the listener and the DevTimer start, the loading window is placed.
    void start();

    AppState& state() { return m_state; }
    DeviceSession& session() { return *m_session; }
    core::ConfigCycle& cycle() { return *m_cycle; }
    // What every page acts through: the state, the link, the cycle and this window as the shell.
    const PageContext& pageContext() const { return *m_context; }
    // gbPage1 .. gbPage6; asking for a page the window has not built yet builds that page.
    Page* page(int n) { return ensurePage(n); }
    // Builds page n if it is not built yet, with its copies of the shell's controls, and brings it to
    // the window's present layout, language and drawing, as if it had been built at start-up and kept
    // up to date. A page is built only when something needs it: opened, shown over the key page, or
    // asked for. Null while the window is being made or taken down.
    Page* ensurePage(int n);
    bool pageBuilt(int n) const { return m_pages.at(n - 1) != nullptr; }
    // Every page not built yet and the key page's menus, for code that looks controls up by name
    // (tests, tools).
    void completePages();
    bool pagesComplete() const;
    KeysPage* keysPage() const { return m_keysPage; }
    // The Fire Macro page alone, editing the preset of `button` of Game Mode (FirePage::openForButton).
    void showFirePage(int button);
    // Copy 1..5 of the navigation bar; like page(), a copy not built yet builds its page.
    const NavigationBar& bar(int copy);
    CaptionRoller& roller() { return *m_roller; }
    QString applicationTitle() const { return m_applicationTitle; }
    // The PC macro library as loaded at start-up (or the default one), and its file.
    core::MacroLibrary& macroLibrary() { return m_state.macroLibrary; }
    QString macroLibraryPath() const { return m_state.macroLibraryPath; }

    // Where the backups kept before the first change of each mouse go: the XDG state folder, or a
    // folder of Qt's test mode while tests run.
    static std::filesystem::path backupFolder();
    core::BackupGuard& backups() { return *m_backups; }
    // The tray icon's context menu ("TrayMenu"); it exists also where the desktop has no tray.
    QMenu* trayMenu() const { return m_trayMenu; }
    // "Restore an earlier configuration...": the backups in a small dialog; the one chosen is written
    // to the mouse as a loaded profile file is.
    void openRestoreDialog();

    // Both device handles are valid.
    bool deviceConnected();
    // Shows the pressed picture of a button that needs the mouse; without one that was read whole,
    // "Str022" and false.
    bool pressDeviceButton(const QString& entry, const QString& picture);

    // --- Busy state and covers
    void showCovers();
    void hideCovers();
    bool coversShown() const;
    // A transfer with the mouse is running (between beginBusy and endBusy).
    bool busy() const { return m_busy; }

    // --- Navigation (the handlers after their guards)
    // Btn_Main_0Click, Btn_Switch_0Click, Btn_Fixed_0Click for work mode 1..3.
    void switchWorkMode(int mode);
    // Btn_Adv_0Click .. Btn_Update_0Click: page 2..5.
    void openPage(int page);
    // 1..7: the checked page radio button (rb_1 .. rb_7).
    int pageState() const;
    // 1..3 while the key page shows a work mode; 0 otherwise.
    int workMode() const override;
    void buttonTypeB1IconInit();

    // --- Layout and language
    // Btn_Lang1_0Click .. Btn_Lang3_0Click.
    void switchLanguage(int languageIndex);
    // Backgrounds, groups A, B, C, G here and the pages' own groups, then the texts.
    void applyLayout(int layoutIndex);
    // The language and layout tables of layoutIndex into the state, without touching a control.
    void loadLayoutTables(int layoutIndex);
    // Applies the tables the state holds now (applyLayout after loadLayoutTables).
    void applyLoadedLayout();

    // --- Drawing
    void refreshErrorAP() override;
    // HideAllMenu: every page's menus.
    void hideAllMenu() override;
    void openFireMacroPage() override;
    // The pointer rests on a page's entry: a page not built yet is built once it has rested there for
    // kEntryRestMs, before the click that opens it (on a key page button: the menus it opens).
    void pointerOnPageEntry(int page) override;
    void pointerOffPageEntry() override;
    // Shows a message by language key through the seam.
    void showMessage(const char* key) override;
    // ResetAndRefind of the session's discovery.
    void resetAndRefind() override;
    void reportNotStored(const char* key, bool readAgain) override;

    // --- DiscoveryUi
    void showNoDevice() override;
    void showDeviceReady() override;
    void startFullRead() override;
    void showMessageDialog(std::string_view key) override;
    void showMessageBox(std::string_view key) override;
    void setDevTimerEnabled(bool enabled) override;
    void setApplyingImage(bool applying) override;
    void showPermissionProblem() override;
    void showMouseNotAnswering() override;
    void showReadFailed() override;
    void linkLost() override;
    void identityRefused() override;

    // --- DeviceEventSink
    void refreshCurrentDpiStatus() override;
    void refreshCurrentProfileStatus() override;

    // --- CycleUi
    void beginBusy() override;
    void endBusy() override;
    void showLoading() override;
    void hideLoading() override;
    void processEvents() override;
    void closeKeyMenus() override;
    void refreshPcMacroNames() override;
    void redrawDeviceMacros() override;
    void deviceMacrosChanged() override;
    void redrawFireMacros() override;
    void clearDeviceMacroViews() override;
    void clearFireMacroViews() override;
    void refreshUi() override;
    void readOsMouseParameters() override;

signals:
    // A mouse has been read and drawn (the end of a successful full read).
    void deviceReady();
    // The window's first frame is out: what it does not show can be made now.
    void firstFrameShown();

protected:
    void showEvent(QShowEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createFirstPage();
    void createShellControls(int page);
    void connectNavigation(const NavigationBar& bar);
    // Backgrounds, bar copy and the page's own groups of page n in the current layout.
    void applyPageLayout(int n);
    void applyPageLanguage(int n);
    void applyLanguageTexts();
    // The entries of a bar copy as the window's state shows them: the current page and language lit.
    void showStateEntries(const NavigationBar& bar);
    // The key page of a work mode as drawn from the mouse: page look, radio button, menu sizes and
    // the profile's captions; nothing is written and the Disable cover stays as it is.
    void showWorkModePage(int mode);
    void showPageAlone(int page);
    // Tab through page n: its bar copy, then its own controls, each in reading order.
    void orderPageFocus(int n);
    // Page n's own controls (the bar copy and the cover not among them) in reading order.
    std::vector<QWidget*> pageControls(int n) const;
    void setPageState(int state);
    void setEntryPictures(const QString& entry, const QString& picture);
    QString entryOfPageState(int state) const;
    bool navigationGuard(bool modeEntry);
    void defaultSettings(int n);
    void checkPcMacro();
    // The tray icon, where the desktop has a tray, with the tray menu and the application's icon.
    void showTrayIcon();
    void afterFirstFrame();
    void exitProgram();
    void finishRequestedClose();
    // Btn_Save_0Click and Btn_Load_0Click: the whole mouse into a profile file and back.
    void saveProfile();
    void loadProfile();
    void startWindowMove();
    // Cover n over its page's working area, with the navigation bar copy n above it.
    void raiseCover(int n);
    // RefreshAIMKey: the AIM step and the fire keys follow the profile of the work mode shown.
    void showProfileSettings(int mode);
    // Tells every page built so far of an event of the cycle or the shell; a page built later draws
    // the window's state as it is then (ensurePage).
    void tellPages(const std::function<void(Page&)>& hook);
    Page* makePage(int n);
    // The shell's part of a page built late: copy n of the navigation bar as copy 1 shows it, the
    // cover as the others stand, the connections of the bar and of the page.
    void connectBuiltPage(int n);
    // What the cycle has drawn on every page so far, drawn on a page built now.
    void drawStateOn(Page& page);
    // A page shown over the key page is done.
    void returnToKeyPage();
    // The entries of every built bar copy, for the loops over all of them.
    std::vector<const NavigationBar*> builtBars() const;

    AppState m_state;
    // Fills the font database on a worker during start-up; waited for when the window goes.
    std::future<void> m_fontWarmUp;
    std::unique_ptr<DeviceSession> m_session;
    std::unique_ptr<core::ConfigCycle> m_cycle;
    std::unique_ptr<core::BackupGuard> m_backups; // after the session and cycle: goes before them
    std::optional<PageContext> m_context;
    std::array<Page*, kPages> m_pages{};
    // The home page, which the shell switches between the work modes.
    KeysPage* m_keysPage = nullptr;
    // Copy n of the navigation bar lives on page n and exists once that page is built.
    std::array<std::optional<NavigationBar>, NavigationBar::kCopies> m_bars;
    std::array<PictureControl*, kPages> m_bases{};
    std::array<CaptionLabel*, NavigationBar::kCopies> m_covers{};
    std::array<QRadioButton*, 7> m_pageRadios{};
    std::array<QRadioButton*, 3> m_languageRadios{};
    std::array<bool, 3> m_modeEnabled{true, true, false};
    CaptionRoller* m_roller = nullptr;
    std::optional<HoverWiring> m_hover;
    QSystemTrayIcon* m_tray = nullptr;
    QMenu* m_trayMenu = nullptr;
    // Opened with the Advanced page, the only one that shows them.
    std::unique_ptr<platform::PointerSettings> m_pointerSettings;
    QString m_applicationTitle;
    QString m_screenshotFolder;
    bool m_started = false;
    // Between beginBusy() and endBusy(): a transfer with the mouse is running.
    bool m_busy = false;
    // The window manager asked to close while a transfer ran: the program ends when it is over.
    bool m_closeRequested = false;
    // While the constructor runs, and once the destructor has begun, pages not built yet stay unbuilt.
    bool m_deferPages = true;
    bool m_firstFrameQueued = false;
    // What the cycle last told the pages that refreshFromImage does not redraw: a page built later
    // draws the same. The macro lists were emptied (the mouse left, or a default image replaces
    // them) and not drawn again since; the mouse reported a current DPI level since the last drawing.
    bool m_deviceMacrosCleared = false;
    bool m_fireMacrosCleared = false;
    bool m_currentDpiReported = false;
    // Runs out when the pointer has rested on a page's entry for kEntryRestMs (pointerOnPageEntry()).
    QTimer* m_entryRest = nullptr;
    // The heap a page not built yet will be built in, mapped while the pointer is on its entry.
    std::optional<platform::HeapWarmUp> m_heapAhead;
    int m_restingOnPage = 0;
};

} // namespace tarvik::gui
