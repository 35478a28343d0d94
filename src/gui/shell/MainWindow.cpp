#include "gui/shell/MainWindow.h"

#include "core/cycle/WorkModeSwitch.h"
#include "core/edit/SettingEdits.h"
#include "core/edit/StoreEdits.h"
#include "core/text/LanguageTables.h"
#include "gui/dialogs/MessageSeam.h"
#include "gui/dialogs/RestoreBackupDialog.h"
#include "gui/fire/FirePage.h"
#include "gui/keys/KeysPage.h"
#include "gui/macros/MacroLibraryStart.h"
#include "gui/macros/MacroPage.h"
#include "gui/pages/AdvancedPage.h"
#include "gui/pages/LightingPage.h"
#include "gui/pages/NotStored.h"
#include "gui/pages/UpdatePage.h"
#include "gui/shell/ProfileFileActions.h"
#include "gui/skin/CaptionLabel.h"
#include "gui/skin/CaptionRoller.h"
#include "gui/skin/KeyboardFocus.h"
#include "gui/skin/PictureControl.h"
#include "gui/skin/Skin.h"
#include "platform/FreedMemory.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFontDatabase>
#include <QGroupBox>
#include <QMenu>
#include <QRadioButton>
#include <QScreen>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <filesystem>

namespace tarvik::gui {

namespace {

constexpr int kPageStates = 7;
constexpr QRgb kColourKey = qRgb(128, 0, 0);

// The navigation entry of each page state rb_1 .. rb_7.
constexpr const char* kEntryOfState[kPageStates] = {"Main",   "Switch", "Fixed", "Adv",
                                                    "Breath", "Macro",  "Update"};

// The page picture of each page (Img_P1 .. Img_P6) in layout n; Update keeps its own picture.
QString pagePictureName(int page, int layoutIndex) {
    static constexpr int kBack[kPageStates] = {1, 2, 3, 4, 0, 5, 0};
    if (page == 5)
        return QStringLiteral("Update");
    return QStringLiteral("L%1_Back%2").arg(layoutIndex).arg(kBack[page - 1]);
}

} // namespace

MainWindow::MainWindow(DeviceSession::Options options, QWidget* parent, QString screenshotFolder)
    : QWidget(parent), m_screenshotFolder(std::move(screenshotFolder)) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QLatin1String(kWindowTitle));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);

    // The tray menu is made either way, as the restore entry is reached through it; the tray icon
    // itself comes after the first frame (showTrayIcon()).
    m_trayMenu = new QMenu(this);
    m_trayMenu->setObjectName(QStringLiteral("TrayMenu"));
    // Its words are set with the language (applyLanguageTexts).
    QAction* restore = m_trayMenu->addAction(QString());
    restore->setObjectName(QStringLiteral("Act_RestoreBackup"));
    connect(restore, &QAction::triggered, this, &MainWindow::openRestoreDialog);

    // The window takes the size and shape of the background; the colour-key pixels are cut out.
    // The font database fills itself on first use (the first caption measured below): the fill is
    // thread-safe and runs on a worker meanwhile, started first, as the first frame waits for it
    // longest. The two large pictures of the first frame decode on workers while the controls are
    // built; the size comes from the picture's header and the shape is cut once the controls stand.
    m_fontWarmUp = std::async(std::launch::async, [] { QFontDatabase::families(); });
    const QString backgroundName = QStringLiteral("L1_BackGround");
    if (const QSize backgroundSize = Skin::pictureSize(backgroundName); backgroundSize.isValid())
        resize(backgroundSize);
    else
        resize(0, 0);
    const std::shared_future<QRegion> shape = Skin::prefetchShape(backgroundName, kColourKey);
    Skin::prefetch({pagePictureName(1, 1)});
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(kColourKey));
    setPalette(palette);
    setAutoFillBackground(true);

    // The session with the mouse; nothing runs until start().
    if (!options.identity)
        options.identity = core::DefaultIdentity::fromResources();
    m_state.general = core::GeneralLayout::loadBuiltIn();
    options.revManuId = m_state.general.revManuId;
    options.revProId = m_state.general.revProId;
    m_session = std::make_unique<DeviceSession>(*this, *this, std::move(options));
    // The session leaves a mouse that a tarvikctl run holds alone until the run has finished; the
    // user is told why nothing is shown meanwhile.
    connect(m_session.get(), &DeviceSession::mouseHeldByTool, this, [this](qint64 pid) {
        const QString who =
            pid > 0 ? QStringLiteral("tarvikctl (process %1)").arg(pid) : QStringLiteral("tarvikctl");
        MessageSeam::showMessageDialog(this, m_state.text("Str724").arg(who), m_state.text("FontName"));
    });
    m_cycle =
        std::make_unique<core::ConfigCycle>(m_session->link(), m_state.buffers, *this, m_state.applyingImage);
    m_context.emplace(PageContext{m_state, m_session->link(), *m_cycle, *this});
    // Before the first change of each mouse, what its full read held is kept; when that cannot be
    // done the user decides, once, whether this run changes it without a backup.
    m_backups = std::make_unique<core::BackupGuard>(
        m_session->link(), *m_cycle, core::BackupStore(backupFolder()), [this](const std::string& why) {
            return MessageSeam::confirm(this, m_state.text("Str725") + QLatin1Char('\n') +
                                                  QString::fromStdString(why) + QStringLiteral("\n\n") +
                                                  m_state.text("Str726"));
        });

    m_roller = new CaptionRoller(
        this,
        static_cast<int>(
            m_session->clock().scaledMs(std::chrono::milliseconds(CaptionRoller::kIntervalMs)).count()));
    m_hover.emplace(*this, *m_roller,
                    HoverWiring::Window{[this](const QString& entry, const QString& picture) {
                                            setEntryPictures(entry, picture);
                                        },
                                        [this] { return entryOfPageState(pageState()); },
                                        [this] { return m_state.languageIndex; }});

    // The first page, the covers and the skin pictures every control starts with. The other
    // pages are built when they are first needed (ensurePage()): a user who never opens them never
    // pays for them.
    createFirstPage();
    showPageAlone(1);
    setPageState(1);
    showCovers();

    // The general table "ORG" says whether captions roll.
    m_roller->setRollingEnabled(m_state.general.textRolling);

    connectNavigation(*m_bars.front());
    m_hover->connectBar(*m_bars.front());
    m_hover->connectKeys(*m_keysPage);

    // The PC macro library before anything lists it; what went wrong with it is told once the window
    // is up.
    checkPcMacro();

    // Language 1 and its layout tables; the controls take them once, through the language
    // switch at the end, after the defaults are drawn.
    loadLayoutTables(1);

    // The defaults of image 1 without a mouse, on the first page.
    m_cycle->initNoDevice();
    refreshErrorAP();

    // Pages built by now show the desktop's pointer settings; the others read them when they are built.
    readOsMouseParameters();

    // The application title and language 1 come through the language buttons' handler, as a click on
    // them sets every text.
    switchLanguage(m_state.languageIndex);
    if (const QRegion region = shape.get(); !region.isEmpty())
        setMask(region);
    m_deferPages = false;
    update();
}

