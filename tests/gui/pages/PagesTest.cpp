// The settings pages built over default image 1 with the built-in layout and language 1, offscreen.

#include "core/cycle/ConfigCycle.h"
#include "core/cycle/CycleUi.h"
#include "core/device/Clock.h"
#include "core/device/DeviceLink.h"
#include "core/device/LinkUi.h"
#include "core/image/DefaultImages.h"
#include "core/macros/DeviceMacroTable.h"
#include "core/macros/MacroLibrary.h"
#include "core/macros/MacroName.h"
#include "core/text/LanguageTables.h"
#include "emulator/EmulatorTransport.h"
#include "gui/fire/FirePage.h"
#include "gui/keys/KeysPage.h"
#include "gui/macros/MacroPage.h"
#include "gui/pages/AdvancedPage.h"
#include "gui/pages/LightingPage.h"
#include "gui/pages/UpdatePage.h"
#include "gui/skin/PageControls.h"
#include "support/PageBench.h"

#include <QTemporaryDir>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace tarvik;
using namespace tarvik::gui;
using tarvik::gui::pages::layoutPoint;

namespace {

core::ConfigBuffers defaultImage(int n) {
    core::DefaultImageBuffers defaults;
    core::loadDefaultImages(core::StorageKind::I2C, defaults);
    core::ConfigBuffers buffers;
    buffers.takeDefaultImage(defaults.at(n - 1), core::StorageKind::I2C);
    buffers.copyDataBufToWorkingImage();
    return buffers;
}

class PagesTest : public ::testing::Test, protected tarvik::gui::testing::PageBench {
protected:
    void SetUp() override {
        state.buffers = defaultImage(1);
        state.language = &core::LanguageTables::builtIn().table(1);
        state.layout = *core::LayoutConfig::loadBuiltIn("org1");
        window.resize(1030, 662);
    }

    template <typename P> P& make() { return makePage<P>(window); }
    void draw(Page& page) { drawPage(page); }

