// The pages other than the key page are built when they are first needed. A user who never opens them
// never has them built, and a page built late shows exactly what it would show had it been built at
// start-up and kept up to date through the same history.

#include "core/image/ConfigImage.h"
#include "core/macros/DeviceMacroTable.h"
#include "core/macros/MacroLibrary.h"
#include "emulator/VirtualMouse.h"
#include "gui/dialogs/MessageSeam.h"
#include "gui/keys/KeysPage.h"
#include "gui/pages/Page.h"
#include "gui/shell/MainWindow.h"
#include "gui/skin/CaptionLabel.h"
#include "gui/skin/PictureControl.h"
#include "support/ClickAt.h"
#include "support/PaintedPixels.h"
#include "support/Transcript.h"
#include "support/WaitFor.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <memory>

#include <unistd.h>

using namespace tarvik;
using gui::MainWindow;
using gui::testing::waitFor;

namespace {

constexpr double kTimeScale = 0.02;

class LatePagesTest : public ::testing::Test {
protected:
    void SetUp() override { gui::MessageSeam::setAnswerer(&m_answers); }
    void TearDown() override {
        m_window.reset();
        gui::MessageSeam::setAnswerer(nullptr);
    }

    // A window over a virtual "I2C" mouse, shown; with `early`, every page is built before the
    // session starts, as the window did when it built them all after its first frame.
    void makeWindow(bool early) {
        m_window.reset();
        QFile::remove(transcript());
        gui::DeviceSession::Options options;
        options.runtime.emulator = core::StorageKind::I2C;
        options.runtime.timeScale = kTimeScale;
        options.runtime.transcriptPath = transcript().toStdString();
        m_window = std::make_unique<MainWindow>(options);
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        if (early)
            m_window->completePages();
    }
    void startAndRead() {
        m_window->start();
        ASSERT_TRUE(waitFor([&] { return m_window->deviceConnected() && !m_window->coversShown(); }))
            << "the mouse was not read";
    }
    QString transcript() const { return m_folder.filePath(QStringLiteral("transcript.txt")); }
    emulator::VirtualMouse& mouse() { return *m_window->session().virtualMouse(); }
    std::vector<int> builtPages() const {
        std::vector<int> built;
        for (int n = 1; n <= MainWindow::kPages; ++n)
            if (m_window->pageBuilt(n))
                built.push_back(n);
        return built;
    }

