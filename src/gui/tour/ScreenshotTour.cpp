#include "gui/tour/ScreenshotTour.h"

#include "core/macros/MacroLibrary.h"
#include "core/macros/MacroLibraryFile.h"
#include "gui/AppState.h"
#include "gui/fire/FirePage.h"
#include "gui/macros/MacroPage.h"
#include "gui/shell/MainWindow.h"
#include "gui/skin/CaptionLabel.h"
#include "gui/tour/KeysScreenshots.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <tuple>

namespace tarvik::gui {

ScreenshotTour::ScreenshotTour(QWidget& window, QList<Stop> stops, QString directory, QObject* parent)
    : QObject(parent), m_window(&window), m_stops(std::move(stops)), m_directory(std::move(directory)) {
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        if (!m_started) {
            std::fprintf(stderr, "screenshots: the mouse was not read within %.1f s; no pictures taken\n",
                         m_timeoutMs / 1000.0);
            m_started = true;
            finish(false);
        }
    });
}

QString ScreenshotTour::directoryFromEnvironment() {
    return qEnvironmentVariable("TARVIK_SCREENSHOTS");
}

ScreenshotTour* ScreenshotTour::fromEnvironment(QWidget& window) {
    const QString directory = directoryFromEnvironment();
    if (directory.isEmpty()) {
        return nullptr;
    }
    return new ScreenshotTour(window, mainWindowPages(), directory, &window);
}

namespace {
// The fire page as the assignment menu opens it for button 3 of Game Mode, with preset 7 shown;
// with `service`, the fire macro editor unlocked as a user unlocks it (five double-clicks and the
// access code).
void showFirePreset(QWidget& window, bool service) {
    auto* main = qobject_cast<MainWindow*>(&window);
    if (!main)
        return;
    main->showFirePage(3);
    auto* fire = window.findChild<FirePage*>(QStringLiteral("gbPage6"));
    if (!fire)
        return;
    fire->showPreset(7);
    if (service && !fire->serviceMode()) {
        fire->setAccessCodeAsker([](QWidget*) {
            return std::optional<QString>(QString::fromLatin1(core::ServiceModeLock::kAccessCode));
        });
        const QPoint corner(2, 2);
        for (int i = 0; i < 5 && !fire->serviceMode(); ++i) {
            QMouseEvent click(QEvent::MouseButtonDblClick, corner, fire->mapToGlobal(corner), Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(fire, &click);
        }
        fire->setAccessCodeAsker({});
    }
}

// The key page as a keyboard user sees it: focus moved onto the caption "Key2" by Tab, drawn with its
// focus frame. The next stop clears the focus, so no other picture shows a frame.
QWidget* showKeyboardFocus(QWidget& window) {
    // Keys reach only the active window; so does focus.
    window.activateWindow();
    QCoreApplication::processEvents();
    for (auto* caption : window.findChildren<CaptionLabel*>(QStringLiteral("Key2")))
        if (caption->isVisible()) {
            caption->setFocus(Qt::TabFocusReason);
            break;
        }
    return nullptr;
}

// The macro page with a macro recorded into a library of the tour's own (the user's library stays as
// it is): Shift+A typed with their gaps, then the insert panel open on its key choice.
QWidget* showRecordedMacro(QWidget& window) {
    auto* main = qobject_cast<MainWindow*>(&window);
    auto* page = window.findChild<MacroPage*>(QStringLiteral("gbPage4"));
    if (!main || !page)
        return nullptr;
    AppState& state = main->state();
    state.macroLibraryPath = QDir(ScreenshotTour::directoryFromEnvironment()).filePath("macro-library.bin");
    std::size_t slot = 0;
    if (state.macroLibrary.addNew("Demo", &slot) != core::MacroLibrary::Result::Done)
        return nullptr;
    page->setLibrary(state.macroLibrary);
    page->showLibraryMacro(static_cast<int>(slot));
    page->toggleRecording();
    std::uint32_t t = 1000;
    for (const auto& [down, key, gap] :
         {std::tuple{true, 0x10, 0}, {true, 0x41, 140}, {false, 0x41, 95}, {false, 0x10, 60}})
        page->recordInput(core::InputEvent::key(down, key, t += static_cast<std::uint32_t>(gap)));
    page->recordInput(core::InputEvent::mouse(true, core::MouseButton::Left, t += 210));
    page->recordInput(core::InputEvent::mouse(false, core::MouseButton::Left, t += 80));
    page->toggleRecording();
    page->findChild<QListWidget*>(QStringLiteral("LB_macro"))->setCurrentRow(2);
    page->openInsertPanel();
    page->findChild<QComboBox*>(QStringLiteral("CB_Insert"))->setCurrentIndex(2);
    return nullptr;
}

// The macro page with a small demonstration library, the events of its first macro shown and that
// macro's right-click menu open. The library is kept in a folder of its own that goes when the
// program ends: whatever the page saves never touches the user's library.
QWidget* showMacroLibrary(QWidget& window) {
    auto* main = qobject_cast<MainWindow*>(&window);
    auto* page = window.findChild<MacroPage*>();
    auto* list = window.findChild<QListWidget*>(QStringLiteral("LB_PCMacroName"));
    if (!main || !page || !list)
        return nullptr;
    static std::unique_ptr<QTemporaryDir> folder;
    if (!folder)
        folder = std::make_unique<QTemporaryDir>();
    if (!folder->isValid())
        return nullptr;
    AppState& state = main->state();
    core::MacroLibrary library;
    const struct {
        const char* name;
        core::MacroText text;
    } demo[] = {
        {"Reload", {"10", "1 R CODE:8215", "0 40", "2 R CODE:0215"}},
        {"Burst",
         {"10", "1 LeftKey CODE:00A1", "0 30", "2 LeftKey CODE:0021", "0 30", "1 LeftKey CODE:00A1", "0 30",
          "2 LeftKey CODE:0021"}},
        {"Hi",
         {"10", "1 H CODE:820B", "0 20", "2 H CODE:020B", "0 20", "1 I CODE:820C", "0 20", "2 I CODE:020C"}},
    };
    for (const auto& macro : demo) {
        std::size_t slot = 0;
        if (library.addNew(macro.name, &slot) == core::MacroLibrary::Result::Done)
            library.encode(slot, macro.text);
    }
    state.macroLibrary = std::move(library);
    state.macroLibraryPath = folder->filePath(QString::fromUtf8(
        core::kMacroLibraryFileName.data(), static_cast<qsizetype>(core::kMacroLibraryFileName.size())));
    core::MacroLibraryFile(state.macroLibraryPath.toStdString()).save(state.macroLibrary);
    main->refreshPcMacroNames();
    page->showLibraryMacro(0);
    // A right-click on the first row, as the user makes it: the row is chosen and its menu opens.
    const QPoint row = list->visualItemRect(list->item(0)).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent click(type, row, list->viewport()->mapToGlobal(row), Qt::RightButton,
                          type == QEvent::MouseButtonPress ? Qt::RightButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list->viewport(), &click);
    }
    return nullptr;
}
} // namespace