    template <typename W = QWidget> W* child(const QWidget& page, const QString& name) {
        W* found = page.findChild<W*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QString picture(const QWidget& page, const QString& name) {
        auto* control = child<PictureControl>(page, name);
        return control ? control->pictureName() : QString();
    }
    QString text(const QWidget& page, const QString& name) {
        if (auto* edit = page.findChild<QLineEdit*>(name))
            return edit->text();
        auto* label = child<QLabel>(page, name);
        return label ? label->text() : QString();
    }

    QWidget window;
};

// "Img_DPI<n>_<k>" for n in 1..levels, k in 1..steps, and the like: the names of a control family.
QStringList family(const QString& pattern, int from, int to) {
    QStringList names;
    for (int i = from; i <= to; ++i)
        names << pattern.arg(i);
    return names;
}

QStringList advancedNames() {
    QStringList names{"Img_P2",       "lbl_AIMDPI",   "lbl_AIMDPIValue", "lbl_IsControl", "Img_IsControl",
                      "cb_IsControl", "lbl_IsScreen", "Img_IsScreen",    "cb_IsScreen"};
    for (int n = 1; n <= 8; ++n) {
        names << family(
            QStringLiteral("Img_DPI%1_%2").arg(n).replace(QLatin1String("%2"), QLatin1String("%1")), 1, 12);
        for (const char* f :
             {"lbl_DPI%1", "lbl_DPI%1Value", "Img_DPI%1", "rb_DPI%1", "cs_DPI%1Col", "Img_DPI%1Col",
              "lbl_DPI%1Col", "edt_DPI%1ColR", "edt_DPI%1ColG", "edt_DPI%1ColB"})
            names << QString::fromLatin1(f).arg(n);
    }
    names << family("Img_AIMDPI_%1", 1, 12);
    for (const char* f : {"lbl_Rep%1", "Img_Rep%1", "rb_Rep%1"})
        names << family(f, 1, 4);
    for (const char* f :
         {"Edt_Repeat%1", "Edt_DelayTime%1", "Img_Fire%1Continue", "lbl_Fire%1Continue", "cb_Fire%1Continue"})
        names << family(f, 1, 3);
    for (const char* f :
         {"Img_Spd%1", "lbl_Spd%1", "Img_DbSpd%1", "lbl_DbSpd%1", "Img_ScrSpd%1", "lbl_ScrSpd%1"})
        names << family(f, 1, 11);
    return names;
}

QStringList lightingNames() {
    QStringList names{"Img_P3", "lbl_Off", "Img_Off", "rb_Off"};
    for (const char* f : {"lbl_LED%1", "Img_LED%1", "rb_LED%1"})
        names << family(f, 1, 5);
    for (const char* f : {"Img_Fall%1", "lbl_Fall%1", "cs_Col%1", "Img_Col%1", "lbl_Col%1", "Edt_Col%1R",
                          "Edt_Col%1G", "Edt_Col%1B"})
        names << family(f, 1, 10);
    return names;
}

QStringList macroNames() {
    return {"Img_P4",
            "LB_PCMacroName",
            "LB_MacroName",
            "LB_macro",
            "Btn_New",
            "Img_New",
            "Btn_Start",
            "Img_Start",
            "Gb_Delay",
            "IB_RecDelay",
            "IB_DelayTime",
            "IB_NoDelay",
            "LED_RecDelay",
            "LED_DelayTime",
            "LED_NoDelay",
            "rb_RecDelay",
            "rb_DelayTime",
            "rb_NoDelay",
            "Edt_Delay",
            "Gb_Insert",
            "Img_InsertBase",
            "CB_Insert",
            "lbl_Delay",
            "Edt_InsertDelay",
            "lbl_s_A",
            "IB_InsertRecDelay",
            "IB_InsertDelayTime",
            "IB_InsertNoDelay",
            "LED_InsertRecDelay",
            "LED_InsertDelayTime",
            "LED_InsertNoDelay",
            "rb_InsertRecDelay",
            "rb_InsertDelayTime",
            "rb_InsertNoDelay",
            "Btn_InsertStart",
            "Img_InsertStart",
            "lbl_XAxisValue",
            "edt_XAxisValue",
            "lbl_YAxisValue",
            "edt_YAxisValue",
            "lbl_Repeat",
            "edt_Repeat",
            "Btn_OK",
            "Img_OK",
            "Btn_Cancel",
            "Img_Cancel",
            "GB_Dis",
            "Pnl_PCMacro",
            "Btn_NewMacro",
            "Btn_NewName",
            "Btn_DelPCMacro",
            "Btn_ImportOne",
            "Btn_Import",
            "Btn_ExportOne",
            "Btn_Export",
            "Btn_AddMacro",
            "Pnl_DevMacro",
            "Btn_DelMacro",
            "Btn_DevExport",
            "Pnl_DevContent",
            "Btn_Edit",
            "Btn_Del",
            "Btn_Insert",
            "mmo_macro",
            "mmo_wrscript"};
}

QStringList updateNames() {
    return {"Img_P5",      "lbl_BINPath", "lbl_LoadBIN", "Btn_LoadBIN",
            "Img_LoadBIN", "Btn_Program", "Img_Program"};
}

QStringList fireNames() {
    QStringList names{"Img_P6",          "lbl_FireSelLeft", "Img_FireSelLeft",  "cb_FireSelLeft",
                      "Btn_FireConfirm", "Img_FireConfirm", "Btn_FireExit",     "Img_FireExit",
                      "Btn_FireStart",   "Img_FireStart",   "LB_FireMacroName", "LB_FireMacro",
                      "GB_FireDelay",    "Img_FireDelay"};
    for (const char* f : {"Btn_Fire%1", "Img_Fire%1", "rb_Fire%1"})
        names << family(f, 1, 7);
    names << family("Img_GunMode%1", 1, 5);
    for (const char* f :
         {"Edt_FireCnt%1", "Edt_FireX%1", "Edt_FireY%1", "Edt_FireX%1Offset", "Edt_FireY%1Offset",
          "Edt_FireTime%1", "IB_FireColor%1", "cs_FireColor%1", "Img_FireColor%1"})
        names << family(f, 1, 3);
    return names;
}

} // namespace

TEST_F(PagesTest, EveryNamedControlExistsOncePerPage) {
    const std::pair<QWidget*, QStringList> pages[] = {
        {&make<AdvancedPage>(), advancedNames()}, {&make<LightingPage>(), lightingNames()},
        {&make<MacroPage>(), macroNames()},       {&make<UpdatePage>(), updateNames()},
        {&make<FirePage>(), fireNames()},
    };
    const char* pageNames[] = {"gbPage2", "gbPage3", "gbPage4", "gbPage5", "gbPage6"};
    for (std::size_t i = 0; i < std::size(pages); ++i) {
        EXPECT_EQ(pages[i].first->objectName(), pageNames[i]);
        for (const QString& name : pages[i].second)
            EXPECT_EQ(pages[i].first->findChildren<QWidget*>(name).size(), 1)
                << pageNames[i] << " " << name.toStdString();
    }
}

TEST_F(PagesTest, AdvancedPageDrawsDefaultImage1) {
    AdvancedPage& page = make<AdvancedPage>();
    EXPECT_EQ(state.settings.dpi.enabledLevels, 4);
    // DpiLevels 85 B9 98 BA: 1200, 2400, 3200, 6400 (steps 6, 9, 10, 12).
    const std::pair<QString, int> levels[] = {{"1200", 6}, {"2400", 9}, {"3200", 10}, {"6400", 12}};
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(text(page, QStringLiteral("lbl_DPI%1Value").arg(n)), levels[n - 1].first) << n;
        for (int k = 1; k <= 12; ++k)
            EXPECT_EQ(picture(page, QStringLiteral("Img_DPI%1_%2").arg(n).arg(k)),
                      k == levels[n - 1].second ? "Bar2_E" : "Bar2_D")
                << n << "/" << k;
    }
    for (int n = 1; n <= 8; ++n) {
        EXPECT_EQ(child(page, QStringLiteral("Img_DPI%1_1").arg(n))->isEnabled(), n <= 4) << n;
        EXPECT_EQ(child(page, QStringLiteral("Img_DPI%1").arg(n))->isEnabled(), n <= 4) << n;
        EXPECT_EQ(child(page, QStringLiteral("lbl_DPI%1Col").arg(n))->isEnabled(), n <= 4) << n;
        EXPECT_EQ(child(page, QStringLiteral("lbl_DPI%1").arg(n))->palette().color(QPalette::WindowText),
                  state.layoutColor(n <= 4 ? "Color_D_Selected" : "Color_D_notSelected"))
            << n;
    }
    // 1000 Hz
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(picture(page, QStringLiteral("Img_Rep%1").arg(n)), n == 4 ? "RdS_E" : "RdS_D");
        EXPECT_EQ(child<QRadioButton>(page, QStringLiteral("rb_Rep%1").arg(n))->isChecked(), n == 4);
    }
    EXPECT_EQ(state.settings.dpi.knownReportRate, 1000);
    // Current level 1
    for (int n = 1; n <= 8; ++n)
        EXPECT_EQ(picture(page, QStringLiteral("Img_DPI%1").arg(n)), n == 1 ? "CbS_E" : "CbS_D");
    EXPECT_TRUE(child<QRadioButton>(page, "rb_DPI1")->isChecked());
    // Colours of the eight levels, swatch and hidden edits
    for (int n = 1; n <= 8; ++n) {
        const core::Rgb rgb = state.buffers.workingImage.dpiColor(n);
        EXPECT_FALSE(child(page, QStringLiteral("cs_DPI%1Col").arg(n))->isHidden());
        EXPECT_EQ(child<ColourSwatch>(page, QStringLiteral("cs_DPI%1Col").arg(n))->colour(),
                  QColor(rgb.red, rgb.green, rgb.blue));
        EXPECT_EQ(text(page, QStringLiteral("edt_DPI%1ColR").arg(n)), QString::number(rgb.red));
        EXPECT_EQ(text(page, QStringLiteral("edt_DPI%1ColB").arg(n)), QString::number(rgb.blue));
    }
    // Fire keys: count shown as stored + 1, interval big-endian
    const std::pair<QString, QString> fire[] = {{"3", "60"}, {"5", "60"}, {"8", "60"}};
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(text(page, QStringLiteral("Edt_Repeat%1").arg(k)), fire[k - 1].first);
        EXPECT_EQ(text(page, QStringLiteral("Edt_DelayTime%1").arg(k)), fire[k - 1].second);
    }
}

