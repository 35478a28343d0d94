// The main window over the virtual mouse, time-scaled, driven by object name as a user would.

#include "core/image/ConfigImage.h"
#include "core/image/MemoryMap.h"
#include "core/macros/MacroCodec.h"
#include "core/macros/MacroLibrary.h"
#include "core/macros/MacroName.h"
#include "emulator/VirtualMouse.h"
#include "gui/dialogs/InputOneKeyDialog.h"
#include "gui/dialogs/MacroNameDialog.h"
#include "gui/dialogs/MessageSeam.h"
#include "gui/keys/KeysPage.h"
#include "gui/macros/MacroPage.h"
#include "gui/pages/AdvancedPage.h"
#include "gui/shell/MainWindow.h"
#include "gui/skin/CaptionLabel.h"
#include "gui/skin/CaptionRoller.h"
#include "gui/skin/PictureControl.h"
#include "gui/skin/Skin.h"
#include "platform/PointerSettings.h"
#include "support/ClickAt.h"
#include "support/PaintedPixels.h"
#include "support/Transcript.h"
#include "support/WaitFor.h"

#include "../../core/macros/FakeInputCapture.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QRadioButton>
#include <QScreen>
#include <QStandardPaths>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <functional>

using namespace tarvik;
using gui::CaptionLabel;
using gui::MainWindow;
using gui::PictureControl;
using gui::testing::waitFor;

namespace {

constexpr double kTimeScale = 0.02;

// The live-settings writes (command 0x05) in a transcript from line `from` on: offset and value.
std::vector<std::pair<int, int>> settingWrites(const QString& transcript, qsizetype from) {
    std::vector<std::pair<int, int>> writes;
    for (const auto& report : gui::testing::commandsSent(transcript, 0x05, from))
        writes.emplace_back(report.bytes[3], report.bytes[4]);
    return writes;
}

// The reads in a transcript (commands 0x06 and 0x09): the command bytes 2 to 5 as offset/address and
// length, and how many data reports were fetched before the next command.
struct Read {
    int command;
    int address;
    int length;
    int fetches;
    bool operator==(const Read&) const = default;
};

std::vector<Read> readsIn(const QString& transcript) {
    std::vector<Read> reads;
    bool inRead = false;
    for (const auto& report : gui::testing::transcriptReports(transcript)) {
        const std::vector<int>& b = report.bytes;
        if (b.size() < 8)
            continue;
        if (report.kind == QLatin1String("SET")) {
            const int command = b[1];
            inRead = b[0] == 0x40 && (command == 0x06 || command == 0x09);
            if (inRead)
                reads.push_back(command == 0x06 ? Read{command, b[3], b[5], 0}
                                                : Read{command, b[2] * 256 + b[3], b[4] * 256 + b[5], 0});
        } else if (report.kind == QLatin1String("GET") && inRead) {
            ++reads.back().fetches;
        }
    }
    return reads;
}

void PrintTo(const Read& r, std::ostream* os) {
    *os << "{" << r.command << ", " << r.address << "/" << r.length << ", " << r.fetches << " fetches}";
}

qsizetype lineCount(const QString& transcript) {
    return gui::testing::transcriptLineCount(transcript);
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        gui::MessageSeam::setAnswerer(&m_answers);
        m_transcript = m_folder.filePath(QStringLiteral("transcript.txt"));
        makeWindow(core::StorageKind::I2C);
    }
    // The window over a virtual mouse of `kind`; `imageKind`: the kind of mouse the program's
    // default images are made for (None: as built in); `screenshots`: the folder of a screenshot run.
    void makeWindow(core::StorageKind kind, core::StorageKind imageKind = core::StorageKind::None,
                    const QString& screenshots = {}) {
        m_window.reset();
        QFile::remove(m_transcript);
        gui::DeviceSession::Options options;
        options.runtime.emulator = kind;
        options.runtime.timeScale = kTimeScale;
        options.runtime.transcriptPath = m_transcript.toStdString();
        if (imageKind != core::StorageKind::None) {
            options.identity = core::DefaultIdentity::fromResources();
            options.identity->defaultImageKind = imageKind;
        }
        m_window = std::make_unique<MainWindow>(options, nullptr, screenshots);
    }
    void TearDown() override {
        m_window.reset();
        gui::MessageSeam::setAnswerer(nullptr);
    }

    // A control as a user finds it once the first frame is out and the other pages are built.
    template <typename T = QWidget> T* find(const QString& name) const {
        m_window->completePages();
        T* widget = m_window->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    // A click where the user sees the control; it must reach that control, not what lies above it.
    void click(const QString& name) {
        QWidget* widget = find(name);
        ASSERT_NE(widget, nullptr);
        if (!m_window->isVisible()) {
            m_window->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        }
        ASSERT_TRUE(widget->isVisible()) << name.toStdString() << " is not on the screen";
        const QWidget* hit = gui::testing::clickAt(widget);
        EXPECT_TRUE(hit == widget || widget->isAncestorOf(hit))
            << name.toStdString() << " is covered by " << (hit ? hit->objectName().toStdString() : "nothing");
    }
    QString picture(const QString& name) const { return find<PictureControl>(name)->pictureName(); }

    // Keys as the keyboard sends them: through the window, to whatever holds focus.
    // The offscreen platform activates every window it shows, the loading window too, and leaves no
    // window active when that one hides; an X server honours the loading window's refusal of focus.
    // The window is given back its activation here, as the desktop would never have taken it.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        focused();
        QTest::keyClick(m_window->windowHandle(), key, modifiers);
    }
    QWidget* focused() {
        if (!QApplication::activeWindow() && m_window->isVisible()) {
            m_window->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
        }
        return QApplication::focusWidget();
    }
    // Tab until `name` has focus; every stop on the way is a shown control.
    bool tabTo(const QString& name) {
        QWidget* target = find(name);
        for (int presses = 0; presses < 300 && focused() != target; ++presses) {
            press(Qt::Key_Tab);
            const QWidget* focus = focused();
            if (!focus || !focus->isVisible())
                return false;
        }
        return focused() == target;
    }
    void activate() {
        m_window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    }
    emulator::VirtualMouse& mouse() { return *m_window->session().virtualMouse(); }

    // Starts the session and waits until the mouse has been found and read.
    void startAndRead() {
        m_window->show();
        m_window->start();
        ASSERT_TRUE(waitFor([&] { return m_window->deviceConnected() && !m_window->coversShown(); }))
            << "the mouse was not read";
    }

    QTemporaryDir m_folder;
    QString m_transcript;
    gui::MessageSeam::Answerer m_answers;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(ShellTest, StartsOnPageOneWithDefaultImageOneUnderTheCovers) {
    EXPECT_EQ(m_window->objectName(), QStringLiteral("TForm1"));
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("Tarvik Gaming Mouse v1.0"));
    EXPECT_EQ(m_window->size(), QSize(1030, 662));
    EXPECT_TRUE(m_window->windowFlags() & Qt::FramelessWindowHint);
    // The colour key outside the shape is cut out of the window.
    EXPECT_FALSE(m_window->mask().isEmpty());
    const QImage background = gui::Skin::picture(QStringLiteral("L1_BackGround")).toImage();
    int keyed = 0;
    for (int y = 0; y < background.height(); y += 7)
        for (int x = 0; x < background.width(); x += 7) {
            const bool see = background.pixel(x, y) == qRgb(128, 0, 0);
            keyed += see;
            EXPECT_EQ(m_window->mask().contains(QPoint(x, y)), !see) << x << "," << y;
        }
    EXPECT_GT(keyed, 0);

    m_window->show();
    EXPECT_TRUE(find("gbPage1")->isVisible());
    for (int n = 2; n <= 6; ++n)
        EXPECT_FALSE(find(QStringLiteral("gbPage%1").arg(n))->isVisible()) << n;
    EXPECT_TRUE(find<QRadioButton>("rb_1")->isChecked());
    EXPECT_EQ(picture("Img_Main_1"), QStringLiteral("SetS_03"));
    EXPECT_EQ(picture("Img_Lang1_1"), QStringLiteral("SetS_03"));
    EXPECT_EQ(picture("Img_Adv_1"), QStringLiteral("SetS_01"));

    // Default image 1 drawn: its first button is the left key.
    EXPECT_EQ(find<QLabel>("Key1")->text(), QStringLiteral("Left Key"));
    EXPECT_EQ(find<QLabel>("Btn_Main_1")->text(), QStringLiteral("Office Mode"));
    EXPECT_EQ(m_window->applicationTitle(), QStringLiteral("Gaming Mouse"));

    // The covers take every click on the page's working area; the navigation bar stays above them.
    EXPECT_TRUE(m_window->coversShown());
    for (const char* target : {"Key1", "Img_P1"})
        EXPECT_EQ(gui::testing::nameAtCentreOf(find(QLatin1String(target))), QStringLiteral("Disable_All_1"))
            << target;
    for (const char* target : {"Btn_Adv_1", "Btn_Switch_1", "Btn_Save_1", "Btn_Confirm1_1", "Btn_Exit_1"})
        EXPECT_EQ(gui::testing::nameAtCentreOf(find(QLatin1String(target))), QLatin1String(target));
    EXPECT_TRUE(m_answers.messages.isEmpty());
}

TEST_F(ShellTest, PagesBuiltLaterTakeTheWindowAsItStands) {
    // The first frame needs the first page only, and nothing builds the others by itself.
    EXPECT_FALSE(m_window->pagesComplete());
    EXPECT_EQ(m_window->findChild<QWidget*>(QStringLiteral("gbPage2")), nullptr);
    // A language chosen before the other pages exist is the one they are built in.
    m_window->switchLanguage(3);
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    QTest::qWait(100);
    EXPECT_FALSE(m_window->pagesComplete());
    m_window->completePages();

    EXPECT_TRUE(find("gbPage1")->isVisible());
    for (int n = 2; n <= 6; ++n)
        EXPECT_FALSE(find(QStringLiteral("gbPage%1").arg(n))->isVisible()) << n;
    for (int n = 2; n <= 5; ++n) {
        SCOPED_TRACE(n);
        for (const char* entry : {"Main", "Adv", "Lang1", "Lang3", "Confirm1", "Exit"}) {
            const QString label = QStringLiteral("Btn_%1_%2").arg(QLatin1String(entry));
            const QString image = QStringLiteral("Img_%1_%2").arg(QLatin1String(entry));
            EXPECT_EQ(find<QLabel>(label.arg(n))->text(), find<QLabel>(label.arg(1))->text()) << entry;
            EXPECT_EQ(find(label.arg(n))->geometry(), find(label.arg(1))->geometry()) << entry;
            EXPECT_EQ(find(label.arg(n))->isHidden(), find(label.arg(1))->isHidden()) << entry;
            EXPECT_EQ(picture(image.arg(n)), picture(image.arg(1))) << entry;
        }
        EXPECT_EQ(picture(QStringLiteral("Img_Base_%1").arg(n)), QStringLiteral("L3_BackGround"));
        EXPECT_FALSE(find(QStringLiteral("Disable_All_%1").arg(n))->isHidden());
    }
    EXPECT_EQ(picture("Img_Main_3"), QStringLiteral("SetS_03"));
    EXPECT_EQ(picture("Img_Lang3_2"), QStringLiteral("SetS_03"));
    EXPECT_EQ(picture("Img_P6"), QStringLiteral("L3_Back5"));
    // The pages' own controls: placed by "ORG3" and drawn from the working image.
    const auto& state = m_window->state();
    EXPECT_EQ(find("Img_P2")->pos(), QPoint(state.layoutInt("P2_X"), state.layoutInt("P2_Y")));
    EXPECT_FALSE(find<QLabel>("lbl_AIMDPIValue")->text().isEmpty());
}