QList<ScreenshotTour::Stop> ScreenshotTour::mainWindowPages() {
    return {
        {QStringLiteral("Btn_Main_"), QStringLiteral("1-office-mode.png")},
        {QStringLiteral("Btn_Switch_"), QStringLiteral("2-game-mode.png")},
        {QStringLiteral("Btn_Switch_"), QStringLiteral("2d-keyboard-focus.png"), &showKeyboardFocus},
        {QStringLiteral("Key1"), QStringLiteral("2a-assignment-menus.png"), &KeysScreenshots::openCascade},
        {QStringLiteral("Key1"), QStringLiteral("2b-assembly-key.png"), &KeysScreenshots::typeCombination},
        {QString(), QStringLiteral("2c-input-one-key.png"), &KeysScreenshots::typeOneKey},
        {QStringLiteral("Btn_Fixed_"), QStringLiteral("3-third-mode.png")},
        {QStringLiteral("Btn_Adv_"), QStringLiteral("4-advanced.png")},
        {QStringLiteral("Btn_Breath_"), QStringLiteral("5-breathing-light.png")},
        {QStringLiteral("Btn_Macro_"), QStringLiteral("6-macro.png")},
        {QStringLiteral("Btn_Macro_"), QStringLiteral("6a-macro-library.png"), &showMacroLibrary},
        {QStringLiteral("Btn_Macro_"), QStringLiteral("6b-macro-recorded.png"), &showRecordedMacro},
        {QStringLiteral("Btn_Update_"), QStringLiteral("7-update.png")},
        {QString(), QStringLiteral("8-fire-macro.png"),
         [](QWidget& window) -> QWidget* {
             showFirePreset(window, false);
             return nullptr;
         }},
        {QString(), QStringLiteral("9-fire-macro-service.png"),
         [](QWidget& window) -> QWidget* {
             showFirePreset(window, true);
             return nullptr;
         }},
    };
}