TEST_F(PagesTest, AdvancedPageKeepsWhatAnImageCannotSay) {
    AdvancedPage& page = make<AdvancedPage>();
    core::ConfigImage& image = state.buffers.workingImage;
    image.setByteAt(core::image::kDpiLevelCount, 0xFF); // a failed read: count kept
    image.setDpiLevel(2, std::nullopt);                 // 15: bar and text kept
    image.setCurrentDpi(0xFF);                          // no level current
    image.setLedMode(0x41);                             // "Sync": no per-level colours
    draw(page);

    EXPECT_EQ(state.settings.dpi.enabledLevels, 4);
    EXPECT_EQ(text(page, "lbl_DPI2Value"), "2400");
    EXPECT_EQ(picture(page, "Img_DPI2_9"), "Bar2_E");
    for (int n = 1; n <= 8; ++n) {
        EXPECT_EQ(picture(page, QStringLiteral("Img_DPI%1").arg(n)), "CbS_D");
        EXPECT_TRUE(child(page, QStringLiteral("cs_DPI%1Col").arg(n))->isHidden());
        EXPECT_TRUE(child(page, QStringLiteral("Img_DPI%1Col").arg(n))->isHidden());
        EXPECT_TRUE(child(page, QStringLiteral("lbl_DPI%1Col").arg(n))->isHidden());
    }
    EXPECT_TRUE(child<QRadioButton>(page, "rb_DPI1")->isChecked());

    image.setEnabledDpiLevels(2);
    draw(page);
    EXPECT_TRUE(child(page, "Img_DPI2_1")->isEnabled());
    EXPECT_FALSE(child(page, "Img_DPI3_1")->isEnabled());
}