TEST_F(ShellTest, TheScreenShowsWhatTheWindowDrawsAfterPagesAndPicturesChange) {
    // Opaque pictures let the window skip what lies beneath them; what reaches the screen must
    // still be the whole window as it would draw itself afresh.
    startAndRead();
    auto onScreen = [&] {
        QTest::qWait(50);
        return m_window->screen()
            ->grabWindow(m_window->winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    auto drawn = [&] { return m_window->grab().toImage().convertToFormat(QImage::Format_RGB32); };
    EXPECT_EQ(onScreen(), drawn());
    click("Btn_Adv_1");
    EXPECT_EQ(onScreen(), drawn());
    emit find<CaptionLabel>("Btn_Switch_2")->entered();
    m_window->roller().stop(); // a rolling caption would change between the two pictures
    EXPECT_EQ(picture("Img_Switch_2"), QStringLiteral("SetS_02"));
    EXPECT_EQ(onScreen(), drawn());
    click("Btn_Breath_2");
    EXPECT_EQ(onScreen(), drawn());
    click("Btn_Main_3");
    EXPECT_EQ(onScreen(), drawn());
}

TEST_F(ShellTest, NavigationWithoutAMouseSaysItIsStillLookingAndExitStillEnds) {
    // Clicked where the user sees them, above the covers that are up while no mouse is there.
    int clicked = 0;
    for (const char* entry : {"Main", "Switch", "Fixed", "Adv", "Breath", "Macro", "Update", "Save", "Load",
                              "Confirm1", "Reset"}) {
        const QString name = QStringLiteral("Btn_%1_1").arg(QLatin1String(entry));
        if (find(name)->isHidden())
            continue; // this layout leaves it out
        m_answers.messages.clear();
        click(name);
        EXPECT_EQ(m_answers.messages, QStringList{QStringLiteral("Is finding the specified device")})
            << entry;
        ++clicked;
    }
    EXPECT_GE(clicked, 8);
    EXPECT_TRUE(find("gbPage1")->isVisibleTo(m_window.get()));
    EXPECT_FALSE(find("gbPage2")->isVisibleTo(m_window.get()));

    click("Btn_Exit_1");
    EXPECT_TRUE(m_window->session().isShutDown());
    EXPECT_FALSE(m_window->isVisible());
}

TEST_F(ShellTest, ClosingFromTheWindowManagerEndsLikeExit) {
    startAndRead();
    const qsizetype from = lineCount(m_transcript);
    EXPECT_FALSE(m_window->close()); // the window goes by the program's end, not by itself
    EXPECT_TRUE(m_window->session().isShutDown());
    EXPECT_FALSE(m_window->isVisible());
    QTest::qWait(50);
    EXPECT_EQ(lineCount(m_transcript), from);
}

TEST_F(ShellTest, ClosingDuringATransferEndsWhenItIsOver) {
    m_window->show();
    // The close comes while the start-up read is running, from the events it pumps.
    bool closedWhileBusy = false;
    bool shutDownWhileBusy = false;
    QTimer closer;
    closer.setInterval(1);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (m_window->busy() && !closedWhileBusy) {
            closedWhileBusy = true;
            m_window->close();
        } else if (m_window->busy() && m_window->session().isShutDown()) {
            shutDownWhileBusy = true;
        }
    });
    closer.start();
    m_window->start();
    ASSERT_TRUE(waitFor([&] { return m_window->session().isShutDown(); })) << "the program never ended";
    EXPECT_TRUE(closedWhileBusy);
    EXPECT_FALSE(shutDownWhileBusy);
    // The read went to its end: the last stored region was fetched whole.
    const auto reads = readsIn(m_transcript);
    ASSERT_FALSE(reads.empty());
    EXPECT_EQ(reads.back(), (Read{0x09, 1280, 256, (256 + 6) / 7}));
    EXPECT_FALSE(m_window->isVisible());
}

TEST_F(ShellTest, FindsAndReadsTheMouseThenGameModeWritesItsFiveSettings) {
    startAndRead();
    EXPECT_FALSE(find<CaptionLabel>("Disable")->isVisible());

    qsizetype from = lineCount(m_transcript);
    click("Btn_Switch_1");
    EXPECT_THAT(settingWrites(m_transcript, from),
                ::testing::ElementsAre(std::pair(167, 4), std::pair(168, 15), std::pair(169, 0),
                                       std::pair(170, 32), std::pair(164, 0xF1)));
    EXPECT_TRUE(find<QRadioButton>("rb_2")->isChecked());
    EXPECT_FALSE(find("Key_FireMacro")->isHidden());
    EXPECT_EQ(find("Pnl_Main")->height(), 194);
    EXPECT_EQ(find("Pnl_Special")->height(), 314);
    EXPECT_FALSE(find<CaptionLabel>("Disable")->isVisible());
    EXPECT_EQ(picture("Img_Switch_3"), QStringLiteral("SetS_03"));
    EXPECT_EQ(picture("Img_Main_3"), QStringLiteral("SetS_01"));
    EXPECT_EQ(m_window->state().buffers.workingImage.currentProfile(), 0xF1);

    // A key-block commit (what choosing a function for a button ends with) makes the mouse take up
    // the profiles and then puts it back in the mode it is in.
    from = lineCount(m_transcript);
    m_window->cycle().buttonCodeTable().set(2, 3, "0300E900");
    EXPECT_EQ(m_window->cycle().commitKeyBlock(core::ConfigCycle::Variant::Complete),
              core::CycleResult::Done);
    const auto commitWrites = settingWrites(m_transcript, from);
    ASSERT_GE(commitWrites.size(), 2u);
    EXPECT_THAT(std::vector(commitWrites.end() - 2, commitWrites.end()),
                ::testing::ElementsAre(std::pair(0xA4, 0x0F), std::pair(0xA4, 0xF1)));
    EXPECT_EQ(mouse().activeKeyCodes(1)[8], 0x03); // Game Mode's profile, button 3, taken up

    from = lineCount(m_transcript);
    click("Btn_Main_1");
    // Office Mode writes the button effect switch of "ORG" (shipped on) and no fire macro entry.
    EXPECT_THAT(settingWrites(m_transcript, from),
                ::testing::ElementsAre(std::pair(167, 1), std::pair(168, 0), std::pair(169, 0),
                                       std::pair(170, 0), std::pair(164, 0x00)));
    EXPECT_TRUE(find("Key_FireMacro")->isHidden());
    EXPECT_EQ(find("Pnl_Main")->height(), 170);
    EXPECT_EQ(find("Pnl_Special")->height(), 242);
    // Third Mode is disabled by the shipped layout: the profile menu holds two entries.
    EXPECT_EQ(find("Pnl_Profile")->height(), 50);
}

TEST_F(ShellTest, TheFullReadFetchesTheLiveSettingsAndThenTheStoredRegionsInOrder) {
    startAndRead();
    // Discovery reads the mouse's own identity first; the full read starts at the live settings.
    const std::vector<Read> all = readsIn(m_transcript);
    const auto first = std::find_if(all.begin(), all.end(), [](const Read& r) { return r.command == 0x06; });
    const std::vector<Read> reads(first, all.end());
    ASSERT_GE(reads.size(), 12u);
    EXPECT_EQ(reads[0].command, 0x06);
    EXPECT_EQ(reads[0].fetches, 24);
    EXPECT_EQ(reads[1].command, 0x06);
    EXPECT_EQ(reads[1].fetches, 4);
    const std::vector<std::pair<int, int>> stored = {{192, 147},  {339, 41},   {484, 12},   {496, 256},
                                                     {752, 256},  {1536, 256}, {1792, 256}, {1008, 16},
                                                     {1024, 256}, {1280, 256}};
    std::vector<Read> expected;
    for (auto [address, length] : stored)
        expected.push_back({0x09, address, length, (length + 6) / 7});
    EXPECT_THAT(std::vector<Read>(reads.begin() + 2, reads.begin() + 2 + std::ssize(expected)),
                ::testing::ElementsAreArray(expected));
}

TEST_F(ShellTest, AMouseInGameModeOpensGameMode) {
    const std::array<core::Byte, 1> gameMode{0xF1};
    mouse().writeMemory(core::image::kCurrentProfile, gameMode);
    mouse().unplug();
    mouse().plug();
    startAndRead();
    EXPECT_TRUE(find<QRadioButton>("rb_2")->isChecked());
    EXPECT_TRUE(find("gbPage1")->isVisible());
    EXPECT_FALSE(find("Key_FireMacro")->isHidden());
    for (int k = 1; k <= 5; ++k) {
        EXPECT_EQ(picture(QStringLiteral("Img_Switch_%1").arg(k)), QStringLiteral("SetS_03")) << k;
        EXPECT_EQ(picture(QStringLiteral("Img_Main_%1").arg(k)), QStringLiteral("SetS_01")) << k;
    }
}

TEST_F(ShellTest, DefaultSettingTwoWritesImageTwoAndReadsTheMouseAgain) {
    startAndRead();
    const int resets = mouse().resetCount();
    click("Btn_Reset_1");
    ASSERT_TRUE(waitFor([&] { return mouse().resetCount() > resets; }));
    ASSERT_TRUE(waitFor([&] { return m_window->deviceConnected() && !m_window->coversShown(); }))
        << "the mouse was not read again";
    const auto& image2 = m_window->cycle().defaultImages()[1].dataBuf.bytes();
    const std::vector<core::Byte> profiles = mouse().readMemory(192, 147);
    EXPECT_TRUE(std::equal(profiles.begin(), profiles.end(), image2.begin() + 192));
    // Image 2's fire keys on buttons 2 and 5 of profile 2 reached the mouse.
    const auto codeAt = [&](int button) {
        const std::size_t at = core::ConfigImage::keyCodeOffset(2, button);
        const std::vector<core::Byte> code = mouse().readMemory(static_cast<std::uint16_t>(at), 4);
        return QByteArray(reinterpret_cast<const char*>(code.data()), 4).toHex().toUpper();
    };
    EXPECT_EQ(codeAt(2), QByteArray("0B100102"));
    EXPECT_EQ(codeAt(5), QByteArray("0B110102"));
    // What is drawn is what was read back.
    EXPECT_EQ(m_window->state().buffers.workingImage.keyCode(1, 1),
              m_window->cycle().defaultImages()[1].dataBuf.keyCode(1, 1));
    EXPECT_TRUE(m_answers.messages.isEmpty());
}