void ScreenshotTour::armTimeout() {
    if (m_timeoutMs > 0) {
        m_timeout.start(m_timeoutMs);
    }
}

void ScreenshotTour::start() {
    if (m_started) {
        return;
    }
    m_started = true;
    m_timeout.stop();
    if (!QDir().mkpath(m_directory)) {
        std::fprintf(stderr, "screenshots: cannot create %s\n", qPrintable(m_directory));
        finish(false);
        return;
    }
    m_next = 0;
    // Let whatever made the window ready finish its own drawing first.
    QTimer::singleShot(kSettleMs, this, &ScreenshotTour::clickNext);
}

QWidget* ScreenshotTour::visibleButton(const QString& name) const {
    if (!m_window) {
        return nullptr;
    }
    if (!name.endsWith(QLatin1Char('_'))) {
        auto* button = m_window->findChild<QWidget*>(name);
        return button && button->isVisible() ? button : nullptr;
    }
    const QRegularExpression copies(QLatin1Char('^') + QRegularExpression::escape(name) +
                                    QStringLiteral("[0-9]+$"));
    for (QWidget* button : m_window->findChildren<QWidget*>(copies)) {
        if (button->isVisible()) {
            return button;
        }
    }
    return nullptr;
}

void ScreenshotTour::clickNext() {
    if (!m_window) {
        finish(false);
        return;
    }
    // Entries the layout hides cannot be reached by the user either.
    while (m_next < m_stops.size() && !m_stops[m_next].button.isEmpty() &&
           !visibleButton(m_stops[m_next].button)) {
        m_skipped << m_stops[m_next].button;
        ++m_next;
    }
    if (m_next >= m_stops.size()) {
        finish(m_ok);
        return;
    }
    // A focus frame belongs to the one picture that shows keyboard use; a click takes no focus.
    if (QWidget* focus = m_window->focusWidget())
        focus->clearFocus();
    click(visibleButton(m_stops[m_next].button));
    m_subject = m_window;
    if (const auto& then = m_stops[m_next].then)
        if (QWidget* subject = then(*m_window))
            m_subject = subject;
    QTimer::singleShot(kSettleMs, this, &ScreenshotTour::grabCurrent);
}

void ScreenshotTour::click(QWidget* target) {
    if (!target)
        return;
    // A click as the user makes it: press and release inside the control.
    const QPointF centre = QRectF(target->rect()).center();
    const QPointF global = target->mapToGlobal(centre);
    QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
}

QImage ScreenshotTour::windowPicture(QWidget& window) {
    QImage image = window.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // A shaped window is drawn whole; what lies outside its shape is not seen on the screen.
    const QRegion shape = window.mask();
    if (!shape.isEmpty()) {
        QPainter painter(&image);
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.setClipRegion(QRegion(window.rect()).subtracted(shape));
        painter.fillRect(window.rect(), Qt::transparent);
    }
    return image;
}

void ScreenshotTour::grabCurrent() {
    if (!m_window) {
        finish(false);
        return;
    }
    const QString path = QDir(m_directory).absoluteFilePath(m_stops[m_next].fileName);
    QWidget* subject = m_subject ? m_subject.data() : m_window.data();
    const bool saved = windowPicture(*subject).save(path);
    if (subject != m_window)
        subject->close();
    if (saved) {
        m_saved << path;
        std::printf("%s\n", qPrintable(path));
        std::fflush(stdout);
    } else {
        std::fprintf(stderr, "screenshots: cannot write %s\n", qPrintable(path));
        m_ok = false;
    }
    ++m_next;
    clickNext();
}

void ScreenshotTour::finish(bool ok) {
    m_next = -1;
    emit finished(ok);
    if (m_quitWhenDone) {
        QCoreApplication::exit(ok ? 0 : 1);
    }
}

} // namespace tarvik::gui