TEST_F(PagesTest, FireKeyAndAimDisplaysFollowTheCodesOfTheWorkMode) {
    AdvancedPage& page = make<AdvancedPage>();
    core::ConfigImage& image = state.buffers.workingImage;
    const int mode = image.workMode().value();
    image.setKeyCode(mode, 2, {0x06, 0x94, 0x00, 0x3C}); // fire key 2 (5 shots, 60), continuous
    image.setKeyCode(mode, 3, {0x05, 0x06, 0x00, 0x00}); // AIM key, step 7
    draw(page);
    EXPECT_EQ(text(page, "Edt_Repeat2"), "5");
    EXPECT_EQ(picture(page, "Img_Fire2Continue"), "CbS_E");
    EXPECT_TRUE(child<QCheckBox>(page, "cb_Fire2Continue")->isChecked());
    EXPECT_EQ(picture(page, "Img_Fire1Continue"), "CbS_D");
    EXPECT_EQ(state.settings.dpi.aimStep, 7);
    EXPECT_EQ(text(page, "lbl_AIMDPIValue"), "1600");
    for (int k = 1; k <= 12; ++k)
        EXPECT_EQ(picture(page, QStringLiteral("Img_AIMDPI_%1").arg(k)), k == 7 ? "Bar2_E" : "Bar2_D");

    image.setKeyCode(mode, 2, {0x06, 0x14, 0x00, 0x3C});
    draw(page);
    EXPECT_EQ(picture(page, "Img_Fire2Continue"), "CbS_D");

    page.setAimStep(13); // no such step: nothing changes
    EXPECT_EQ(state.settings.dpi.aimStep, 7);
    page.setAimStep(1);
    EXPECT_EQ(state.settings.dpi.aimStep, 1);
    EXPECT_EQ(text(page, "lbl_AIMDPIValue"), "200");
}

TEST_F(PagesTest, ShippedLayoutKeepsDpiLevels5To8OutOfTheWindow) {
    AdvancedPage& page = make<AdvancedPage>();
    for (int n = 1; n <= 8; ++n) {
        const QStringList row{QStringLiteral("lbl_DPI%1").arg(n), QStringLiteral("Img_DPI%1").arg(n),
                              QStringLiteral("Img_DPI%1_1").arg(n), QStringLiteral("lbl_DPI%1Value").arg(n),
                              QStringLiteral("Img_DPI%1Col").arg(n)};
        for (const QString& name : row)
            EXPECT_EQ(child(page, name)->x() > 2500, n > 4) << name.toStdString();
    }
    // Orientation 1: cells side by side, one cell width apart.
    const QWidget* first = child(page, "Img_DPI1_1");
    EXPECT_EQ(child(page, "Img_DPI1_12")->pos(), first->pos() + QPoint(11 * first->width(), 0));
    // Colour stack: swatch and click target exactly over the frame.
    EXPECT_EQ(child(page, "cs_DPI1Col")->geometry(), child(page, "Img_DPI1Col")->geometry());
    EXPECT_EQ(child(page, "lbl_DPI1Col")->geometry(), child(page, "Img_DPI1Col")->geometry());
    // ... stacked swatch, frame, click target: the frame's window shows the colour, the label takes clicks.
    const QObjectList stack = page.children();
    EXPECT_LT(stack.indexOf(child(page, "cs_DPI1Col")), stack.indexOf(child(page, "Img_DPI1Col")));
    EXPECT_LT(stack.indexOf(child(page, "Img_DPI1Col")), stack.indexOf(child(page, "lbl_DPI1Col")));
    EXPECT_EQ(page.childAt(child(page, "Img_DPI1Col")->geometry().center()), child(page, "lbl_DPI1Col"));
}