TEST_F(ShellTest, ExitEndsAtOnceWithoutWriting) {
    startAndRead();
    const qsizetype from = lineCount(m_transcript);
    click("Btn_Exit_1");
    EXPECT_TRUE(m_window->session().isShutDown());
    EXPECT_FALSE(m_window->isVisible());
    QTest::qWait(50);
    EXPECT_EQ(lineCount(m_transcript), from);
}

// Keys only, sent through the window as the keyboard sends them: Tab walks the controls in view and
// Enter on Exit ends as the click does, without a write.
TEST_F(ShellTest, TabReachesExitAndEnterEndsWithoutWriting) {
    startAndRead();
    m_window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    QWidget* exitLabel = find("Btn_Exit_1");
    std::vector<QString> visited;
    // Round the whole chain once, so every stop of the page is seen, then on to Exit.
    const auto seen = [&](const char* name) {
        return std::find(visited.begin(), visited.end(), QLatin1String(name)) != visited.end();
    };
    for (int presses = 0; presses < 200 && (focused() != exitLabel || !seen("Btn_Adv_1")); ++presses) {
        QTest::keyClick(m_window->windowHandle(), Qt::Key_Tab);
        QWidget* focus = focused();
        ASSERT_NE(focus, nullptr);
        EXPECT_TRUE(focus->isVisible()) << focus->objectName().toStdString();
        visited.push_back(focus->objectName());
    }
    ASSERT_EQ(focused(), exitLabel) << "Exit was not reached by Tab";
    // The page buttons lie on the way: a keyboard user can open every page.
    EXPECT_THAT(visited, ::testing::Contains(QStringLiteral("Btn_Adv_1")));
    const qsizetype from = lineCount(m_transcript);
    QTest::keyClick(m_window->windowHandle(), Qt::Key_Return);
    EXPECT_TRUE(m_window->session().isShutDown());
    EXPECT_FALSE(m_window->isVisible());
    QTest::qWait(50);
    EXPECT_EQ(lineCount(m_transcript), from);
}

// Enter on a page entry hides the bar copy that held focus; focus goes on to the first control of the
// page that opens, framed, and Tab carries on from there instead of going nowhere.
TEST_F(ShellTest, APageOpenedByEnterTakesFocusOnItsFirstControl) {
    startAndRead();
    activate();
    const struct {
        const char* entry;
        const char* page;
    } kCases[] = {{"Btn_Adv_1", "gbPage2"}, {"Btn_Breath_2", "gbPage3"}, {"Btn_Main_3", "gbPage1"}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.entry);
        ASSERT_TRUE(tabTo(QLatin1String(c.entry)));
        press(Qt::Key_Return);
        QWidget* page = find(QLatin1String(c.page));
        ASSERT_TRUE(page->isVisible());
        QWidget* focus = focused();
        ASSERT_NE(focus, nullptr);
        EXPECT_TRUE(page->isAncestorOf(focus) && focus->isVisible()) << focus->objectName().toStdString();
        EXPECT_FALSE(focus->objectName().startsWith(QLatin1String("Btn_"))) << "the page's own control first";
        if (auto* caption = qobject_cast<CaptionLabel*>(focus)) {
            EXPECT_TRUE(caption->showsKeyboardFocus());
        }
        press(Qt::Key_Tab);
        QWidget* next = focused();
        ASSERT_NE(next, nullptr);
        EXPECT_NE(next, focus);
        EXPECT_TRUE(page->isAncestorOf(next) && next->isVisible());
    }
}

// From the start to a change in the mouse with keys alone: Game Mode from its entry, Tab to button 2,
// and down the cascade to the right mouse key, which the mouse stores and works with.
TEST_F(ShellTest, KeysAloneAssignTheRightKeyToButtonTwo) {
    startAndRead();
    activate();
    ASSERT_TRUE(tabTo(QStringLiteral("Btn_Switch_1")));
    press(Qt::Key_Return);
    ASSERT_EQ(m_window->workMode(), 2);
    ASSERT_TRUE(tabTo(QStringLiteral("Key2")));
    press(Qt::Key_Return);
    ASSERT_TRUE(find("Pnl_Main")->isVisible());
    const auto downTo = [&](const char* entry) {
        for (int presses = 0; presses < 40 && focused() != find(QLatin1String(entry)); ++presses)
            press(Qt::Key_Down);
        return focused() == find(QLatin1String(entry));
    };
    ASSERT_TRUE(downTo("Key_Standard"));
    press(Qt::Key_Right);
    ASSERT_TRUE(find("Pnl_MseKey")->isVisible());
    ASSERT_TRUE(downTo("Key_Right"));
    press(Qt::Key_Return);
    EXPECT_FALSE(find("Pnl_Main")->isVisible());
    EXPECT_EQ(find<QLabel>("Key2")->text(), m_window->state().text("Str211"));
    const std::vector<core::Byte> memory = mouse().memory();
    const std::size_t at = 192 + 49 + 4; // Game Mode, button 2
    EXPECT_EQ(std::vector<core::Byte>(memory.begin() + at, memory.begin() + at + 4),
              (std::vector<core::Byte>{0x01, 0x02, 0x00, 0x00}));
    // Focus stays in the window for the next key.
    ASSERT_NE(focused(), nullptr);
    EXPECT_TRUE(focused()->isVisible());
}