MainWindow::~MainWindow() {
    m_deferPages = true;
    // The listener thread must stop before the window it reports to goes away.
    if (m_session)
        m_session->shutdown();
    // The pages hold the state by reference: they go before it does.
    for (Page*& page : m_pages) {
        delete page;
        page = nullptr;
    }
}

void MainWindow::start() {
    if (m_started)
        return;
    m_started = true;
    m_session->placeLoadingWindow(*this);
    m_session->start();
}

// --- Construction -----------------------------------------------------------------------------------

void MainWindow::createFirstPage() {
    m_keysPage = new KeysPage(*m_context, this);
    m_pages[0] = m_keysPage;
    m_keysPage->setGeometry(rect());
    createShellControls(1);
    connect(m_keysPage, &Page::closed, this, &MainWindow::returnToKeyPage);

    // The page and language state: hidden radio buttons, one of each group checked.
    auto* pageControl = new QGroupBox(this);
    pageControl->setObjectName(QStringLiteral("gbPageCtl"));
    pageControl->hide();
    for (int i = 0; i < kPageStates; ++i) {
        m_pageRadios[i] = new QRadioButton(pageControl);
        m_pageRadios[i]->setObjectName(QStringLiteral("rb_%1").arg(i + 1));
    }
    auto* languageControl = new QGroupBox(this);
    languageControl->setObjectName(QStringLiteral("gbLangCtl"));
    languageControl->hide();
    for (int i = 0; i < 3; ++i) {
        m_languageRadios[i] = new QRadioButton(languageControl);
        m_languageRadios[i]->setObjectName(QStringLiteral("rb_Lang%1").arg(i + 1));
    }
    m_pageRadios[0]->setChecked(true);
    m_languageRadios[0]->setChecked(true);
}

const NavigationBar& MainWindow::bar(int copy) {
    ensurePage(copy);
    return m_bars.at(copy - 1).value();
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The first exposure of the window draws its first frame.
    if (!m_firstFrameQueued)
        if (QWindow* window = windowHandle())
            window->installEventFilter(this);
}

std::vector<const NavigationBar*> MainWindow::builtBars() const {
    std::vector<const NavigationBar*> bars;
    for (const std::optional<NavigationBar>& bar : m_bars)
        if (bar)
            bars.push_back(&*bar);
    return bars;
}