TEST_F(PagesTest, AdvancedPageCurrentDpiFromTheMouseStaysWithinTheEnabledLevels) {
    auto& page = make<AdvancedPage>();
    core::DpiState& dpi = state.settings.dpi;
    ASSERT_EQ(dpi.enabledLevels, 4);
    ASSERT_TRUE(dpi.takeCurrentFromMouse(2));
    page.showCurrentDpi();
    EXPECT_EQ(picture(page, "Img_DPI3"), "CbS_E");
    EXPECT_EQ(picture(page, "Img_DPI1"), "CbS_D");
    EXPECT_TRUE(child<QRadioButton>(page, "rb_DPI3")->isChecked());
}

TEST_F(PagesTest, DpiOrientationRule) {
    const auto layoutWith = [](const char* orientation) {
        return core::LayoutConfig::parse(
            std::string("[org1]\nDPI_Orientation=") + orientation +
            "\nDPI1_Steps_X=40\nDPI1_Steps_Y=300\nAIMDPI_Steps_X=60\nAIMDPI_Steps_Y=500\n");
    };
    state.layout = layoutWith("0");
    AdvancedPage& page = make<AdvancedPage>();
    const int h = child(page, "Img_DPI1_1")->height();
    EXPECT_EQ(child(page, "Img_DPI1_1")->pos(), QPoint(40, 300));
    EXPECT_EQ(child(page, "Img_DPI1_12")->pos(), QPoint(40, 300 - 11 * h));
    EXPECT_EQ(child(page, "Img_AIMDPI_12")->pos(), QPoint(60, 500 - 11 * h));

    // Any other value leaves the cells where they are.
    state.layout = layoutWith("2");
    page.applyLayout();
    EXPECT_EQ(child(page, "Img_DPI1_12")->pos(), QPoint(40, 300 - 11 * h));
}

TEST_F(PagesTest, LightingPageDrawsDefaultImage1) {
    LightingPage& page = make<LightingPage>();
    EXPECT_EQ(state.settings.lighting.kind, core::LightingKind::RGB);
    EXPECT_EQ(state.settings.lighting.fallLevel, 2); // step time 10
    for (int k = 1; k <= 10; ++k)
        EXPECT_EQ(picture(page, QStringLiteral("Img_Fall%1").arg(k)), k == 2 ? "Bar1_E" : "Bar1_D");
    for (int m = 1; m <= 5; ++m) {
        EXPECT_FALSE(child(page, QStringLiteral("lbl_LED%1").arg(m))->isHidden());
        EXPECT_FALSE(child(page, QStringLiteral("Img_LED%1").arg(m))->isHidden());
    }
    const int effect = state.buffers.workingImage.lightingEffect();
    EXPECT_EQ(state.settings.lighting.mode, effect);
    EXPECT_EQ(picture(page, effect == 0 ? "Img_Off" : QStringLiteral("Img_LED%1").arg(effect)), "RdS_E");
    for (int c = 1; c <= 10; ++c) {
        const core::Rgb rgb = state.buffers.workingImage.ledColor(c);
        EXPECT_EQ(child<ColourSwatch>(page, QStringLiteral("cs_Col%1").arg(c))->colour(),
                  QColor(rgb.red, rgb.green, rgb.blue));
        EXPECT_EQ(text(page, QStringLiteral("Edt_Col%1G").arg(c)), QString::number(rgb.green));
    }
}