// Keys alone: DPI level 2 to step 10 on the Advanced page, another lighting effect, a profile file,
// and Exit; every change reaches the mouse as the clicks' do.
TEST_F(ShellTest, KeysAloneSetDpiSwitchLightingSaveAndExit) {
    startAndRead();
    activate();
    ASSERT_TRUE(tabTo(QStringLiteral("Btn_Adv_1")));
    press(Qt::Key_Return);
    ASSERT_TRUE(find("gbPage2")->isVisible());
    ASSERT_TRUE(tabTo(QStringLiteral("bar_DPI2")));
    press(Qt::Key_Home);
    for (int k = 1; k < 10; ++k)
        press(Qt::Key_Right);
    EXPECT_EQ(mouse().liveSettings()[44] >> 4, 9) << "level 2 is the high half of its pair byte";
    EXPECT_EQ(picture("Img_DPI2_10"), QStringLiteral("Bar2_E"));
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(find("bar_DPI2"));
    EXPECT_EQ(bar->text(QAccessible::Name),
              QStringLiteral("DPI level 2, step 10 of 12, ") + find<QLabel>("lbl_DPI2Value")->text());

    ASSERT_TRUE(tabTo(QStringLiteral("Btn_Breath_2")));
    press(Qt::Key_Return);
    ASSERT_TRUE(find("gbPage3")->isVisible());
    const int before = m_window->state().settings.lighting.mode;
    ASSERT_TRUE(tabTo(before == 0 ? QStringLiteral("lbl_Off") : QStringLiteral("lbl_LED%1").arg(before)));
    press(Qt::Key_Right);
    const int after = m_window->state().settings.lighting.mode;
    EXPECT_NE(after, before);
    EXPECT_EQ(mouse().liveSettings()[165] & 0x0F, after);
    EXPECT_EQ(focused(),
              find(after == 0 ? QStringLiteral("lbl_Off") : QStringLiteral("lbl_LED%1").arg(after)));

    m_answers.nextFileNames.push_back(m_folder.filePath(QStringLiteral("keys")));
    ASSERT_TRUE(tabTo(QStringLiteral("Btn_Save_3")));
    press(Qt::Key_Return);
    QFile saved(m_folder.filePath(QStringLiteral("keys.bin")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    ASSERT_EQ(bytes.size(), 2048);
    const std::vector<core::Byte> profiles = mouse().readMemory(192, 147);
    EXPECT_TRUE(std::equal(profiles.begin(), profiles.end(), bytes.begin() + 192,
                           [](core::Byte a, char b) { return a == static_cast<core::Byte>(b); }));

    // The read that follows the save may bring another page to the front: Exit of the bar in view.
    QString exitEntry;
    for (int copy = 1; copy <= 5; ++copy)
        if (find(QStringLiteral("Btn_Exit_%1").arg(copy))->isVisible())
            exitEntry = QStringLiteral("Btn_Exit_%1").arg(copy);
    ASSERT_TRUE(tabTo(exitEntry));
    press(Qt::Key_Return);
    EXPECT_TRUE(m_window->session().isShutDown());
    EXPECT_FALSE(m_window->isVisible());
}

// Keys alone on the macro page: New through the name dialog (Escape leaves it first, adding
// nothing), a recording started and stopped on its button, and the macro added to the mouse through
// the library list's menu opened with the Menu key. The macro ends in the mouse's memory.
TEST_F(ShellTest, KeysAloneRecordAMacroAndAddItToTheMouse) {
    // A library left by an earlier run would make the name a duplicate.
    QFile::remove(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                  QStringLiteral("/tarvik-config/Tarvik-Macro.bin"));
    makeWindow(core::StorageKind::I2C);
    auto* page = find<gui::MacroPage>("gbPage4");
    auto owned = std::make_unique<test::FakeInputCapture>();
    test::FakeInputCapture* capture = owned.get();
    page->setInputCapture(std::move(owned));
    startAndRead();
    activate();
    ASSERT_TRUE(tabTo(QStringLiteral("Btn_Macro_1")));
    press(Qt::Key_Return);
    ASSERT_TRUE(page->isVisible());

    // The dialog takes the keys while it is open.
    const auto pressInDialog = [&](Qt::Key key) {
        gui::MacroNameDialog* dialog = page->nameDialog();
        ASSERT_TRUE(dialog && dialog->isVisible());
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        QTest::keyClick(dialog->windowHandle(), key);
    };
    ASSERT_TRUE(tabTo(QStringLiteral("Btn_New")));
    press(Qt::Key_Return);
    pressInDialog(Qt::Key_K);
    pressInDialog(Qt::Key_Escape);
    EXPECT_FALSE(page->nameDialog()->isVisible());
    EXPECT_TRUE(m_window->state().macroLibrary.names().empty());
    press(Qt::Key_Return);
    EXPECT_TRUE(page->nameDialog()->edit()->text().isEmpty()) << "the dialog opens empty again";
    for (Qt::Key key : {Qt::Key_K, Qt::Key_E, Qt::Key_Y, Qt::Key_M})
        pressInDialog(key);
    for (int presses = 0; presses < 6 && QApplication::focusWidget() != find("IB_Confirm"); ++presses)
        pressInDialog(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), find("IB_Confirm"));
    pressInDialog(Qt::Key_Return);
    EXPECT_FALSE(page->nameDialog()->isVisible());
    ASSERT_EQ(m_window->state().macroLibrary.names(), std::vector<std::string>{"keym"});

    ASSERT_TRUE(tabTo(QStringLiteral("Btn_Start")));
    press(Qt::Key_Return);
    ASSERT_TRUE(page->editor().recording());
    capture->keyDown(0x41, 5000);
    capture->keyUp(0x41, 5120);
    press(Qt::Key_Tab); // a key of the macro: Stop keeps the focus
    EXPECT_EQ(focused(), find("Btn_Start"));
    // The capture may see the Enter that stops the recording before the window does.
    capture->keyDown(0x0D, 5300);
    press(Qt::Key_Return);
    capture->keyUp(0x0D, 5310);
    ASSERT_FALSE(page->editor().recording());
    const core::MacroText recorded = {"10", "1 A CODE:8204", "0 120", "2 A CODE:0204"};
    EXPECT_EQ(page->editor().text(), recorded);

    auto* library = find<QListWidget>("LB_PCMacroName");
    ASSERT_TRUE(tabTo(QStringLiteral("LB_PCMacroName")));
    press(Qt::Key_Menu);
    QWidget* menu = find("Pnl_PCMacro");
    ASSERT_TRUE(menu->isVisible());
    EXPECT_EQ(focused(), find("Btn_NewMacro"));
    press(Qt::Key_Up); // round to the last entry
    ASSERT_EQ(focused(), find("Btn_AddMacro"));
    press(Qt::Key_Return);
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(focused(), library) << "focus goes back to the list";
    const core::MacroNameField name = core::nameToField("keym");
    EXPECT_EQ(mouse().readMemory(496, 16), std::vector<core::Byte>(name.begin(), name.end()));
    const std::vector<core::Byte> body = core::encodeMacro(recorded);
    EXPECT_EQ(mouse().readMemory(512, static_cast<std::uint16_t>(body.size())), body);

    // Shift+F10 opens the mouse list's menu; Escape closes it and changes nothing.
    ASSERT_TRUE(tabTo(QStringLiteral("LB_MacroName")));
    press(Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_TRUE(find("Pnl_DevMacro")->isVisible());
    EXPECT_EQ(focused(), find("Btn_DelMacro"));
    press(Qt::Key_Escape);
    EXPECT_FALSE(find("Pnl_DevMacro")->isVisible());
    EXPECT_EQ(focused(), find("LB_MacroName"));
    EXPECT_EQ(m_window->cycle().deviceMacroTable().names(), std::vector<std::string>{"keym"});
}

// Tab takes a radio group as one stop, at its checked choice; the arrows move and choose within it,
// and the next Tab leaves the group, whichever choice it was on.
TEST_F(ShellTest, ARadioGroupIsOneTabStopAtItsCheckedChoice) {
    startAndRead();
    activate();
    const struct {
        const char* entry;
        const char* page;
        QString prefix;
    } groups[] = {{"Btn_Adv_1", "gbPage2", QStringLiteral("lbl_Rep")},
                  {"Btn_Breath_2", "gbPage3", QStringLiteral("lbl_")}};
    for (const auto& g : groups) {
        SCOPED_TRACE(g.page);
        ASSERT_TRUE(tabTo(QLatin1String(g.entry)));
        press(Qt::Key_Return);
        QWidget* page = find(QLatin1String(g.page));
        ASSERT_TRUE(page->isVisible());
        std::vector<CaptionLabel*> choices;
        for (auto* c : page->findChildren<CaptionLabel*>())
            if (c->objectName().startsWith(g.prefix) && c->accessibleRole() == QAccessible::RadioButton)
                choices.push_back(c);
        ASSERT_GE(choices.size(), 3u);
        const auto checked = [&]() -> QWidget* {
            for (CaptionLabel* c : choices)
                if (c->isChecked())
                    return c;
            return nullptr;
        };
        const auto inGroup = [&](QWidget* w) {
            return std::find(choices.begin(), choices.end(), w) != choices.end();
        };
        ASSERT_NE(checked(), nullptr);
        // Once round the page: the group is met once, at its checked choice.
        QWidget* start = focused();
        std::vector<QWidget*> stops;
        if (inGroup(start))
            stops.push_back(start);
        for (int presses = 0; presses < 300; ++presses) {
            press(Qt::Key_Tab);
            if (focused() == start)
                break;
            if (inGroup(focused()))
                stops.push_back(focused());
        }
        ASSERT_EQ(focused(), start) << "Tab did not come round";
        EXPECT_EQ(stops, std::vector<QWidget*>{checked()});

        ASSERT_TRUE(tabTo(checked()->objectName()));
        // A report rate makes the mouse start afresh and the window go back to its first page, so
        // the arrows are tried on the lighting effects only.
        if (g.prefix == QStringLiteral("lbl_")) {
            QWidget* before = checked();
            press(Qt::Key_Right);
            ASSERT_NE(checked(), before) << "the arrow chose nothing";
            EXPECT_EQ(focused(), checked());
            EXPECT_EQ(mouse().liveSettings()[165] & 0x0F, m_window->state().settings.lighting.mode);
            // A screen reader still hears every choice as a radio button with its state.
            QAccessibleInterface* view = QAccessible::queryAccessibleInterface(checked());
            EXPECT_EQ(view->role(), QAccessible::RadioButton);
            EXPECT_TRUE(view->state().checked);
            EXPECT_FALSE(QAccessible::queryAccessibleInterface(before)->state().checked);
        }

        // Tab leaves the group from the choice it is on; Shift+Tab comes back to that choice.
        QWidget* chosen = checked();
        press(Qt::Key_Tab);
        EXPECT_FALSE(inGroup(focused())) << focused()->objectName().toStdString();
        press(Qt::Key_Backtab);
        EXPECT_EQ(focused(), chosen);
        press(Qt::Key_Backtab);
        EXPECT_FALSE(inGroup(focused())) << focused()->objectName().toStdString();
    }
}

// Controls under a shown cover (the buttons in the third work mode, the whole working area without a
// mouse) are no Tab stops: every stop is where a click at its middle would reach it.
TEST_F(ShellTest, TabPassesOverCoveredControls) {
    startAndRead();
    activate();
    const auto round = [&] {
        std::vector<QString> stops;
        QWidget* start = focused();
        for (int presses = 0; presses < 300; ++presses) {
            press(Qt::Key_Tab);
            QWidget* focus = focused();
            if (!focus || focus == start)
                break;
            stops.push_back(focus->objectName());
            const QPoint middle = focus->mapTo(m_window.get(), focus->rect().center());
            QWidget* hit = m_window->childAt(middle);
            EXPECT_TRUE(hit == focus || focus->isAncestorOf(hit))
                << focus->objectName().toStdString() << " is under "
                << (hit ? hit->objectName().toStdString() : "nothing");
        }
        EXPECT_EQ(focused(), start) << "Tab did not come round";
        return stops;
    };
    ASSERT_TRUE(tabTo(QStringLiteral("Btn_Switch_1")));
    press(Qt::Key_Return);
    EXPECT_THAT(round(), ::testing::Contains(QStringLiteral("Key2")));
    m_window->switchWorkMode(3);
    ASSERT_TRUE(find("Disable")->isVisible());
    ASSERT_TRUE(tabTo(QStringLiteral("Btn_Exit_1")));
    EXPECT_THAT(round(), ::testing::Not(::testing::Contains(QStringLiteral("Key2"))));

    m_window->switchWorkMode(1);
    mouse().unplug();
    ASSERT_TRUE(waitFor([&] { return m_window->coversShown(); }));
    ASSERT_TRUE(tabTo(QStringLiteral("Btn_Exit_1")));
    const std::vector<QString> stops = round();
    EXPECT_THAT(stops, ::testing::Contains(QStringLiteral("Btn_Adv_1")));
    EXPECT_THAT(stops, ::testing::Not(::testing::Contains(QStringLiteral("Key1"))));
}

// A screen reader hears every navigation control by a word of the current language, the Exit picture
// included, and hears the new words after a language switch.
TEST_F(ShellTest, NavigationControlsAreNamedInTheCurrentLanguage) {
    m_window->show();
    auto heard = [&](const char* name) {
        QAccessibleInterface* view = QAccessible::queryAccessibleInterface(find(QLatin1String(name)));
        EXPECT_NE(view, nullptr) << name;
        return view ? std::make_pair(view->role(), view->text(QAccessible::Name))
                    : std::make_pair(QAccessible::NoRole, QString());
    };
    EXPECT_EQ(heard("Btn_Exit_1"), std::make_pair(QAccessible::Button, QStringLiteral("Exit")));
    EXPECT_EQ(heard("Btn_Main_1"), std::make_pair(QAccessible::Button, QStringLiteral("Office Mode")));
    m_window->switchLanguage(2);
    EXPECT_EQ(heard("Btn_Exit_1").second, QStringLiteral("\u96e2\u958b"));
    EXPECT_EQ(heard("Btn_Main_1").second, find<QLabel>("Btn_Main_1")->text());
    EXPECT_NE(heard("Btn_Main_1").second, QStringLiteral("Office Mode"));
}

// Names said for pictures and the program's own messages and hints come from the language tables
// and follow a change of language.
TEST_F(ShellTest, SpokenNamesAndHintsFollowTheLanguage) {
    startAndRead();
    const auto heard = [&](const char* name) {
        QAccessibleInterface* view = QAccessible::queryAccessibleInterface(find(QLatin1String(name)));
        return view ? view->text(QAccessible::Name) : QString();
    };
    const auto keyHint = [&] {
        auto* dialog = new gui::InputOneKeyDialog(m_window->state(), m_window.get(), 1, {});
        dialog->open();
        const QLabel* hint = dialog->findChild<QLabel*>(QStringLiteral("lbl_KeyHint"));
        EXPECT_TRUE(dialog->rect().contains(hint->geometry())) << "the hint fits the dialog";
        const QString text = hint->text();
        dialog->close();
        return text;
    };
    struct Said {
        const char* control;
        const char* english;
        const char* chinese;
    };
    const Said names[] = {
        {"LB_PCMacroName", "Macros on this computer", "電腦中的巨集"},
        {"lbl_LED2", "Lighting effect 2", "燈光效果 2"},
        {"Edt_FireCnt3", "Fire step 3 repeat count", "射擊步驟 3 次數"},
        {"Btn_Web_1", "Web site", "網站"},
    };
    for (const Said& said : names)
        EXPECT_EQ(heard(said.control), QString::fromUtf8(said.english)) << said.control;
    EXPECT_TRUE(heard("bar_DPI2").startsWith(QStringLiteral("DPI level 2, step ")));
    EXPECT_EQ(keyHint(), QStringLiteral("Hold Tab or press Ctrl+Tab to reach the buttons"));
    QAction* restore = m_window->trayMenu()->findChild<QAction*>(QStringLiteral("Act_RestoreBackup"));
    EXPECT_EQ(restore->text(), QStringLiteral("Restore an earlier configuration..."));

    m_window->switchLanguage(2);
    for (const Said& said : names)
        EXPECT_EQ(heard(said.control), QString::fromUtf8(said.chinese)) << said.control;
    EXPECT_TRUE(heard("bar_DPI2").startsWith(QString::fromUtf8("DPI 段位 2，第 ")))
        << heard("bar_DPI2").toStdString();
    EXPECT_EQ(keyHint(), QString::fromUtf8("按住 Tab 或按 Ctrl+Tab 可移到按鈕"));
    EXPECT_EQ(restore->text(), QString::fromUtf8("還原先前的設定..."));
    EXPECT_EQ(find<gui::AdvancedPage>("gbPage2")->missingSettingTip(),
              QString::fromUtf8("此桌面沒有這項設定"));
}

TEST_F(ShellTest, TheResetFirstPageIgnoresPageButtons) {
    startAndRead();
    m_window->refreshErrorAP(); // as after a refused device
    m_window->hideCovers();
    click("Btn_Adv_1");
    click("Btn_Switch_1");
    EXPECT_TRUE(find<QRadioButton>("rb_1")->isChecked());
    EXPECT_FALSE(find("gbPage2")->isVisible());
    EXPECT_TRUE(m_answers.messages.isEmpty());
}

TEST_F(ShellTest, PressingTheBackgroundClosesTheMenus) {
    find("Pnl_Main")->show();
    find("Pnl_Media")->show();
    QTest::mousePress(find("Img_Base_1"), Qt::LeftButton);
    EXPECT_TRUE(find("Pnl_Main")->isHidden());
    EXPECT_TRUE(find("Pnl_Media")->isHidden());
    find("Pnl_Main")->show();
    QTest::mousePress(find("Img_P1"), Qt::LeftButton); // ClearAP
    EXPECT_TRUE(find("Pnl_Main")->isHidden());
}

TEST_F(ShellTest, ThirdModeCoversTheButtons) {
    startAndRead();
    m_window->switchWorkMode(3);
    EXPECT_TRUE(find<QRadioButton>("rb_3")->isChecked());
    EXPECT_TRUE(find<CaptionLabel>("Disable")->isVisible());
    QWidget* page = find("gbPage1");
    EXPECT_EQ(page->childAt(find("Key1")->geometry().center())->objectName(), QStringLiteral("Disable"));
    click("Btn_Adv_1");
    EXPECT_FALSE(find<CaptionLabel>("Disable")->isVisibleTo(page));
}

TEST_F(ShellTest, ModeButtonOnTheMouseBringsGameModeToTheFront) {
    startAndRead();
    click("Btn_Adv_1");
    ASSERT_TRUE(find("gbPage2")->isVisible());
    mouse().pressButton(emulator::VirtualMouse::kModeButton);
    mouse().releaseButtons();
    ASSERT_TRUE(waitFor([&] { return find("gbPage1")->isVisible(); }));
    EXPECT_FALSE(find("gbPage2")->isVisible());
    EXPECT_TRUE(find<QRadioButton>("rb_2")->isChecked());
    EXPECT_EQ(picture("Img_Switch_2"), QStringLiteral("SetS_03"));
    EXPECT_EQ(picture("Img_Adv_2"), QStringLiteral("SetS_01"));
}

TEST_F(ShellTest, UnpluggingShowsTheNoDeviceState) {
    startAndRead();
    click("Btn_Switch_1");
    m_window->page(1)->hide();
    m_window->page(6)->show(); // the fire page, as Game Mode's menu opens it
    mouse().unplug();
    ASSERT_TRUE(waitFor([&] { return m_window->coversShown(); }));
    EXPECT_FALSE(m_window->deviceConnected());
    EXPECT_TRUE(find<CaptionLabel>("Disable")->isVisibleTo(find("gbPage1")));
    EXPECT_TRUE(m_window->state().noDevicePage);
    EXPECT_TRUE(find("gbPage1")->isVisible());
    EXPECT_FALSE(find("gbPage6")->isVisible());
    EXPECT_TRUE(find<QRadioButton>("rb_1")->isChecked());
    EXPECT_EQ(picture("Img_Main_1"), QStringLiteral("SetS_03"));
    EXPECT_EQ(picture("Img_Switch_1"), QStringLiteral("SetS_01"));
}

TEST_F(ShellTest, LanguageThreeReappliesItsLayoutAndTexts) {
    // "ORG1" hides the button of language 3; it works all the same.
    EXPECT_TRUE(find("Btn_Lang3_1")->isHidden());
    emit find<CaptionLabel>("Btn_Lang3_1")->clicked();
    EXPECT_EQ(m_window->state().languageIndex, 3);
    EXPECT_EQ(m_window->state().layoutSection(), QStringLiteral("org3"));
    EXPECT_TRUE(find<QRadioButton>("rb_Lang3")->isChecked());
    EXPECT_EQ(picture("Img_Lang3_4"), QStringLiteral("SetS_03"));
    EXPECT_EQ(picture("Img_Lang1_4"), QStringLiteral("SetS_01"));
    EXPECT_EQ(find<QLabel>("Btn_Confirm1_2")->text(), QStringLiteral("Confirm 1"));
    EXPECT_EQ(m_window->applicationTitle(), QStringLiteral("Orvane Gaming Mouse"));
    EXPECT_EQ(picture("Img_Base_1"), QStringLiteral("L3_BackGround"));
    EXPECT_EQ(picture("Img_P1"), QStringLiteral("L3_Back1"));
    // "ORG3" hides Save, Load and every language button and moves the button page.
    EXPECT_TRUE(find("Btn_Lang1_1")->isHidden());
    EXPECT_TRUE(find("Btn_Save_1")->isHidden());
    EXPECT_EQ(find("Img_P1")->x(), 100);
    // The key captions are carried over; the menu entries take the new table's texts.
    EXPECT_EQ(find<QLabel>("Key1")->text(), QStringLiteral("Left Key"));
    EXPECT_EQ(find<QLabel>("Key_Left")->text(), QStringLiteral(" * Left Key"));

    m_window->switchLanguage(2);
    EXPECT_NE(find<QLabel>("Key1")->text(), QStringLiteral("Left Key"));
    m_window->switchLanguage(1);
    EXPECT_EQ(find<QLabel>("Key1")->text(), QStringLiteral("Left Key"));
    EXPECT_FALSE(find("Btn_Lang1_1")->isHidden());
}

TEST_F(ShellTest, ButtonPageNumberingPlacesTheLabels) {
    // Layout button 2 is label Key4: each label sits on its own picture, which the table placed.
    const auto& layout = m_window->state();
    EXPECT_EQ(find("Img_Key4")->pos(), QPoint(layout.layoutInt("Key2_X"), layout.layoutInt("Key2_Y")));
    EXPECT_EQ(find("Img_Key2")->pos(), QPoint(layout.layoutInt("Key4_X"), layout.layoutInt("Key4_Y")));
    EXPECT_EQ(find("Key4")->geometry(), find("Img_Key4")->geometry());
    // Buttons 7 to 12 are disabled in "ORG1".
    EXPECT_TRUE(find("Key12")->isHidden());
    EXPECT_FALSE(find("Key1")->isHidden());
    EXPECT_EQ(find("Disable")->geometry(),
              QRect(layout.layoutInt("Disable_X"), layout.layoutInt("Disable_Y"),
                    layout.layoutInt("Disable_W"), layout.layoutInt("Disable_H")));
}

TEST_F(ShellTest, HoveringGameModeOnTheAdvancedPageSwapsOnlyThatCopy) {
    startAndRead();
    click("Btn_Adv_1");
    auto* gameMode = find<CaptionLabel>("Btn_Switch_2");
    emit gameMode->entered();
    EXPECT_EQ(picture("Img_Switch_2"), QStringLiteral("SetS_02"));
    for (int k : {1, 3, 4, 5})
        EXPECT_EQ(picture(QStringLiteral("Img_Switch_%1").arg(k)), QStringLiteral("SetS_01")) << k;
    EXPECT_TRUE(m_window->roller().running());
    emit gameMode->left();
    EXPECT_EQ(picture("Img_Switch_2"), QStringLiteral("SetS_01"));
    for (int k = 1; k <= 5; ++k)
        EXPECT_EQ(picture(QStringLiteral("Img_Adv_%1").arg(k)), QStringLiteral("SetS_03")) << k;
    EXPECT_FALSE(m_window->roller().running());
    EXPECT_EQ(gameMode->text(), QStringLiteral("Game Mode"));
}

TEST_F(ShellTest, HoveredMacroEntryRollsItsCaption) {
    auto* macro = find<CaptionLabel>("Btn_Macro_1");
    emit macro->entered();
    m_window->roller().tick();
    EXPECT_EQ(macro->text(), QStringLiteral("acro    M"));
    m_window->roller().tick();
    EXPECT_EQ(macro->text(), QStringLiteral("cro    Ma"));
    emit macro->left();
    EXPECT_EQ(macro->text(), QStringLiteral("Macro"));
    // The key page's buttons swap their own picture.
    emit find<CaptionLabel>("Key2")->entered();
    EXPECT_EQ(picture("Img_Key2"), QStringLiteral("KeyS_02"));
    EXPECT_EQ(picture("Img_Key1"), QStringLiteral("KeyS_01"));
    emit find<CaptionLabel>("Key2")->left();
    EXPECT_EQ(picture("Img_Key2"), QStringLiteral("KeyS_01"));
    // The web button swaps every copy but does not roll.
    emit find<CaptionLabel>("Btn_Web_2")->entered();
    EXPECT_EQ(picture("Img_Web_5"), QStringLiteral("WebS_03"));
    EXPECT_FALSE(m_window->roller().running());
    emit find<CaptionLabel>("Btn_Web_2")->left();
    EXPECT_EQ(picture("Img_Web_5"), QStringLiteral("WebS_01"));
    // The reset buttons swap all five copies.
    emit find<CaptionLabel>("Btn_Reset_3")->entered();
    for (int k = 1; k <= 5; ++k)
        EXPECT_EQ(picture(QStringLiteral("Img_Reset_%1").arg(k)), QStringLiteral("BtnS_02")) << k;
    emit find<CaptionLabel>("Btn_Reset_3")->left();
    // The update page's buttons swap their picture and roll their caption.
    for (const char* name : {"Btn_LoadBIN", "Btn_Program"}) {
        auto* button = find<CaptionLabel>(QLatin1String(name));
        const QString caption = button->text();
        ASSERT_GT(caption.size(), 1) << name;
        emit button->entered();
        EXPECT_EQ(picture(QStringLiteral("Img_%1").arg(QLatin1String(name + 4))), QStringLiteral("KeyS_02"));
        m_window->roller().tick();
        EXPECT_NE(button->text(), caption) << name;
        emit button->left();
        EXPECT_EQ(button->text(), caption) << name;
    }
}

TEST_F(ShellTest, MenusCarryEveryCatalogueEntryHidden) {
    for (const char* panel :
         {"Pnl_Main", "Pnl_MseKey", "Pnl_Special", "Pnl_Media", "Pnl_WWW", "Pnl_MyPC", "Pnl_CPIKey",
          "Pnl_FireKey", "Pnl_ACPI", "Pnl_Profile", "Pnl_AdjustXY", "LB_Name"})
        EXPECT_TRUE(find(QLatin1String(panel))->isHidden()) << panel;
    EXPECT_EQ(find<QLabel>("Key_Standard")->text(), QStringLiteral(" * Standard Mouse Key"));
    EXPECT_EQ(find<QLabel>("Key_Profile2")->parentWidget()->objectName(), QStringLiteral("Pnl_Profile"));
    EXPECT_EQ(find<QLabel>("Key_KeyOff")->parentWidget()->objectName(), QStringLiteral("Pnl_Special"));
    // Key Off is the tenth entry of the special functions, the last one Office Mode shows.
    EXPECT_EQ(find<QLabel>("Key_KeyOff")->y(), 1 + 9 * 24);
}

TEST_F(ShellTest, MenuPanelsShowTheLayoutColoursAndTextSize) {
    const auto& state = m_window->state();
    const auto expectLook = [&](const char* panelName, const char* entryName) {
        QWidget* panel = find(QLatin1String(panelName));
        panel->show();
        auto* entry = find<QLabel>(QLatin1String(entryName));
        entry->ensurePolished();
        EXPECT_EQ(entry->palette().color(QPalette::WindowText), state.layoutColor("Color_G")) << entryName;
        EXPECT_EQ(entry->font().pointSize(), state.layoutInt("Size_G", 9)) << entryName;
        EXPECT_EQ(panel->palette().color(QPalette::Window), state.layoutColor("Color_G_Back")) << panelName;
        panel->hide();
    };
    m_window->show();
    expectLook("Pnl_Main", "Key_Standard");
    // A panel first opened after a language switch takes that language's layout.
    m_window->switchLanguage(3);
    expectLook("Pnl_Media", "Key_PlayPause");
    expectLook("Pnl_Main", "Key_Standard");
}

TEST_F(ShellTest, DpiButtonOnTheMouseMovesTheCurrentDpiMarker) {
    const core::DpiState& dpi = m_window->state().settings.dpi;
    startAndRead();
    click("Btn_Adv_1");
    const int before = dpi.currentIndex;
    ASSERT_EQ(mouse().currentDpi(), before);
    mouse().pressButton(emulator::VirtualMouse::kDpiUp);
    mouse().releaseButtons();
    const int after = mouse().currentDpi();
    ASSERT_NE(after, before);
    ASSERT_TRUE(waitFor([&] { return dpi.currentIndex == after; }));
    EXPECT_EQ(picture(QStringLiteral("Img_DPI%1").arg(after + 1)), QStringLiteral("CbS_E"));
    EXPECT_EQ(picture(QStringLiteral("Img_DPI%1").arg(before + 1)), QStringLiteral("CbS_D"));
    EXPECT_TRUE(find<QRadioButton>(QStringLiteral("rb_DPI%1").arg(after + 1))->isChecked());

    // A value no level has (a failed read gives 0xFF) leaves the marker where it is.
    for (const core::Byte odd : {core::Byte{0xFF}, core::Byte{8}}) {
        const std::array<core::Byte, 1> value{odd};
        mouse().writeMemory(core::image::kCurrentDpi, value);
        m_window->refreshCurrentDpiStatus();
        EXPECT_EQ(dpi.currentIndex, after) << int(odd);
        EXPECT_EQ(picture(QStringLiteral("Img_DPI%1").arg(after + 1)), QStringLiteral("CbS_E")) << int(odd);
    }
}

TEST_F(ShellTest, MacroListsShowWhatWasReadAndTheMouseMacrosGoWithTheMouse) {
    auto* fireNames = find<QListWidget>("LB_FireMacroName");
    auto* deviceNames = find<QListWidget>("LB_MacroName");
    startAndRead();
    ASSERT_EQ(fireNames->count(), 10);
    for (int n = 1; n <= 10; ++n)
        EXPECT_EQ(fireNames->item(n - 1)->text(), QStringLiteral("Macro%1").arg(n));
    // The mouse comes without macros: one is added as the macro page would.
    core::MacroLibrary library;
    ASSERT_EQ(library.addNew("Alpha"), core::MacroLibrary::Result::Done);
    ASSERT_EQ(m_window->cycle().deviceMacroTable().add(library.slot(0).name, library.slot(0).body),
              core::DeviceMacroTable::Result::Done);
    m_window->redrawDeviceMacros();
    const std::vector<std::string> names = m_window->cycle().deviceMacroTable().names();
    ASSERT_EQ(names, std::vector<std::string>{"Alpha"});
    ASSERT_EQ(deviceNames->count(), static_cast<int>(names.size()));
    for (int row = 0; row < deviceNames->count(); ++row)
        EXPECT_EQ(deviceNames->item(row)->text().toStdString(), names[row]);
    find<QListWidget>("LB_macro")->addItem(QStringLiteral("event"));

    mouse().unplug();
    ASSERT_TRUE(waitFor([&] { return m_window->coversShown(); }));
    EXPECT_EQ(deviceNames->count(), 0);
    EXPECT_EQ(find<QListWidget>("LB_macro")->count(), 0);
    EXPECT_EQ(find<QListWidget>("LB_Name")->count(), 0);
}

TEST_F(ShellTest, NoDeviceForgetsTheReportRate) {
    const core::DpiState& dpi = m_window->state().settings.dpi;
    startAndRead();
    EXPECT_NE(dpi.knownReportRate, 0);
    mouse().unplug();
    ASSERT_TRUE(waitFor([&] { return m_window->coversShown(); }));
    EXPECT_EQ(dpi.knownReportRate, 0);
    EXPECT_FALSE(dpi.rateResetPending);
}

TEST_F(ShellTest, ClosingTheMenusClosesTheMacroAndFirePagePanels) {
    const char* panels[] = {"Pnl_PCMacro",      "Pnl_DevMacro",       "Pnl_DevContent",
                            "Pnl_DevFireMacro", "Pnl_DevFireContent", "Pnl_Main"};
    for (const char* panel : panels)
        find(QLatin1String(panel))->show();
    m_window->hideAllMenu();
    for (const char* panel : panels)
        EXPECT_TRUE(find(QLatin1String(panel))->isHidden()) << panel;
}

TEST_F(ShellTest, MacroPageOpensWithItsDelayBox) {
    startAndRead();
    // A language switch hides the delay box; opening the page brings it back.
    m_window->switchLanguage(2);
    m_window->switchLanguage(1);
    click("Btn_Macro_1");
    ASSERT_TRUE(find("gbPage4")->isVisible());
    EXPECT_TRUE(find("Gb_Delay")->isVisible());
    EXPECT_FALSE(find("Gb_Insert")->isVisible());
    for (const char* control : {"IB_RecDelay", "IB_DelayTime", "IB_NoDelay", "Edt_Delay", "LED_RecDelay"})
        EXPECT_TRUE(find(QLatin1String(control))->isVisible()) << control;
    EXPECT_EQ(find<QLabel>("IB_RecDelay")->text().trimmed(), m_window->state().text("Str414"));
}

// The insert box in the window's own font: every caption of every insert choice fits its control in
// each language, and the texts of OK and Cancel are painted inside their buttons' pictures.
TEST_F(ShellTest, InsertBoxCaptionsFitTheirControlsInEveryLanguage) {
    using namespace gui::testing;
    startAndRead();
    click("Btn_Macro_1");
    // A library macro with one event, chosen, and the insert box opened from its event's menu.
    const core::MacroText lines = {"00", "1 A CODE:8204"};
    std::vector<core::Byte> bytes(core::kLibraryRecordSize, 0);
    const core::MacroNameField name = core::nameToField("m");
    std::copy(name.begin(), name.end(), bytes.begin());
    const auto body = core::encodeMacro(lines);
    std::copy(body.begin(), body.end(), bytes.begin() + 16);
    m_window->state().macroLibrary = core::MacroLibrary::fromBytes(bytes);
    m_window->refreshPcMacroNames();
    auto* names = find<QListWidget>("LB_PCMacroName");
    QTest::mouseClick(names->viewport(), Qt::LeftButton, {}, names->visualItemRect(names->item(0)).center());
    auto* events = find<QListWidget>("LB_macro");
    ASSERT_EQ(events->count(), 1);
    const QPoint row = events->visualItemRect(events->item(0)).center();
    QTest::mousePress(events->viewport(), Qt::RightButton, {}, row);
    QTest::mouseRelease(events->viewport(), Qt::RightButton, {}, row);
    click("Btn_Insert");
    ASSERT_TRUE(find("Gb_Insert")->isVisible());

    QWidget* box = find("Gb_Insert");
    auto* choice = find<QComboBox>("CB_Insert");
    for (int language = 1; language <= 3; ++language) {
        m_window->switchLanguage(language);
        ASSERT_TRUE(box->isVisible()) << language;
        for (int item = 0; item < choice->count(); ++item) {
            choice->setCurrentIndex(item);
            SCOPED_TRACE(testing::Message() << "language " << language << ", choice " << item);
            // The choice itself, beside the box's drop-down arrow.
            const int arrow = choice->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
            EXPECT_LE(choice->fontMetrics().horizontalAdvance(choice->currentText()),
                      choice->width() - arrow - 4);
            for (QLabel* label : box->findChildren<QLabel*>()) {
                if (!label->isVisibleTo(box) || label->text().isEmpty())
                    continue;
                const int needed = label->fontMetrics().horizontalAdvance(label->text()) +
                                   std::max(label->indent(), 0) + 2 * label->margin();
                EXPECT_LE(needed, label->width())
                    << label->objectName().toStdString() << " \"" << label->text().toStdString() << "\"";
            }
        }
        // What is painted: the columns the caption's text changes lie inside its button's picture.
        for (const char* button : {"Btn_OK", "Btn_Cancel"}) {
            auto* caption = find<QLabel>(QLatin1String(button));
            QWidget* picture = find(QStringLiteral("Img_") + QLatin1String(button).mid(4));
            const QImage withText = windowPixels(m_window.get());
            const QString text = caption->text();
            caption->setText(QString());
            const QImage without = windowPixels(m_window.get());
            caption->setText(text);
            const QRect frame = rectInWindow(picture);
            const QList<int> columns = changedColumns(
                without, withText, QRect(frame.left() - 20, frame.top(), frame.width() + 40, frame.height()));
            ASSERT_FALSE(columns.isEmpty()) << button;
            // A margin inside the frame's line on each side.
            EXPECT_GE(columns.front(), frame.left() + 3) << button;
            EXPECT_LE(columns.back(), frame.right() - 3) << button;
        }
        // OK and Cancel stand apart as two buttons, not as one bar.
        EXPECT_GE(rectInWindow(find("Img_Cancel")).left() - rectInWindow(find("Img_OK")).right() - 1, 6);
    }
}

// A desktop with the pointer speed alone.
class SpeedOnlyDesktop final : public platform::PointerSettings {
public:
    bool supports(platform::PointerSetting setting) const override {
        return setting == platform::PointerSetting::Speed;
    }
    platform::PointerValues read() const override { return {.speed = 10}; }
    bool write(const platform::PointerValues&) override { return true; }
};

// Pointer controls the desktop lacks are drawn as disabled controls are, in grey (not in a tint that
// reads as an error), and the page says in words why they do nothing.
TEST_F(ShellTest, PointerControlsTheDesktopLacksAreGreyAndSayWhy) {
    using namespace gui::testing;
    startAndRead();
    click("Btn_Adv_1");
    auto* page = find<gui::AdvancedPage>("gbPage2");
    SpeedOnlyDesktop desktop;
    page->setPointerSettings(&desktop);
    page->readPointerSettings();
    const QImage shown = windowPixels(m_window.get());
    // Pixels whose red stands out: the tint a disabled picture took from the window's key colour.
    const auto reddish = [&](const QRect& area) {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor c = shown.pixelColor(x, y);
                count += c.red() - std::max(c.green(), c.blue()) > 30;
            }
        return count;
    };
    for (int k = 1; k <= 11; ++k)
        for (const char* bar : {"DbSpd", "ScrSpd"}) {
            const QString name = QStringLiteral("Img_%1%2").arg(QLatin1String(bar)).arg(k);
            EXPECT_EQ(reddish(rectInWindow(find(name))), 0) << name.toStdString();
        }
    for (const char* name : {"Img_IsControl", "Img_IsScreen"})
        EXPECT_EQ(reddish(rectInWindow(find(QLatin1String(name)))), 0) << name;
    // An offered bar keeps its colours.
    EXPECT_GT(pixelsUnlike(shown, rectInWindow(find("Img_Spd10")), QColor(0x72, 0x72, 0x72), 40), 0);

    // The reason, in words under each greyed control, whole and covering no other control.
    const std::pair<const char*, bool> notes[] = {{"lbl_SpdMissing", false},
                                                  {"lbl_DbSpdMissing", true},
                                                  {"lbl_ScrSpdMissing", true},
                                                  {"lbl_IsControlMissing", true},
                                                  {"lbl_IsScreenMissing", true}};
    for (const auto& [name, shownNote] : notes) {
        SCOPED_TRACE(name);
        auto* note = find<QLabel>(QLatin1String(name));
        ASSERT_EQ(note->isVisible(), shownNote);
        if (!shownNote)
            continue;
        EXPECT_EQ(note->text(), find<gui::AdvancedPage>("gbPage2")->missingSettingTip());
        EXPECT_LE(note->fontMetrics().horizontalAdvance(note->text()), note->width());
        const QRect placed = rectInWindow(note);
        EXPECT_GT(pixelsUnlike(shown, placed, shown.pixelColor(placed.topLeft()), 30), 20)
            << "no words painted";
        for (QWidget* other : page->findChildren<QWidget*>()) {
            // A picture behind the whole note is its background.
            if (other == note || !other->isVisible() || rectInWindow(other).contains(placed))
                continue;
            EXPECT_FALSE(rectInWindow(other).intersects(placed)) << other->objectName().toStdString();
        }
    }
}

TEST_F(ShellTest, NavigationCaptionsShowWholeInEveryLanguage) {
    for (int language = 1; language <= 3; ++language) {
        m_window->switchLanguage(language);
        for (const gui::NavigationEntry& entry : gui::NavigationBar::entries()) {
            const QLabel* label = m_window->bar(1).label(QLatin1String(entry.entry));
            if (label->text().isEmpty())
                continue;
            EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width())
                << language << " " << entry.entry << " " << label->text().toStdString();
        }
    }
}