bool MainWindow::focusNextPrevChild(bool next) {
    // Tab skips covered controls and takes a radio group as one stop.
    if (QWidget* stop = keyboard::nextTabStop(this, next)) {
        stop->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
    }
    return true;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress &&
        watched->objectName().startsWith(QLatin1String("Disable_All_"))) {
        startWindowMove();
        return false;
    }
    if (event->type() == QEvent::Expose && watched == windowHandle() && windowHandle()->isExposed()) {
        watched->removeEventFilter(this);
        // The frame is painted while the exposure is handled: what is queued now comes after it.
        if (!m_firstFrameQueued) {
            m_firstFrameQueued = true;
            QTimer::singleShot(0, this, &MainWindow::afterFirstFrame);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::afterFirstFrame() {
    emit firstFrameShown();
    showTrayIcon();
}

void MainWindow::showTrayIcon() {
    // Asking whether the desktop has a tray can take a round trip to the session bus.
    if (m_tray || !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    m_tray = new QSystemTrayIcon(QApplication::windowIcon(), this);
    m_tray->setObjectName(QStringLiteral("CoolTrayIcon1"));
    m_tray->setToolTip(m_applicationTitle);
    m_tray->setContextMenu(m_trayMenu);
    m_tray->show();
}

void MainWindow::completePages() {
    m_keysPage->menus();
    for (int n = 2; n <= kPages; ++n)
        ensurePage(n);
}

bool MainWindow::pagesComplete() const {
    return std::all_of(m_pages.begin(), m_pages.end(), [](const Page* p) { return p != nullptr; });
}

Page* MainWindow::makePage(int n) {
    switch (n) {
    case 2: {
        auto* advanced = new AdvancedPage(*m_context, this);
        // The desktop's pointer settings are opened with the one page that shows them: opening them
        // can take a connection to the session bus or a second one to the X server.
        if (!m_pointerSettings)
            m_pointerSettings = platform::makeSystemPointerSettings();
        advanced->setPointerSettings(m_pointerSettings.get());
        return advanced;
    }
    case 3:
        return new LightingPage(*m_context, this);
    case 4:
        return new MacroPage(*m_context, this);
    case 5:
        return new UpdatePage(*m_context, this);
    case 6:
        return new FirePage(*m_context, this);
    default:
        return nullptr;
    }
}

Page* MainWindow::ensurePage(int n) {
    if (Page* built = m_pages.at(n - 1))
        return built;
    if (m_deferPages)
        return nullptr;
    Page* page = makePage(n);
    m_pages[n - 1] = page;
    page->hide();
    page->setGeometry(rect());
    createShellControls(n);
    connectBuiltPage(n);
    applyPageLayout(n);
    applyPageLanguage(n);
    drawStateOn(*page);
    return page;
}

void MainWindow::connectBuiltPage(int n) {
    Page* page = m_pages[n - 1];
    // A page shown over the key page (the fire page's Confirm and Cancel) returns to it.
    connect(page, &Page::closed, this, &MainWindow::returnToKeyPage);
    if (n <= NavigationBar::kCopies) {
        const NavigationBar& copy = *m_bars[n - 1];
        const NavigationBar& first = *m_bars[0];
        connectNavigation(copy);
        m_hover->connectBar(copy);
        // Every entry shows the picture the other copies show (the lit page and language, a pressed
        // button), as every change of them goes to all copies at once; only the hover of a page,
        // mode or language entry is copy 1's own (the pointer may rest there while this is built).
        auto takePicture = [&](const QString& entry) {
            const QString shown = first.picture(entry)->pictureName();
            copy.picture(entry)->setPicture(shown == QLatin1String("SetS_02") ? QStringLiteral("SetS_01")
                                                                              : shown);
        };
        for (const NavigationEntry& e : NavigationBar::entries())
            takePicture(QLatin1String(e.entry));
        takePicture(QStringLiteral("Web"));
        const QString exit = QStringLiteral("Exit");
        copy.label(exit)->setEnabled(first.label(exit)->isEnabled());
        m_covers[n - 1]->setVisible(coversShown());
    }
    // The update page's buttons swap their own pictures; their captions roll like the others'.
    if (n == 5)
        for (const char* name : {"Btn_LoadBIN", "Btn_Program"})
            if (auto* label = page->findChild<CaptionLabel*>(QLatin1String(name)))
                m_hover->connectRolling(label);
}

void MainWindow::drawStateOn(Page& page) {
    // As the cycle draws: nothing the drawing triggers is sent to the mouse.
    const bool applying = m_state.applyingImage;
    m_state.applyingImage = true;
    page.refreshFromImage();
    if (m_currentDpiReported)
        page.currentDpiChanged();
    page.pointerSettingsChanged();
    page.macroLibraryChanged();
    if (m_deviceMacrosCleared)
        page.deviceMacroTableCleared();
    else
        page.deviceMacroTableChanged();
    if (m_fireMacrosCleared)
        page.fireMacroTableCleared();
    else
        page.fireMacroTableChanged();
    m_state.applyingImage = applying;
}

void MainWindow::pointerOnPageEntry(int n) {
    if (n == 1 ? m_keysPage->menusBuilt() : m_pages.at(n - 1) != nullptr)
        return;
    // A page is built in fresh heap, a page fault for every page of it first written. The click
    // comes after the pointer arrived: a worker maps the heap meanwhile, and the building finds it
    // mapped.
    if (!m_heapAhead || m_heapAhead->done()) {
        m_heapAhead.reset();
        m_heapAhead.emplace(kPageHeapBytes);
    }
    if (!m_entryRest) {
        m_entryRest = new QTimer(this);
        m_entryRest->setSingleShot(true);
        m_entryRest->setInterval(kEntryRestMs);
        connect(m_entryRest, &QTimer::timeout, this, [this] {
            // Only a page the entry would open now: with a mouse read, outside a transfer.
            if (!m_restingOnPage || m_busy || !deviceConnected() || m_state.noDevicePage)
                return;
            if (m_restingOnPage == 1)
                m_keysPage->menus();
            else
                ensurePage(m_restingOnPage);
        });
    }
    m_restingOnPage = n;
    m_entryRest->start();
}

void MainWindow::pointerOffPageEntry() {
    m_restingOnPage = 0;
    if (m_entryRest)
        m_entryRest->stop();
}

void MainWindow::returnToKeyPage() {
    // The key page names the codes anew: the page that closed may have changed them.
    showPageAlone(1);
    if (const int mode = workMode())
        tellPages([mode](Page& p) { p.buttonCodesChanged(mode); });
}

void MainWindow::createShellControls(int n) {
    Page* page = m_pages[n - 1];
    auto* base = new PictureControl(QStringLiteral("Img_Base_%1").arg(n), page);
    base->setPicture(QStringLiteral("L1_BackGround"));
    base->lower();
    m_bases[n - 1] = base;
    connect(base, &PictureControl::pressed, this, &MainWindow::startWindowMove);
    if (n > NavigationBar::kCopies)
        return;
    m_bars[n - 1].emplace(page, n);
    auto* cover = new CaptionLabel(QStringLiteral("Disable_All_%1").arg(n), page);
    // A cover is no control, and Tab passes over what it covers.
    keyboard::markCover(cover);
    cover->setGeometry(page->rect());
    // While the working area is covered the window can still be dragged by it.
    cover->installEventFilter(this);
    m_covers[n - 1] = cover;
    raiseCover(n);
}

void MainWindow::raiseCover(int n) {
    // The cover takes the page's working area; the bar above it keeps its own guards (no mouse,
    // busy), so the window can always be left and "Str022" is seen.
    m_covers[n - 1]->raise();
    m_bars.at(n - 1)->raise();
}

void MainWindow::startWindowMove() {
    hideAllMenu();
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    if (QWindow* window = windowHandle())
        window->startSystemMove();
}

// --- Covers and busy state ----------------------------------------------------------------------------

void MainWindow::showCovers() {
    for (int n = 1; n <= NavigationBar::kCopies; ++n)
        if (CaptionLabel* cover = m_covers[n - 1]) {
            cover->show();
            raiseCover(n);
        }
}

void MainWindow::hideCovers() {
    for (CaptionLabel* cover : m_covers)
        if (cover)
            cover->hide();
}

bool MainWindow::coversShown() const {
    return !m_covers[0]->isHidden();
}

void MainWindow::beginBusy() {
    m_busy = true;
    setDevTimerEnabled(false);
    showCovers();
    for (const NavigationBar* bar : builtBars())
        bar->label(QStringLiteral("Exit"))->setEnabled(false);
    showLoading();
    processEvents();
}

void MainWindow::endBusy() {
    hideLoading();
    processEvents();
    setDevTimerEnabled(true);
    hideCovers();
    for (const NavigationBar* bar : builtBars())
        bar->label(QStringLiteral("Exit"))->setEnabled(true);
    m_busy = false;
    // Queued: the cycle that ended its busy state may still be on the stack.
    if (m_closeRequested)
        QTimer::singleShot(0, this, &MainWindow::finishRequestedClose);
}

void MainWindow::showLoading() {
    m_session->showLoading();
}
void MainWindow::hideLoading() {
    m_session->hideLoading();
}
void MainWindow::processEvents() {
    QCoreApplication::processEvents();
}
void MainWindow::setDevTimerEnabled(bool enabled) {
    m_session->setDevTimerEnabled(enabled);
}
void MainWindow::setApplyingImage(bool applying) {
    m_state.applyingImage = applying;
}

bool MainWindow::deviceConnected() {
    return m_session->link().connected();
}

void MainWindow::showMessage(const char* key) {
    MessageSeam::showMessageDialog(this, m_state.text(key), m_state.text("FontName"));
}

void MainWindow::resetAndRefind() {
    m_session->discovery().resetAndRefind();
}

void MainWindow::showMessageDialog(std::string_view key) {
    showMessage(std::string(key).c_str());
}

void MainWindow::showMessageBox(std::string_view key) {
    MessageSeam::showMessageBox(this, m_state.text(std::string(key).c_str()));
}

void MainWindow::showPermissionProblem() {
    MessageSeam::showMessageDialog(this, m_session->permissionAdvice(), m_state.text("FontName"));
}

// --- Navigation ------------------------------------------------------------------------------------------

void MainWindow::connectNavigation(const NavigationBar& bar) {
    // The bar stays above the covers: while a transfer runs (its events are processed on the way)
    // no entry may start another one.
    auto on = [&](const char* entry, auto handler) {
        connect(bar.label(QLatin1String(entry)), &CaptionLabel::clicked, this, [this, handler] {
            if (!m_busy)
                handler();
        });
    };
    // Work-mode entries and page entries, by their bar names.
    static constexpr std::pair<const char*, int> kModes[] = {{"Main", 1}, {"Switch", 2}, {"Fixed", 3}};
    for (const auto& [entry, mode] : kModes)
        on(entry, [this, mode = mode] {
            if (navigationGuard(true))
                switchWorkMode(mode);
        });
    static constexpr std::pair<const char*, int> kPageEntries[] = {
        {"Adv", 2}, {"Breath", 3}, {"Macro", 4}, {"Update", 5}};
    for (const auto& [entry, page] : kPageEntries) {
        on(entry, [this, page = page] {
            if (navigationGuard(false))
                openPage(page);
        });
        CaptionLabel* label = bar.label(QLatin1String(entry));
        // The keyboard resting on the entry is the same sign as the pointer resting there.
        for (auto [arrived, went] : {std::pair{&CaptionLabel::entered, &CaptionLabel::left},
                                     std::pair{&CaptionLabel::focusEntered, &CaptionLabel::focusLeft}}) {
            connect(label, arrived, this, [this, page = page] { pointerOnPageEntry(page); });
            connect(label, went, this, &MainWindow::pointerOffPageEntry);
        }
    }
    static constexpr std::pair<const char*, int> kLanguages[] = {{"Lang1", 1}, {"Lang2", 2}, {"Lang3", 3}};
    for (const auto& [entry, language] : kLanguages)
        on(entry, [this, language = language] { switchLanguage(language); });
    on("Confirm1", [this] { defaultSettings(1); });
    on("Reset", [this] { defaultSettings(2); });
    on("Exit", [this] { exitProgram(); });
    on("Web", [this] {
        setEntryPictures(QStringLiteral("Web"), QStringLiteral("WebS_02"));
        if (m_state.general.webEnabled && !m_state.general.web.empty())
            QDesktopServices::openUrl(QUrl(QString::fromStdString(m_state.general.web)));
    });
    on("Save", [this] { saveProfile(); });
    on("Load", [this] { loadProfile(); });
}

bool MainWindow::navigationGuard(bool modeEntry) {
    if (!deviceConnected()) {
        showMessage("Str022");
        return false;
    }
    if (m_state.noDevicePage)
        return false;
    return !(modeEntry && m_state.applyingImage);
}

void MainWindow::setEntryPictures(const QString& entry, const QString& picture) {
    for (const NavigationBar* bar : builtBars())
        bar->picture(entry)->setPicture(picture);
}

QString MainWindow::entryOfPageState(int state) const {
    return QLatin1String(kEntryOfState[state - 1]);
}

void MainWindow::buttonTypeB1IconInit() {
    for (const char* entry : NavigationBar::kSetEntries)
        setEntryPictures(QLatin1String(entry), QStringLiteral("SetS_01"));
}

void MainWindow::setPageState(int state) {
    m_pageRadios[state - 1]->setChecked(true);
}

int MainWindow::pageState() const {
    for (int i = 0; i < kPageStates; ++i)
        if (m_pageRadios[i]->isChecked())
            return i + 1;
    return 1;
}

int MainWindow::workMode() const {
    const int state = pageState();
    return state <= 3 ? state : 0;
}

void MainWindow::showFirePage(int button) {
    showPageAlone(6);
    m_pages[5]->openedForButton(button);
}

void MainWindow::showPageAlone(int shown) {
    Page* opened = page(shown);
    // Focus on a page that goes away (the entry that opened the new page, most often) would be lost
    // with it: the keyboard user could no longer Tab anywhere. It moves to the first control of the
    // page that opens, with a frame when it was the keyboard that held it.
    // The window's own focus: a transfer may have the window inactive right now.
    QWidget* focus = focusWidget();
    bool focusLeaves = false;
    for (Page* p : m_pages)
        if (p && p != opened && focus && p->isAncestorOf(focus))
            focusLeaves = true;
    const bool byKeyboard = focusLeaves && keyboard::keyboardMode(this);
    // The new page is shown before the others hide, so focus never falls through to nothing.
    // A page that is not built yet is not shown either: only the first page can be shown unbuilt.
    opened->setVisible(true);
    for (int n = 1; n <= kPages; ++n)
        if (m_pages[n - 1] && n != shown)
            m_pages[n - 1]->setVisible(false);
    if (!focusLeaves)
        return;
    const int n = static_cast<int>(std::find(m_pages.begin(), m_pages.end(), opened) - m_pages.begin()) + 1;
    QWidget* first = keyboard::firstFocusable(pageControls(n));
    if (!first && n <= NavigationBar::kCopies)
        first = m_bars.at(n - 1)->label(QStringLiteral("Exit"));
    if (first)
        first->setFocus(byKeyboard ? Qt::TabFocusReason : Qt::OtherFocusReason);
}

std::vector<QWidget*> MainWindow::pageControls(int n) const {
    // A page not built yet has no controls to reach.
    if (!m_pages.at(n - 1))
        return {};
    std::vector<QWidget*> bar;
    if (n <= NavigationBar::kCopies) {
        for (const NavigationEntry& e : NavigationBar::entries())
            bar.push_back(m_bars.at(n - 1)->label(QLatin1String(e.entry)));
        bar.push_back(m_bars.at(n - 1)->label(QStringLiteral("Web")));
    }
    std::vector<QWidget*> controls;
    for (QWidget* w : keyboard::tabControls(m_pages.at(n - 1)))
        if (std::find(bar.begin(), bar.end(), w) == bar.end())
            controls.push_back(w);
    return keyboard::inReadingOrder(m_pages.at(n - 1), std::move(controls));
}

void MainWindow::orderPageFocus(int n) {
    if (!m_pages.at(n - 1))
        return;
    std::vector<QWidget*> bar;
    if (n <= NavigationBar::kCopies) {
        for (const NavigationEntry& e : NavigationBar::entries())
            bar.push_back(m_bars.at(n - 1)->label(QLatin1String(e.entry)));
        bar.push_back(m_bars.at(n - 1)->label(QStringLiteral("Web")));
    }
    keyboard::chainInReadingOrder(m_pages.at(n - 1), {bar, pageControls(n)});
}

void MainWindow::hideAllMenu() {
    // Pages not built yet have no menu open.
    for (Page* page : m_pages)
        if (page)
            page->hideMenus();
}

void MainWindow::openFireMacroPage() {
    // The page state stays Game Mode's: the fire page's Confirm and Cancel go back to it. The fire
    // page reads the UserSection for the offsets it shows.
    showFirePage(m_state.selectedButton);
}

void MainWindow::closeKeyMenus() {
    hideAllMenu();
}

void MainWindow::reportNotStored(const char* key, bool readAgain) {
    showMessage(key);
    // The pages show what was asked for; only a read tells what the mouse took. A mouse that left
    // is searched for by the DevTimer and read when it is back.
    if (readAgain && deviceConnected() && !m_state.applyingImage)
        startFullRead();
}

void MainWindow::switchWorkMode(int mode) {
    // The menus as this mode offers them.
    m_keysPage->sizeMenusForMode(mode, m_modeEnabled[1], m_modeEnabled[2]);
    // Open menus close and the page state is the mode's before anything is sent.
    hideAllMenu();
    buttonTypeB1IconInit();
    setPageState(mode);
    // ModeParams, then the mode itself.
    const bool partlyWritten = core::switchWorkMode(*m_cycle, m_session->link(), m_state.buffers.workingImage,
                                                    mode, m_state.general.buttonEffect)
                                   .partlyWritten();
    // Third Mode's buttons are fixed: its key page shows them under the cover.
    showPageAlone(1);
    m_keysPage->setDisableShown(mode == 3);
    showProfileSettings(mode);
    // The bar lights the mode's entry, and the key page shows the mode's picture.
    setEntryPictures(entryOfPageState(mode), QStringLiteral("SetS_03"));
    m_keysPage->pagePicture()->setPicture(pagePictureName(1, m_state.languageIndex));
    if (partlyWritten)
        reportNotStored(notstored::kWorkMode, true);
}

void MainWindow::showProfileSettings(int mode) {
    m_state.settings.takeProfile(m_state.buffers.workingImage, mode);
    tellPages([mode](Page& p) { p.profileShown(mode); });
    // The fire keys the mode carries first: the key names are made against them.
    tellPages([mode](Page& p) { p.buttonCodesChanged(mode); });
}

void MainWindow::openPage(int page) {
    hideAllMenu();
    buttonTypeB1IconInit();
    const int state = page + 2; // rb_4 .. rb_7
    setPageState(state);
    showPageAlone(page);
    m_keysPage->setDisableShown(false);
    setEntryPictures(entryOfPageState(state), QStringLiteral("SetS_03"));
    Page* opened = this->page(page);
    if (page != 5)
        opened->pagePicture()->setPicture(pagePictureName(page, m_state.languageIndex));
    opened->opened();
}

void MainWindow::showWorkModePage(int mode) {
    m_keysPage->pagePicture()->setPicture(pagePictureName(1, m_state.languageIndex));
    buttonTypeB1IconInit();
    setEntryPictures(entryOfPageState(mode), QStringLiteral("SetS_03"));
    setPageState(mode);
    m_keysPage->sizeMenusForMode(mode, m_modeEnabled[1], m_modeEnabled[2]);
    showPageAlone(1);
    showProfileSettings(mode);
}

void MainWindow::refreshCurrentProfileStatus() {
    if (const auto mode = core::workModeFromStatus(m_session->discovery().readCurrentProfile()))
        showWorkModePage(*mode);
}

void MainWindow::refreshCurrentDpiStatus() {
    const core::Byte current = m_session->discovery().readCurrentDpi();
    if (m_state.settings.dpi.takeCurrentFromMouse(current)) {
        m_currentDpiReported = true;
        tellPages([](Page& p) { p.currentDpiChanged(); });
    }
}

void MainWindow::showStateEntries(const NavigationBar& bar) {
    const QString lit = entryOfPageState(pageState());
    for (const char* entry : NavigationBar::kSetEntries)
        bar.picture(QLatin1String(entry))
            ->setPicture(lit == QLatin1String(entry) ? QStringLiteral("SetS_03") : QStringLiteral("SetS_01"));
    for (int n = 1; n <= 3; ++n)
        bar.picture(QStringLiteral("Lang%1").arg(n))
            ->setPicture(n == m_state.languageIndex ? QStringLiteral("SetS_03") : QStringLiteral("SetS_01"));
}

// --- Layout and language -----------------------------------------------------------------------------------

void MainWindow::loadLayoutTables(int layoutIndex) {
    m_state.languageIndex = layoutIndex;
    m_state.language = &core::LanguageTables::builtIn().table(layoutIndex);
    // The tables are built in; a missing one would leave every control at its last place.
    if (auto layout = core::LayoutConfig::loadBuiltIn(m_state.layoutSection().toStdString()))
        m_state.layout = std::move(*layout);
}

void MainWindow::applyLayout(int layoutIndex) {
    loadLayoutTables(layoutIndex);
    applyLoadedLayout();
}

void MainWindow::applyLoadedLayout() {
    for (int mode = 1; mode <= 3; ++mode)
        m_modeEnabled[mode - 1] = m_state.layoutEnabled("Btn_B" + std::to_string(mode) + "_Enable");
    // The keyboard's focus frame takes the layout's highlight colour, as a highlighted menu entry does.
    keyboard::setFrameColour(m_state.layoutColor("Color_G_SP"));
    // Pages not built yet take the layout when they are built.
    for (int n = 1; n <= kPages; ++n)
        if (m_pages[n - 1])
            applyPageLayout(n);
    applyLanguageTexts();
}

void MainWindow::applyPageLayout(int n) {
    Page* page = m_pages[n - 1];
    // Backgrounds: the base picture, the page picture of the current page, and always the fire page's.
    m_bases[n - 1]->setPicture(m_state.picturePrefix() + QStringLiteral("BackGround"));
    const int state = pageState();
    const int currentPage = state <= 3 ? 1 : state - 2;
    if ((n == currentPage && n != 5) || n == 6)
        page->pagePicture()->setPicture(pagePictureName(n, m_state.languageIndex));
    // Groups A and B on the bar copy, C and G on the key page, the other pages' own groups.
    if (n <= NavigationBar::kCopies)
        m_bars.at(n - 1)->applyLayout(m_state);
    page->applyLayout();
    if (n <= NavigationBar::kCopies)
        raiseCover(n);
    orderPageFocus(n);
}

void MainWindow::applyLanguageTexts() {
    const QString fontName = m_state.text("FontName");
    if (!fontName.isEmpty()) {
        QFont font = this->font();
        font.setFamily(fontName);
        setFont(font);
    }
    m_applicationTitle = m_state.text("Title");
    if (auto* restore = m_trayMenu->findChild<QAction*>(QStringLiteral("Act_RestoreBackup")))
        restore->setText(m_state.text("Str729") + QStringLiteral("..."));
    for (int n = 1; n <= kPages; ++n)
        if (m_pages[n - 1])
            applyPageLanguage(n);
}

void MainWindow::applyPageLanguage(int n) {
    if (n <= NavigationBar::kCopies)
        m_bars.at(n - 1)->applyLanguage(m_state);
    m_pages[n - 1]->applyLanguage();
}

void MainWindow::switchLanguage(int languageIndex) {
    // The language entries light the one chosen.
    for (int n = 1; n <= 3; ++n)
        setEntryPictures(QStringLiteral("Lang%1").arg(n),
                         n == languageIndex ? QStringLiteral("SetS_03") : QStringLiteral("SetS_01"));
    m_languageRadios[languageIndex - 1]->setChecked(true);
    // The pages get the new layout and texts; a choice made in a re-captioned control stays.
    for (Page* page : m_pages)
        if (page)
            page->languageSwitching();
    applyLayout(languageIndex);
    // The title in the new language, on the tray icon too.
    m_applicationTitle = m_state.text("Title");
    if (m_tray)
        m_tray->setToolTip(m_applicationTitle);
    // RefreshAPPage: the current page again.
    const int state = pageState();
    showPageAlone(state <= 3 ? 1 : state - 2);
    // The chosen entry's caption rolls in the new language's text.
    m_roller->retake(m_bars[0]->label(QStringLiteral("Lang%1").arg(languageIndex))->text());
}

// --- Drawing ---------------------------------------------------------------------------------------------

void MainWindow::refreshErrorAP() {
    m_state.noDevicePage = true;
    setPageState(1);
    // The fire page goes as well: one page is shown at a time, and the fire page over the key page
    // would hide the first page this is meant to show.
    showPageAlone(1);
    tellPages([](Page& p) { p.buttonCodesChanged(1); });
    buttonTypeB1IconInit();
    setEntryPictures(QStringLiteral("Main"), QStringLiteral("SetS_03"));
}

void MainWindow::refreshUi() {
    // The shared settings first: the pages draw from them, and the Advanced page hides its DPI
    // colours for the lighting kind they hold.
    m_state.settings.takeImage(m_state.buffers.workingImage);
    // Pages not built yet draw the image when they are built.
    for (int n : {3, 2, 4, 5, 6})
        if (Page* p = m_pages[n - 1])
            p->refreshFromImage();
    m_fireMacrosCleared = false;
    m_currentDpiReported = false;
    if (const auto mode = m_state.buffers.workingImage.workMode())
        showWorkModePage(*mode);
    m_state.codeSuffixes = m_cycle->codeSuffixes(m_context->namingContext());
}

void MainWindow::checkPcMacro() {
    const QStringList problems =
        loadMacroLibrary(m_state, {m_state.general.macroPath,
                                   (QCoreApplication::applicationDirPath() + QLatin1Char('/')).toStdString(),
                                   m_screenshotFolder});
    if (!problems.isEmpty()) {
        // Reported once the window is up.
        QTimer::singleShot(0, this, [this, text = problems.join(QLatin1Char('\n'))] {
            MessageSeam::showMessageDialog(this, text, m_state.text("FontName"));
        });
    }
    refreshPcMacroNames();
}

void MainWindow::tellPages(const std::function<void(Page&)>& hook) {
    for (Page* page : m_pages)
        if (page)
            hook(*page);
}

void MainWindow::refreshPcMacroNames() {
    tellPages([](Page& p) { p.macroLibraryChanged(); });
}
void MainWindow::redrawDeviceMacros() {
    m_deviceMacrosCleared = false;
    tellPages([](Page& p) { p.deviceMacroTableChanged(); });
}
void MainWindow::deviceMacrosChanged() {
    redrawDeviceMacros();
    const int mode = workMode() ? workMode() : m_state.buffers.workingImage.workMode().value_or(1);
    tellPages([mode](Page& p) { p.buttonCodesChanged(mode); });
}
void MainWindow::redrawFireMacros() {
    m_fireMacrosCleared = false;
    tellPages([](Page& p) { p.fireMacroTableChanged(); });
}
void MainWindow::clearDeviceMacroViews() {
    m_deviceMacrosCleared = true;
    tellPages([](Page& p) { p.deviceMacroTableCleared(); });
}
void MainWindow::clearFireMacroViews() {
    m_fireMacrosCleared = true;
    tellPages([](Page& p) { p.fireMacroTableCleared(); });
}
void MainWindow::readOsMouseParameters() {
    tellPages([](Page& p) { p.pointerSettingsChanged(); });
}

// --- Device states
// ------------------------------------------------------------------------------------------

void MainWindow::showNoDevice() {
    m_keysPage->setDisableShown(true);
    hideAllMenu();
    m_state.noDevicePage = false;
    m_roller->stop();
    processEvents();
    refreshErrorAP();
    showCovers();
    clearDeviceMacroViews();
    m_state.settings.lighting.kind = core::LightingKind::None;
    m_state.settings.dpi.forgetReportRate();
}

void MainWindow::showDeviceReady() {
    m_keysPage->setDisableShown(false);
    m_pages[0]->show();
    m_state.noDevicePage = false;
    processEvents();
    emit deviceReady();
}

void MainWindow::startFullRead() {
    // A read that did not get every report is no configuration: the covers stay up and the
    // discovery tells the user and tries again.
    if (m_cycle->fullRead(m_session->discovery().storageKind(),
                          [this] { m_session->discovery().showDeviceReady(); }) != core::CycleResult::Done)
        m_session->discovery().fullReadFailed();
    // Start-up and the loading window's animation are over: the embedded pictures they read and the
    // heap they left free need not stay resident.
    QTimer::singleShot(0, this, [] {
        Skin::releaseEmbeddedBytes();
        platform::releaseFreeHeap();
    });
}

void MainWindow::showMouseNotAnswering() {
    showMessage("Str720");
}

void MainWindow::showReadFailed() {
    showMessage("Str721");
}

void MainWindow::linkLost() {
    // The failing transfer is still on the stack: the link is dropped once it has returned.
    QTimer::singleShot(0, this, [this] {
        if (!m_session->isShutDown())
            m_session->discovery().handleLostLink();
    });
}

void MainWindow::identityRefused() {
    // A write of ours broken off over the identity bytes leaves a mouse refused for good unless it
    // can be given default settings, which rewrite them. The user decides; every other operation
    // stays refused for this mouse.
    QTimer::singleShot(0, this, [this] {
        core::DeviceDiscovery& discovery = m_session->discovery();
        if (m_session->isShutDown() || discovery.state() != core::LinkState::RefusedIdentity ||
            !deviceConnected())
            return;
        if (!MessageSeam::confirm(this, m_state.text("Str727") + QStringLiteral("\n\n") +
                                            m_state.text("Str728").arg(m_state.text("Str001"))))
            return;
        const core::EditResult result =
            core::repairWithDefaults(*m_cycle, discovery.storageKind(), 1, [this] { resetAndRefind(); });
        if (result.partlyWritten())
            reportNotStored(notstored::kDefaults, false);
        else if (result.refusal == core::EditRefusal::NotRead)
            showMessage("Str721");
    });
}

bool MainWindow::pressDeviceButton(const QString& entry, const QString& picture) {
    setEntryPictures(entry, picture);
    // A mouse that was refused, or whose read did not complete, is not the one the buffers hold:
    // nothing may be read into a file from it or written to it.
    if (deviceConnected() && m_cycle->configurationRead())
        return true;
    showMessage("Str022");
    return false;
}

void MainWindow::defaultSettings(int n) {
    if (!pressDeviceButton(n == 1 ? QStringLiteral("Confirm1") : QStringLiteral("Reset"),
                           QStringLiteral("BtnS_03")))
        return;
    if (core::defaultSettings(*m_cycle, n, [this] { resetAndRefind(); }).partlyWritten())
        reportNotStored(notstored::kDefaults, false);
}

void MainWindow::saveProfile() {
    hideAllMenu();
    if (pressDeviceButton(QStringLiteral("Save"), QStringLiteral("SetS_03")))
        saveProfileFile(*this, *m_context, m_session->discovery());
}

void MainWindow::loadProfile() {
    hideAllMenu();
    if (pressDeviceButton(QStringLiteral("Load"), QStringLiteral("SetS_03")))
        loadProfileFile(*this, *m_context);
}

std::filesystem::path MainWindow::backupFolder() {
    // Tests that name a state folder of their own get it; the others Qt's test area.
    if (QStandardPaths::isTestModeEnabled() && qEnvironmentVariableIsEmpty("XDG_STATE_HOME"))
        return std::filesystem::path(
                   QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString()) /
               "tarvik-config/backups";
    return core::defaultBackupFolder();
}

void MainWindow::openRestoreDialog() {
    hideAllMenu();
    const core::BackupStore& store = m_backups->store();
    // What changed is told against the mouse as it is now; without one, only the list.
    std::vector<core::Byte> now;
    core::MouseIdentity mouse;
    if (m_cycle->configurationRead()) {
        now = core::backupProfileOf(m_state.buffers);
        mouse = {m_session->link().linkVid(), m_session->link().linkPid(), m_state.buffers.dataBuf.manuId(),
                 m_state.buffers.dataBuf.proId()};
    }
    const auto rows =
        core::backupRows(store, now, mouse, m_state.buffers.storageKind, m_state.buffers.patchLocked);
    QStringList texts;
    std::vector<QString> files;
    for (const core::BackupRow& row : rows) {
        texts << QString::fromStdString(row.text);
        files.push_back(QString::fromStdString(row.entry.file.string()));
    }
    auto* dialog =
        new RestoreBackupDialog(m_state, this, texts, QString::fromStdString(store.folder().string()));
    connect(dialog, &RestoreBackupDialog::chosen, this, [this, files](int row) {
        if (row < 0 || static_cast<std::size_t>(row) >= files.size())
            return;
        // As every button that needs the mouse: without one read whole, "Str022" and nothing else.
        if (!deviceConnected() || !m_cycle->configurationRead()) {
            showMessage("Str022");
            return;
        }
        writeProfileFileToMouse(*this, *m_context, files[static_cast<std::size_t>(row)]);
    });
    dialog->open();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The window manager's close (title bar, Alt+F4, the tray) is the exit label: idle, the program
    // ends at once; during a transfer it ends when the transfer is over, so the mouse is never left
    // half-written.
    event->ignore();
    m_closeRequested = true;
    if (!m_busy)
        exitProgram();
}

void MainWindow::finishRequestedClose() {
    // A transfer that begins before this runs (a read after a write) defers the end again.
    if (m_closeRequested && !m_busy)
        exitProgram();
}

void MainWindow::exitProgram() {
    m_session->shutdown();
    hide();
    QCoreApplication::exit(0);
}

} // namespace tarvik::gui