TEST_F(PagesTest, LightingVariantsFollowTheKind) {
    LightingPage& page = make<LightingPage>();
    struct Case {
        core::Byte ledMode;
        core::LightingKind kind;
        std::array<bool, 6> shown; // off, 1..5
        int selected;              // -1: an effect the kind lacks changes nothing
        bool colours;
    };
    const Case cases[] = {
        {0x41, core::LightingKind::Sync, {true, true, true, false, false, false}, 1, false},
        {0x82, core::LightingKind::NT, {true, true, true, false, true, true}, 2, true},
        {0x83, core::LightingKind::NT, {true, true, true, false, true, true}, -1, true},
        {0x00, core::LightingKind::RGB, {true, true, true, true, true, true}, 0, true},
    };
    for (const Case& c : cases) {
        const int before = state.settings.lighting.mode;
        state.buffers.workingImage.setLedMode(c.ledMode);
        draw(page);
        EXPECT_EQ(state.settings.lighting.kind, c.kind);
        for (int m = 0; m <= 5; ++m) {
            const QString name = m == 0 ? QStringLiteral("lbl_Off") : QStringLiteral("lbl_LED%1").arg(m);
            EXPECT_EQ(!child(page, name)->isHidden(), c.shown[m]) << int(c.ledMode) << " " << m;
        }
        const int selected = c.selected < 0 ? before : c.selected;
        EXPECT_EQ(state.settings.lighting.mode, selected) << int(c.ledMode);
        EXPECT_EQ(picture(page, selected == 0 ? "Img_Off" : QStringLiteral("Img_LED%1").arg(selected)),
                  "RdS_E")
            << int(c.ledMode);
        EXPECT_EQ(!child(page, "cs_Col1")->isHidden(), c.colours);
        EXPECT_EQ(child(page, "Img_Fall1")->isEnabled(), selected != 0);
    }
}

TEST_F(PagesTest, LanguageSwitchRecaptionsThePages) {
    FirePage& fire = make<FirePage>();
    UpdatePage& update = make<UpdatePage>();
    EXPECT_EQ(text(fire, "Btn_Fire2"), "M16A4 Fire");
    EXPECT_EQ(text(update, "lbl_BINPath"), "Update File Path");
    EXPECT_EQ(text(update, "Btn_LoadBIN"), "Load File");
    EXPECT_EQ(text(update, "Btn_Program"), "Update");
    state.languageIndex = 3;
    state.language = &core::LanguageTables::builtIn().table(3);
    fire.applyLanguage();
    EXPECT_EQ(text(fire, "Btn_Fire2"), "M16 Fire");
}

TEST_F(PagesTest, UpdatePageLayout) {
    UpdatePage& page = make<UpdatePage>();
    EXPECT_EQ(picture(page, "Img_P5"), "Update");
    EXPECT_EQ(child(page, "Img_P5")->pos(), layoutPoint(state, "P5"));
    EXPECT_EQ(child(page, "Btn_Program")->geometry(), child(page, "Img_Program")->geometry());
    EXPECT_EQ(child(page, "Img_LoadBIN")->pos(), layoutPoint(state, "Btn_LoadBin"));
    EXPECT_EQ(text(page, "lbl_LoadBIN"), "");
    emit child<CaptionLabel>(page, "Btn_Program")->entered();
    EXPECT_EQ(picture(page, "Img_Program"), "KeyS_02");
    emit child<CaptionLabel>(page, "Btn_Program")->left();
    EXPECT_EQ(picture(page, "Img_Program"), "KeyS_01");
}

TEST_F(PagesTest, MacroPageListsTheStores) {
    MacroPage& page = make<MacroPage>();
    core::MacroLibrary library;
    ASSERT_EQ(library.addNew("Alpha"), core::MacroLibrary::Result::Done);
    ASSERT_EQ(library.addNew("Beta"), core::MacroLibrary::Result::Done);
    page.setLibrary(library);
    auto* libraryList = child<QListWidget>(page, "LB_PCMacroName");
    ASSERT_EQ(libraryList->count(), 2);
    EXPECT_EQ(libraryList->item(1)->text(), "Beta");
    EXPECT_EQ(libraryList->item(0)->sizeHint().height(), state.layoutInt("MacroNameHeight"));
    EXPECT_TRUE(child(page, "Btn_New")->isEnabled());

    core::DeviceMacroTable table;
    table.loadEeprom(state.buffers.deviceMacroArea);
    page.setDeviceMacros(table);
    auto* deviceList = child<QListWidget>(page, "LB_MacroName");
    ASSERT_EQ(deviceList->count(), static_cast<int>(table.count()));
    for (std::size_t r = 0; r < table.count(); ++r)
        EXPECT_EQ(deviceList->item(static_cast<int>(r))->text().toStdString(), table.names()[r]);

    core::MacroLibrary full;
    for (int i = 0; i < 100; ++i)
        full.addNew("M" + std::to_string(i));
    page.setLibrary(full);
    EXPECT_FALSE(child(page, "Btn_New")->isEnabled());
    EXPECT_FALSE(child(page, "Btn_NewMacro")->isEnabled());
}