TEST_F(ShellTest, NumberEditsReadFromTheRightAndFireKeyEditsLookLive) {
    const QColor live = m_window->state().layoutColor("Color_D_Selected");
    for (const char* name : {"Edt_Repeat1", "Edt_DelayTime3", "Edt_Delay", "Edt_InsertDelay", "edt_Repeat",
                             "edt_YAxisValue", "Edt_FireCnt2", "Edt_FireX3", "Edt_FireY1Offset",
                             "Edt_FireTime3", "edt_FireRepeat", "Edt_InsertFireDelay"})
        EXPECT_TRUE(find<QLineEdit>(QLatin1String(name))->alignment() & Qt::AlignRight) << name;
    for (int k = 1; k <= 3; ++k)
        for (const QString& name :
             {QStringLiteral("Edt_Repeat%1").arg(k), QStringLiteral("Edt_DelayTime%1").arg(k)}) {
            auto* edit = find<QLineEdit>(name);
            EXPECT_TRUE(edit->isEnabled()) << name.toStdString();
            EXPECT_EQ(edit->palette().color(QPalette::Text), live) << name.toStdString();
            // Drawn on the page's edit background, not the white of a plain edit.
            const QImage drawn = edit->grab().toImage();
            EXPECT_EQ(QColor(drawn.pixel(drawn.width() - 4, drawn.height() / 2)),
                      m_window->state().layoutColor("Color_D_Back"))
                << name.toStdString();
        }
}