    QTemporaryDir m_folder;
    gui::MessageSeam::Answerer m_answers;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(LatePagesTest, StartUpAndTheReadBuildTheKeyPageAloneAndAnEntryBuildsItsPage) {
    makeWindow(false);
    startAndRead();
    QTest::qWait(200); // whatever the first frame or the read left queued
    EXPECT_EQ(builtPages(), std::vector<int>{1});
    // No control of another page exists: its bar copy, cover and base picture go with it.
    for (const char* name : {"gbPage2", "gbPage3", "gbPage4", "gbPage5", "gbPage6", "Btn_Adv_2",
                             "Disable_All_5", "Img_Base_6", "Img_DPI1_1", "LB_macro", "Btn_Program"})
        EXPECT_EQ(m_window->findChild<QObject*>(QLatin1String(name)), nullptr) << name;

    // The entry of a page, clicked where the user sees it, builds that page and shows it; the
    // others stay unbuilt, and building sends nothing to the mouse.
    const qsizetype before = gui::testing::transcriptLineCount(transcript());
    gui::testing::clickAt(m_window->findChild<QWidget*>(QStringLiteral("Btn_Breath_1")));
    QWidget* lighting = m_window->findChild<QWidget*>(QStringLiteral("gbPage3"));
    ASSERT_NE(lighting, nullptr);
    EXPECT_TRUE(lighting->isVisible());
    EXPECT_EQ(builtPages(), (std::vector<int>{1, 3}));
    // Drawing the read configuration on the others as they are built sends nothing either.
    m_window->completePages();
    QTest::qWait(50);
    EXPECT_EQ(gui::testing::transcriptLines(transcript(), before), QStringList());
    EXPECT_TRUE(m_answers.messages.isEmpty());
}

// A caption of one plain line draws its text itself; a text document for each would cost the first
// frame milliseconds. Every page's captions, through start-up, the read and the language switch.
TEST_F(LatePagesTest, CaptionsOfOnePlainLineMakeNoTextDocument) {
    auto withDocuments = [&] {
        QStringList names;
        for (const gui::CaptionLabel* caption : m_window->findChildren<gui::CaptionLabel*>())
            if (caption->drawsThroughDocument())
                names << caption->objectName();
        return names;
    };
    makeWindow(false);
    EXPECT_EQ(withDocuments().join(QLatin1Char(' ')).toStdString(), "") << "at the first frame";
    startAndRead();
    m_window->completePages();
    QTest::qWait(50);
    EXPECT_EQ(withDocuments().join(QLatin1Char(' ')).toStdString(), "") << "after the read, every page built";
    m_window->switchLanguage(2);
    EXPECT_EQ(withDocuments().join(QLatin1Char(' ')).toStdString(), "") << "in the second language";
}

TEST_F(LatePagesTest, ThePointerArrivingOnTheEntryOfAPageNotBuiltMapsTheHeapItWillBeBuiltIn) {
    makeWindow(false);
    startAndRead();
    // What the read left free has been given back.
    QTest::qWait(50);
    auto resident = [] {
        std::size_t pages = 0;
        std::size_t residentPages = 0;
        std::ifstream("/proc/self/statm") >> pages >> residentPages;
        return residentPages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    };
    // The pointer comes from another control of the window.
    gui::testing::hoverAt(m_window->findChild<QWidget*>(QStringLiteral("Btn_Exit_1")));
    const std::size_t before = resident();
    gui::testing::hoverAt(m_window->findChild<QWidget*>(QStringLiteral("Btn_Adv_1")));
    // Mapped well before the rest that builds the page, which would map memory of its own.
    EXPECT_TRUE(waitFor([&] { return resident() >= before + 1024 * 1024 && !m_window->pageBuilt(2); },
                        MainWindow::kEntryRestMs))
        << "resident memory grew by " << (resident() - before) / 1024 << " kB";
}

TEST_F(LatePagesTest, APageIsBuiltWhileThePointerRestsOnItsEntryOnlyWhenTheEntryWouldOpenIt) {
    makeWindow(false);
    auto entry = [&](const char* name) { return m_window->findChild<QWidget*>(QLatin1String(name)); };
    auto picture = [&](const char* name) {
        return m_window->findChild<gui::PictureControl*>(QLatin1String(name))->pictureName();
    };
    const int rest = 3 * MainWindow::kEntryRestMs;
    // Without a mouse the entry opens nothing, and resting on it builds nothing.
    gui::testing::hoverAt(entry("Btn_Adv_1"));
    QTest::qWait(rest);
    EXPECT_EQ(builtPages(), std::vector<int>{1});
    gui::testing::hoverAt(entry("Btn_Exit_1"));
    startAndRead();
    // A pass over an entry on the way to another control builds nothing either.
    gui::testing::hoverAt(entry("Btn_Macro_1"));
    gui::testing::hoverAt(entry("Btn_Exit_1"));
    QTest::qWait(rest);
    EXPECT_EQ(builtPages(), std::vector<int>{1});

    // Resting builds that page alone, before the click; its bar copy does not take the hover
    // picture, which is copy 1's own.
    gui::testing::hoverAt(entry("Btn_Breath_1"));
    ASSERT_TRUE(waitFor([&] { return m_window->pageBuilt(3); }));
    EXPECT_EQ(builtPages(), (std::vector<int>{1, 3}));
    EXPECT_EQ(picture("Img_Breath_1"), QStringLiteral("SetS_02"));
    EXPECT_EQ(picture("Img_Breath_3"), QStringLiteral("SetS_01"));
    gui::testing::clickAt(entry("Btn_Breath_1"));
    EXPECT_TRUE(m_window->page(3)->isVisible());
    EXPECT_EQ(picture("Img_Breath_3"), QStringLiteral("SetS_03"));

    // The same for the menus a key page button opens, and for the fire page and the Fire Macro
    // entry of Game Mode's assignment menu.
    gui::testing::clickAt(entry("Btn_Switch_3"));
    EXPECT_FALSE(m_window->keysPage()->menusBuilt());
    gui::testing::hoverAt(m_window->keysPage()->key(1));
    ASSERT_TRUE(waitFor([&] { return m_window->keysPage()->menusBuilt(); }));
    gui::testing::clickAt(m_window->keysPage()->key(1));
    gui::testing::hoverAt(entry("Key_FireMacro"));
    ASSERT_TRUE(waitFor([&] { return m_window->pageBuilt(6); }));
    EXPECT_EQ(builtPages(), (std::vector<int>{1, 3, 6}));

    // The keyboard resting on an entry builds its page as well, before Enter opens it; focus only
    // passing over one builds nothing.
    m_window->closeKeyMenus();
    gui::testing::hoverAt(entry("Btn_Exit_1"));
    QApplication::setActiveWindow(m_window.get()); // focus events reach only the active window
    entry("Btn_Macro_1")->setFocus(Qt::TabFocusReason);
    entry("Btn_Update_1")->setFocus(Qt::TabFocusReason);
    entry("Btn_Adv_1")->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(waitFor([&] { return m_window->pageBuilt(2); }));
    EXPECT_EQ(builtPages(), (std::vector<int>{1, 2, 3, 6}));
    QTest::keyClick(entry("Btn_Adv_1"), Qt::Key_Return);
    EXPECT_TRUE(waitFor([&] { return m_window->page(2)->isVisible(); }));
}

// The same history on a window that built every page first and on one that builds them only at the
// end: each page's pixels must be the same.
struct History {
    const char* name;
    std::function<void(LatePagesTest&, MainWindow&, emulator::VirtualMouse&)> steps;
};
void PrintTo(const History& history, std::ostream* os) {
    *os << history.name;
}

class LatePagesHistoryTest : public LatePagesTest, public ::testing::WithParamInterface<History> {
protected:
    // The window's pixels with page n opened after the history (in turn, 2 to 6), on an early or a
    // late window. A page is looked at as the user sees it: opened through the window's handler
    // for its entry (the one the bar's guard lets through), the fire page as Game Mode's assignment
    // menu shows it.
    std::map<int, QImage> pagesAfterHistory(bool early) {
        makeWindow(early);
        std::map<int, QImage> pixels;
        if (::testing::Test::HasFatalFailure())
            return pixels;
        startAndRead();
        GetParam().steps(*this, *m_window, mouse());
        QTest::qWait(50);
        if (!early) {
            EXPECT_EQ(builtPages(), std::vector<int>{1}) << "a page was built before it was needed";
        }
        for (int n = 2; n <= MainWindow::kPages; ++n) {
            if (n == 6)
                m_window->showFirePage(1);
            else
                m_window->openPage(n);
            EXPECT_TRUE(m_window->page(n)->isVisible()) << "page " << n;
            pixels[n] = m_window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        }
        return pixels;
    }
};

// How many pixels of two pictures of the same size differ.
int differingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return a.width() * a.height();
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            differing += a.pixel(x, y) != b.pixel(x, y);
    return differing;
}

TEST_P(LatePagesHistoryTest, APageBuiltLateShowsWhatOneBuiltEarlyShows) {
    const std::map<int, QImage> early = pagesAfterHistory(true);
    const std::map<int, QImage> late = pagesAfterHistory(false);
    ASSERT_EQ(early.size(), late.size());
    for (const auto& [n, picture] : early) {
        ASSERT_FALSE(picture.isNull()) << "page " << n;
        EXPECT_EQ(differingPixels(picture, late.at(n)), 0) << "page " << n;
    }
}

// A macro put into the mouse, as "Add to Mouse" leaves it, and the mouse read again.
void macroInTheMouse(LatePagesTest&, MainWindow& window, emulator::VirtualMouse& mouse) {
    core::MacroLibrary library;
    ASSERT_EQ(library.addNew("Reload"), core::MacroLibrary::Result::Done);
    core::DeviceMacroTable table = window.cycle().deviceMacroTable();
    ASSERT_EQ(table.add(library.slot(0).name, library.slot(0).body), core::DeviceMacroTable::Result::Done);
    for (const auto& write : table.memoryWrites())
        mouse.writeMemory(write.address, write.bytes);
    window.startFullRead();
    ASSERT_EQ(window.cycle().deviceMacroTable().count(), table.count());
}

const History kHistories[] = {
    {"FullRead", [](LatePagesTest&, MainWindow&, emulator::VirtualMouse&) {}},
    {"MacroAddedToTheMouse", macroInTheMouse},
    {"MacroAddedThenUnplugged",
     [](LatePagesTest& test, MainWindow& window, emulator::VirtualMouse& mouse) {
         macroInTheMouse(test, window, mouse);
         mouse.unplug();
         ASSERT_TRUE(waitFor([&] { return window.coversShown() && !window.deviceConnected(); }));
     }},
    {"GameModeAndADpiLevelFromTheMouse",
     [](LatePagesTest&, MainWindow& window, emulator::VirtualMouse& mouse) {
         window.switchWorkMode(2);
         const int before = window.state().settings.dpi.currentIndex;
         mouse.pressButton(emulator::VirtualMouse::kDpiUp);
         mouse.releaseButtons();
         ASSERT_TRUE(waitFor([&] { return window.state().settings.dpi.currentIndex != before; }));
     }},
    {"DefaultSettingsTwoClicked",
     [](LatePagesTest&, MainWindow& window, emulator::VirtualMouse& mouse) {
         // The button stays pressed on every bar copy; the mouse is reset, found and read again.
         const int resets = mouse.resetCount();
         gui::testing::clickAt(window.findChild<QWidget*>(QStringLiteral("Btn_Reset_1")));
         ASSERT_TRUE(waitFor([&] {
             return mouse.resetCount() > resets && window.deviceConnected() && !window.coversShown();
         }));
     }},
    {"LanguageTwo",
     [](LatePagesTest&, MainWindow& window, emulator::VirtualMouse&) { window.switchLanguage(2); }},
    {"LanguageThreeAndItsLayout",
     [](LatePagesTest&, MainWindow& window, emulator::VirtualMouse&) { window.switchLanguage(3); }},
};

INSTANTIATE_TEST_SUITE_P(Histories, LatePagesHistoryTest, ::testing::ValuesIn(kHistories),
                         [](const ::testing::TestParamInfo<History>& history) { return history.param.name; });

} // namespace