TEST_F(PagesTest, MacroEventRowsHoldTheirLines) {
    MacroPage& page = make<MacroPage>();
    page.showMacroText({"10", "1 A CODE:8204", "0 120", "2 A CODE:0204"});
    auto* events = child<QListWidget>(page, "LB_macro");
    ASSERT_EQ(events->count(), 3);
    EXPECT_EQ(events->item(1)->data(Qt::UserRole).toString(), "0 120");
    EXPECT_EQ(events->item(1)->text(), ""); // rows hold no text of their own
    EXPECT_EQ(child<QPlainTextEdit>(page, "mmo_macro")->toPlainText(),
              "10\n1 A CODE:8204\n0 120\n2 A CODE:0204");
    events->grab(); // paints the rows through the event delegate
}

TEST_F(PagesTest, MacroPageBoxesAndInsertChoices) {
    MacroPage& page = make<MacroPage>();
    const QPoint box = layoutPoint(state, "Insert");
    EXPECT_EQ(child(page, "Gb_Insert")->pos(), box);
    EXPECT_EQ(child(page, "Img_InsertBase")->pos(), box + QPoint(10, 10));
    EXPECT_TRUE(child(page, "Gb_Insert")->isHidden());
    EXPECT_FALSE(child(page, "Gb_Delay")->isHidden());
    EXPECT_TRUE(child<QRadioButton>(page, "rb_RecDelay")->isChecked());
    EXPECT_EQ(picture(page, "LED_RecDelay"), "RdS_E");
    EXPECT_EQ(text(page, "Edt_Delay"), "50");
    // RecDelay rule: options H apart, labels 2 px to the left
    const QPoint options = layoutPoint(state, "RecDelay");
    const int h = state.layoutInt("RecDelay_H");
    EXPECT_EQ(child(page, "LED_NoDelay")->pos(), options + QPoint(0, 2 * h));
    EXPECT_EQ(child(page, "IB_NoDelay")->pos(), options + QPoint(-2, 2 * h));

    auto* choice = child<QComboBox>(page, "CB_Insert");
    ASSERT_EQ(choice->count(), 8);
    EXPECT_EQ(choice->itemText(4), "Insert X/Y axis Front");
    struct Case {
        int item;
        const char* base;
        bool delay, record, axis, repeat;
        const char* ok;
    };
    const Case cases[] = {{0, "InsertDelayBase", true, false, false, false, "OK"},
                          {3, "InsertKeyBase", false, true, false, false, "OK"},
                          {5, "InsertXYBase", false, false, true, false, "OK"},
                          {6, "InsertDelayBase", false, false, false, true, "OK"}};
    for (const Case& c : cases) {
        choice->setCurrentIndex(c.item);
        EXPECT_EQ(picture(page, "Img_InsertBase"), c.base) << c.item;
        EXPECT_EQ(!child(page, "lbl_Delay")->isHidden(), c.delay) << c.item;
        EXPECT_EQ(!child(page, "Btn_InsertStart")->isHidden(), c.record) << c.item;
        EXPECT_EQ(!child(page, "IB_InsertNoDelay")->isHidden(), c.record) << c.item;
        EXPECT_EQ(!child(page, "edt_XAxisValue")->isHidden(), c.axis) << c.item;
        EXPECT_EQ(!child(page, "edt_Repeat")->isHidden(), c.repeat) << c.item;
        EXPECT_EQ(text(page, "Btn_OK"), c.ok);
    }

    page.showDelayMode(core::DelayMode::DefaultDelay);
    EXPECT_TRUE(child<QRadioButton>(page, "rb_DelayTime")->isChecked());
    EXPECT_EQ(picture(page, "LED_DelayTime"), "RdS_E");
    EXPECT_EQ(picture(page, "LED_RecDelay"), "RdS_D");
    EXPECT_FALSE(child<QLineEdit>(page, "Edt_Delay")->isReadOnly());
    page.showDelayMode(core::DelayMode::NoDelay);
    EXPECT_TRUE(child<QLineEdit>(page, "Edt_Delay")->isReadOnly());
}