TEST_F(ShellTest, SavesTheMouseToAProfileFileAndLoadsItBack) {
    startAndRead();
    m_answers.nextFileNames.push_back(m_folder.filePath(QStringLiteral("mouse")));
    click("Btn_Save_1");
    QFile saved(m_folder.filePath(QStringLiteral("mouse.bin")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    saved.close();
    ASSERT_EQ(bytes.size(), 2048);
    for (int i = 380; i <= 483; ++i)
        ASSERT_EQ(static_cast<core::Byte>(bytes[i]), 0xFF) << i;
    EXPECT_EQ(static_cast<core::Byte>(bytes[495]), 0xE0);
    const std::vector<core::Byte> profiles = mouse().readMemory(192, 147);
    EXPECT_TRUE(std::equal(profiles.begin(), profiles.end(), bytes.begin() + 192,
                           [](core::Byte a, char b) { return a == static_cast<core::Byte>(b); }));
    EXPECT_TRUE(m_answers.messages.isEmpty());

    // The mouse changes; loading the file puts the saved profiles back and reads the mouse again.
    const std::array<core::Byte, 1> changed{static_cast<core::Byte>(profiles[8] ^ 0x01)};
    mouse().writeMemory(200, changed);
    const int resets = mouse().resetCount();
    m_answers.nextFileNames.push_back(saved.fileName());
    click("Btn_Load_1");
    ASSERT_TRUE(waitFor([&] { return mouse().resetCount() > resets; }));
    ASSERT_TRUE(waitFor([&] { return m_window->deviceConnected() && !m_window->coversShown(); }));
    EXPECT_EQ(mouse().readMemory(192, 147), profiles);
    EXPECT_TRUE(m_answers.messages.isEmpty());

    // A file for the other kind of mouse is refused before anything is sent.
    QByteArray flash = bytes;
    flash[495] = static_cast<char>(0xF0);
    QFile other(m_folder.filePath(QStringLiteral("flash.bin")));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write(flash);
    other.close();
    const qsizetype from = lineCount(m_transcript);
    m_answers.nextFileNames.push_back(other.fileName());
    click("Btn_Load_1");
    ASSERT_EQ(m_answers.messages.size(), 1);
    EXPECT_TRUE(m_answers.messages[0].startsWith(QStringLiteral("Loading .bin is error!")));
    EXPECT_TRUE(settingWrites(m_transcript, from).empty());
}

TEST_F(ShellTest, ProfileButtonsWithoutAMouseOrWithACancelledDialogDoNothing) {
    click("Btn_Save_1");
    click("Btn_Load_1");
    EXPECT_EQ(m_answers.messages, QStringList(2, QStringLiteral("Is finding the specified device")));
    startAndRead();
    m_answers.messages.clear();
    const qsizetype from = lineCount(m_transcript);
    click("Btn_Save_1"); // no file name queued: the dialog is cancelled
    click("Btn_Load_1");
    EXPECT_TRUE(m_answers.messages.isEmpty());
    EXPECT_EQ(lineCount(m_transcript), from);
    EXPECT_TRUE(QDir(m_folder.path()).entryList({QStringLiteral("*.bin")}).isEmpty());
}

TEST_F(ShellTest, AFlashMouseIsReadSavedToAFileAndLoadedBack) {
    makeWindow(core::StorageKind::Flash, core::StorageKind::Flash);
    startAndRead();
    const auto sector = core::memmap::flash::kSector;
    const std::vector<core::Byte> profiles = mouse().readMemory(
        static_cast<std::uint16_t>(sector.address + core::memmap::flash::kSectorProfiles), 147);
    EXPECT_EQ(m_window->state().buffers.storageKind, core::StorageKind::Flash);

    m_answers.nextFileNames.push_back(m_folder.filePath(QStringLiteral("flash")));
    click("Btn_Save_1");
    QFile saved(m_folder.filePath(QStringLiteral("flash.bin")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const qint64 size = saved.size();
    saved.close();
    EXPECT_TRUE(size == 10760 || size == 9712) << size;
    EXPECT_TRUE(m_answers.messages.isEmpty()) << m_answers.messages.join(QLatin1Char('|')).toStdString();

    // The mouse's profiles change; the file puts them back.
    const std::array<core::Byte, 1> changed{static_cast<core::Byte>(profiles[8] ^ 0x01)};
    mouse().writeMemory(static_cast<std::uint16_t>(sector.address + core::memmap::flash::kSectorProfiles + 8),
                        changed);
    const int resets = mouse().resetCount();
    m_answers.nextFileNames.push_back(saved.fileName());
    click("Btn_Load_1");
    ASSERT_TRUE(waitFor([&] { return mouse().resetCount() > resets; }));
    ASSERT_TRUE(waitFor([&] { return m_window->deviceConnected() && !m_window->coversShown(); }));
    EXPECT_EQ(mouse().readMemory(
                  static_cast<std::uint16_t>(sector.address + core::memmap::flash::kSectorProfiles), 147),
              profiles);
    EXPECT_TRUE(m_answers.messages.isEmpty()) << m_answers.messages.join(QLatin1Char('|')).toStdString();
}

// A mouse the program refuses, after one it read: nothing it holds was read, so nothing may be
// saved from it or written to it.
TEST_F(ShellTest, ARefusedMouseGetsNothingFromSaveLoadOrDefaultSetting) {
    struct Case {
        const char* name;
        const char* message;
        std::function<void(emulator::VirtualMouse&)> refuse;
    };
    const Case cases[] = {
        {"other storage kind", "TarvikData.bin file type error",
         [](emulator::VirtualMouse& m) {
             emulator::Faults faults;
             faults.probeReply = std::array<core::Byte, 2>{0x3A, 0x80}; // a "Flash" mouse
             m.setFaults(faults);
         }},
        {"other identity", "The mouse manufacturer or product id error",
         [](emulator::VirtualMouse& m) { m.setIdentity(0x12, 0x34); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        makeWindow(core::StorageKind::I2C);
        startAndRead();
        // A profile file of the mouse as it was read, to offer to the refused one.
        m_answers.nextFileNames.push_back(m_folder.filePath(QStringLiteral("before")));
        click("Btn_Save_1");
        ASSERT_TRUE(QFile::exists(m_folder.filePath(QStringLiteral("before.bin"))));

        mouse().unplug();
        ASSERT_TRUE(waitFor([&] { return !m_window->deviceConnected(); }));
        c.refuse(mouse());
        m_answers.messages.clear();
        mouse().plug();
        ASSERT_TRUE(waitFor([&] { return m_answers.messages.contains(QLatin1String(c.message)); }))
            << m_answers.messages.join(QLatin1Char('|')).toStdString();
        QTest::qWait(50);
        const std::vector<core::Byte> memory = mouse().readMemory(0, 2048);
        const qsizetype from = lineCount(m_transcript);
        m_answers.messages.clear();
        m_answers.nextFileNames.push_back(m_folder.filePath(QStringLiteral("refused")));
        click("Btn_Save_1");
        m_answers.nextFileNames.push_back(m_folder.filePath(QStringLiteral("before.bin")));
        click("Btn_Load_1");
        click("Btn_Confirm1_1");
        click("Btn_Reset_1");
        QTest::qWait(50);
        EXPECT_FALSE(QFile::exists(m_folder.filePath(QStringLiteral("refused.bin"))));
        for (const QString& line : gui::testing::transcriptLines(m_transcript, from))
            EXPECT_FALSE(line.startsWith("SET 40 07") || line.startsWith("SET 40 08") ||
                         line.startsWith("SET 40 05") || line.startsWith("SET 40 0E"))
                << line.toStdString();
        EXPECT_EQ(mouse().readMemory(0, 2048), memory);
        EXPECT_EQ(m_answers.messages, QStringList(4, QStringLiteral("Is finding the specified device")));
        EXPECT_EQ(m_answers.nextFileNames.size(), 2u) << "a file dialog was opened";
        m_answers.nextFileNames.clear();
    }
}

// A mouse refused for its identity bytes is offered default settings with a question: "no" leaves
// it untouched and refused, "yes" rewrites them and the mouse is read as any other.
TEST_F(ShellTest, AMouseRefusedForItsIdentityIsRepairedWithDefaultSettingsOnlyWhenTheUserSaysYes) {
    startAndRead();
    const std::vector<core::Byte> good = mouse().readMemory(484, 2);
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "yes" : "no");
        mouse().unplug();
        ASSERT_TRUE(waitFor([&] { return !m_window->deviceConnected(); }));
        mouse().setIdentity(0x12, 0x34);
        m_answers.messages.clear();
        m_answers.nextConfirmations = {yes};
        const int resets = mouse().resetCount();
        mouse().plug();
        ASSERT_TRUE(waitFor([&] { return m_answers.nextConfirmations.empty(); }))
            << m_answers.messages.join(QLatin1Char('|')).toStdString();
        ASSERT_EQ(m_answers.messages.size(), 2);
        EXPECT_EQ(m_answers.messages[0], QStringLiteral("The mouse manufacturer or product id error"));
        // The question names the default setting by the words of its button.
        EXPECT_THAT(m_answers.messages[1].toStdString(),
                    ::testing::HasSubstr(m_window->state().text("Str001").toStdString()));
        if (!yes) {
            QTest::qWait(100);
            EXPECT_EQ(mouse().resetCount(), resets);
            EXPECT_EQ(mouse().readMemory(484, 2), (std::vector<core::Byte>{0x12, 0x34}));
            EXPECT_FALSE(m_window->cycle().configurationRead());
            continue;
        }
        ASSERT_TRUE(waitFor([&] { return mouse().resetCount() > resets; }));
        ASSERT_TRUE(waitFor([&] { return m_window->cycle().configurationRead() && !m_window->coversShown(); },
                            20000));
        EXPECT_EQ(mouse().readMemory(484, 2), good);
        EXPECT_EQ(m_window->session().discovery().state(), core::LinkState::Ready);
    }
}

TEST_F(ShellTest, AReadCutShortOrAnUnansweredIdentityEndsInTheNoDeviceStateAndTheMouseIsFoundAgain) {
    struct Case {
        const char* name;
        emulator::Faults faults;
    };
    emulator::Faults unplugInRead;
    unplugInRead.unplugAtReport = 60; // inside the stored regions of the full read
    emulator::Faults noIdentity;
    noIdentity.failFetches = true;
    for (const Case& c :
         {Case{"unplugged during the full read", unplugInRead}, Case{"identity fetch fails", noIdentity}}) {
        SCOPED_TRACE(c.name);
        makeWindow(core::StorageKind::I2C);
        mouse().setFaults(c.faults);
        m_window->show();
        m_window->start();
        ASSERT_TRUE(waitFor(
            [&] { return !mouse().present() || m_window->session().discovery().failedAttempts() > 0; }));
        // Nothing partial is drawn or taken: the covers stay up, no configuration counts as read.
        ASSERT_TRUE(waitFor([&] { return !m_window->busy(); }));
        EXPECT_TRUE(m_window->coversShown());
        EXPECT_FALSE(m_window->cycle().configurationRead());
        EXPECT_TRUE(find<QRadioButton>("rb_1")->isChecked());
        // The mouse back and answering: it is found and read without a replug by hand.
        mouse().setFaults({});
        if (!mouse().present())
            mouse().plug();
        ASSERT_TRUE(
            waitFor([&] { return m_window->cycle().configurationRead() && !m_window->coversShown(); }, 20000))
            << "the mouse was not found again";
    }
}

TEST_F(ShellTest, ThirdModeThroughItsEntryGoesToTheMouse) {
    startAndRead();
    // The built-in layouts leave the entry out; a layout that offers it shows these two.
    find("Img_Fixed_1")->show();
    find("Btn_Fixed_1")->show();
    const qsizetype from = lineCount(m_transcript);
    click("Btn_Fixed_1");
    const auto writes = settingWrites(m_transcript, from);
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.back(), std::pair(164, 0x02));
    EXPECT_EQ(mouse().liveSettings()[164], 0x02);
    EXPECT_EQ(mouse().currentProfile(), 0x02);
    EXPECT_TRUE(find<QRadioButton>("rb_3")->isChecked());
}

TEST_F(ShellTest, SaveWritesNoFileWhenTheMouseLeavesDuringItsReRead) {
    startAndRead();
    emulator::Faults faults;
    faults.unplugAtReport = mouse().reportCount() + 40;
    mouse().setFaults(faults);
    m_answers.nextFileNames.push_back(m_folder.filePath(QStringLiteral("gone")));
    click("Btn_Save_1");
    EXPECT_FALSE(QFile::exists(m_folder.filePath(QStringLiteral("gone.bin"))));
    EXPECT_EQ(m_answers.messages,
              QStringList{
                  QStringLiteral("The mouse could not be read completely, so no profile file was written")});
}

TEST_F(ShellTest, SaveAsksBeforeReplacingAFileTheDialogDidNotName) {
    startAndRead();
    QFile existing(m_folder.filePath(QStringLiteral("mine.bin")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("keep");
    existing.close();
    m_answers.nextFileNames.push_back(m_folder.filePath(QStringLiteral("mine")));
    m_answers.nextConfirmations.push_back(false);
    click("Btn_Save_1");
    ASSERT_EQ(m_answers.messages.size(), 1);
    EXPECT_TRUE(m_answers.messages[0].contains(QStringLiteral("mine.bin")));
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll(), QByteArray("keep"));
    existing.close();

    m_answers.nextFileNames.push_back(m_folder.filePath(QStringLiteral("mine")));
    m_answers.nextConfirmations.push_back(true);
    click("Btn_Save_1");
    EXPECT_EQ(QFileInfo(existing.fileName()).size(), 2048);
}

TEST_F(ShellTest, LoadRefusesAFifoAndADeviceAtOnce) {
    startAndRead();
    const QString fifo = m_folder.filePath(QStringLiteral("fifo.bin"));
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const qsizetype from = lineCount(m_transcript);
    for (const QString& path : {fifo, QStringLiteral("/dev/zero")}) {
        m_answers.messages.clear();
        m_answers.nextFileNames.push_back(path);
        click("Btn_Load_1"); // returns: a hang here is the fault
        EXPECT_EQ(m_answers.messages.size(), 1) << path.toStdString();
    }
    EXPECT_TRUE(settingWrites(m_transcript, from).empty());
}

TEST_F(ShellTest, SwitchingTheWorkModeDrawsTheContinuousMarkersOfItsFireKeys) {
    startAndRead();
    // Game Mode carries fire key 2 as a continuous key; the mode shown now does not.
    auto& image = m_window->state().buffers.workingImage;
    image.setFireKey(2, {5, 60});
    image.setKeyCode(2, 4, {0x06, 0x94, 0x00, 0x3C});
    auto& fireKey = m_window->state().settings.fireKeys[1];
    fireKey.count = 5;
    fireKey.delay = 60;
    fireKey.continuous = false;
    const QString off = picture("Img_Fire2Continue");

    click("Btn_Switch_1");
    EXPECT_TRUE(m_window->state().settings.fireKeys[1].continuous);
    EXPECT_NE(picture("Img_Fire2Continue"), off);
}
// Screenshot mode shows libraries of its own: the user's library is neither opened nor created.
TEST_F(ShellTest, ScreenshotModeLeavesTheUsersLibraryAlone) {
    const std::filesystem::path user =
        std::filesystem::path(
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString()) /
        "tarvik-config" / "Tarvik-Macro.bin";
    std::error_code ec;
    std::filesystem::remove(user, ec);
    QTemporaryDir shots;
    makeWindow(core::StorageKind::I2C, core::StorageKind::None, shots.path());
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(user, ec)));
    EXPECT_TRUE(m_window->macroLibraryPath().startsWith(shots.path()));
    // Without it, the library is made in the program's own data folder.
    makeWindow(core::StorageKind::I2C);
    EXPECT_EQ(m_window->macroLibraryPath().toStdString(), user.string());
    EXPECT_TRUE(std::filesystem::exists(user));
}

} // namespace
