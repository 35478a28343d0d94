// The page-layout tables against the skin: every control of a page lies on that page's picture and
// inside the window shape, no two controls of one page overlap, and the dialogs' controls stay on the
// dialog background. Controls that are not pictures get the sizes the main window gives them.

#include "SkinTestSupport.h"
#include "core/text/LayoutConfig.h"

#include <QImage>
#include <QRect>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using tarvik::core::LayoutConfig;
using tarvik::tests::committedPicture;
using tarvik::tests::isKey;

struct Part {
    std::string what;
    QRect rect;
};
using Scene = std::vector<Part>;

// Sizes of the controls that are not pictures (labels get the space of their captions).
constexpr QSize kPageListPc{246, 0}; // height from the table
constexpr QSize kDeviceList{186, 296};
constexpr QSize kStepsList{316, 296};
constexpr QSize kOptionBox{227, 182};
constexpr QRect kInsertBacking{10, 10, 207, 162};

class Layout {
public:
    explicit Layout(std::string section)
        : m_section(std::move(section)), m_config(*LayoutConfig::loadBuiltIn(m_section)),
          m_general(*LayoutConfig::loadBuiltIn("org")) {}

    int v(const std::string& key) const { return m_config.readInteger(m_section, key, -100000); }
    QPoint at(const std::string& prefix) const { return {v(prefix + "_X"), v(prefix + "_Y")}; }
    bool on(const std::string& prefix) const { return v(prefix + "_Enable") == 1; }
    QRect box(const std::string& prefix, QSize size, QPoint shift = {}) const {
        return QRect(at(prefix) + shift, size);
    }

    // The navigation bar, reset and exit buttons and the web badge: on every page 1 to 5.
    Scene chrome() const {
        Scene s;
        for (int n = 1; n <= 12; ++n) {
            const std::string entry = "Btn_B" + std::to_string(n);
            if (on(entry)) {
                s.push_back({entry, box(entry, {92, 27})});
            }
        }
        for (const char* reset : {"Btn_A2", "Btn_A3"}) {
            if (on(reset)) {
                s.push_back({reset, box(reset, {110, 27})});
            }
        }
        if (on("Btn_A4")) {
            s.push_back({"Btn_A4", box("Btn_A4", {15, 15})});
        }
        s.push_back({"web badge", QRect(m_general.readInteger("org", "Web_X", 0),
                                        m_general.readInteger("org", "Web_Y", 0), 150, 80)});
        return s;
    }

    Scene keyPage() const {
        Scene s;
        for (int n = 1; n <= 12; ++n) {
            const std::string k = "Key" + std::to_string(n);
            if (on(k)) {
                s.push_back({k, box(k, {170, 27})});
            }
        }
        return s;
    }

    void addCells(Scene& s, const std::string& what, QPoint first, int count, QSize cell, int captionDx,
                  int vertical) const {
        for (int k = 0; k < count; ++k) {
            const QPoint step = vertical ? QPoint(0, -k * cell.height()) : QPoint(k * cell.width(), 0);
            s.push_back({what + " cell " + std::to_string(k + 1), QRect(first + step, cell)});
            if (captionDx >= 0) {
                s.push_back({what + " caption " + std::to_string(k + 1),
                             QRect(first + step + QPoint(captionDx, 20), QSize(cell.width() - 4, 14))});
            }
        }
    }

    Scene advancedPage() const {
        Scene s;
        const int vertical = v("DPI_Orientation") == 0;
        for (int n = 1; n <= 8; ++n) {
            const std::string level = "DPI" + std::to_string(n);
            if (v(level + "_X") >= 1030) {
                continue; // parked off the window
            }
            s.push_back({level + " marker", box(level + "_Check", {16, 16})});
            s.push_back({level + " caption", box(level, {44, 16})});
            s.push_back({level + " value", box(level + "_Value", {40, 16})});
            s.push_back({level + " color", box(level + "_Color", {32, 40})});
            addCells(s, level, at(level + "_Steps"), 12, {20, 18}, -1, vertical);
        }
        s.push_back({"AIM caption", box("AIMDPI", {64, 16})});
        s.push_back({"AIM value", box("AIMDPI_Value", {40, 16})});
        addCells(s, "AIM", at("AIMDPI_Steps"), 12, {20, 18}, -1, vertical);
        for (int n = 1; n <= 3; ++n) {
            const std::string fk = "FK" + std::to_string(n);
            s.push_back({fk + " count", box(fk + "Cnt", {60, 24})});
            s.push_back({fk + " interval", box(fk + "Delay", {80, 24})});
            s.push_back({fk + " continuous", box(fk + "Continue", {20, 20}, {-2, 0})});
        }
        for (int n = 1; n <= 4; ++n) {
            const std::string rate = "Rep" + std::to_string(n);
            s.push_back({rate, box(rate, {80, 20}, {-4, -2})});
        }
        for (const char* bar : {"Spd", "DbSpd", "ScrSpd"}) {
            addCells(s, bar, at(bar), 11, {26, 18}, 4, 0);
        }
        s.push_back({"IsControl", box("IsControl", {230, 18}, {-8, 0})});
        s.push_back({"IsScreen", box("IsScreen", {230, 18}, {-2, 0})});
        return s;
    }

    Scene lightingPage() const {
        Scene s;
        s.push_back({"LEDOff", box("LEDOff", {180, 20}, {-4, -2})});
        for (int m = 1; m <= 5; ++m) {
            const std::string mode = "LEDMode" + std::to_string(m);
            s.push_back({mode, box(mode, {180, 20}, {-4, -2})});
        }
        addCells(s, "StepTime", at("StepTime") + QPoint(78, 0), 10, {26, 18}, 4, 0);
        for (int c = 1; c <= 10; ++c) {
            const std::string color = "LEDColor" + std::to_string(c);
            s.push_back({color, box(color, {32, 40})});
        }
        return s;
    }

    Scene macroPage() const {
        Scene s;
        s.push_back({"PC macro list", box("PCMacroName", {kPageListPc.width(), v("PCMacroName_H")})});
        s.push_back({"mouse macro list", box("MseMacroName", kDeviceList)});
        s.push_back({"macro steps list", box("MacroContent", kStepsList)});
        s.push_back({"New", box("BtnNew", {110, 27})});
        s.push_back({"Record", box("BtnStart", {110, 27})});
        s.push_back({"delay box", box("DelayTime", kOptionBox)});
        return s;
    }

    // The delay box's controls, relative to the box.
    Scene delayBox() const {
        Scene s;
        for (int i = 0; i < 3; ++i) {
            s.push_back({"delay option " + std::to_string(i + 1),
                         QRect(at("RecDelay") + QPoint(-2, i * v("RecDelay_H")), QSize(110, 17))});
        }
        s.push_back({"delay edit", box("DelayEdit", {44, 24})});
        return s;
    }

    // The insert box's controls for each insert choice, relative to the box.
    std::vector<std::pair<std::string, Scene>> insertBox() const {
        const Scene common = {{"insert choice", box("InsertList", {187, 22})},
                              {"OK", box("InsertBtnOK", {44, 27})},
                              {"Cancel", box("InsertBtnCancel", {44, 27})}};
        const QPoint e = at("InsertDelayEdit");
        const QPoint a = at("InsertAxisEdit");
        Scene delay = common;
        delay.push_back({"delay caption", QRect(e + QPoint(-74, 2), QSize(70, 18))});
        delay.push_back({"delay edit", QRect(e, QSize(40, 22))});
        delay.push_back({"unit", QRect(e + QPoint(44, 2), QSize(20, 18))});
        Scene keys = common;
        for (int i = 0; i < 3; ++i) {
            keys.push_back(
                {"record option " + std::to_string(i + 1),
                 QRect(at("InsertRecDelay") + QPoint(-2, i * v("InsertRecDelay_H")), QSize(100, 17))});
        }
        keys.push_back({"delay edit", QRect(e, QSize(40, 22))});
        keys.push_back({"unit", QRect(e + QPoint(44, 2), QSize(20, 18))});
        keys.push_back({"Record", box("InsertBtnStart", {110, 27})});
        Scene axis = common;
        axis.push_back({"X caption", QRect(a + QPoint(-120, 2), QSize(38, 18))});
        axis.push_back({"X edit", QRect(a + QPoint(-80, 0), QSize(36, 22))});
        axis.push_back({"Y caption", QRect(a + QPoint(-32, 2), QSize(30, 18))});
        axis.push_back({"Y edit", QRect(a, QSize(36, 22))});
        Scene repeat = common;
        repeat.push_back({"repeat caption", QRect(a + QPoint(-64, 2), QSize(62, 18))});
        repeat.push_back({"repeat edit", QRect(a, QSize(36, 22))});
        return {{"delay", delay}, {"keys", keys}, {"move", axis}, {"repeat", repeat}};
    }

    Scene updatePage() const {
        return {{"update picture", box("P5", {540, 102})},
                {"file path caption", box("lbl_BINPath", {300, 20})},
                {"file path", box("lbl_LoadBin", {540, 20})},
                {"Load File", box("Btn_LoadBin", {170, 27})},
                {"Update", box("Btn_Program", {170, 27})}};
    }

    // Fire Macro page with the segment badges of preset 6 (badges 1-2) or 7 (badges 3-5).
    Scene firePage(int preset) const {
        Scene s;
        for (int p = 1; p <= 7; ++p) {
            const std::string fire = "Fire" + std::to_string(p);
            s.push_back({fire, box(fire, {120, 56})});
        }
        const std::vector<int> badges = preset == 6 ? std::vector<int>{1, 2} : std::vector<int>{3, 4, 5};
        for (int g : badges) {
            const std::string mode = "GunMode" + std::to_string(g);
            s.push_back({mode, box(mode, {40, 40})});
        }
        for (int c = 1; c <= 3; ++c) {
            const std::string n = std::to_string(c);
            for (const std::string& edit : {"FireCnt" + n, "FireX" + n, "FireX" + n + "_Offset", "FireY" + n,
                                            "FireY" + n + "_Offset"}) {
                s.push_back({edit, box(edit, {64, 24})});
            }
            s.push_back({"FireTime" + n, box("FireTime" + n, {72, 24})});
            s.push_back({"FireColor" + n, box("FireColor" + n, {32, 40})});
        }
        s.push_back({"IsHasLK", box("IsHasLK", {20, 20}, {-2, 0})});
        s.push_back({"Confirm", box("FireConfirm", {110, 27})});
        s.push_back({"Cancel", box("FireCancel", {110, 27})});
        return s;
    }

    Scene keyDialog() const {
        Scene s = {{"title", box("AKT", {300, 28})},
                   {"combination", box("AKC", {v("AKC_W"), 26})},
                   {"Confirm", box("AK_Cfm", {110, 27})},
                   {"Clear", box("AK_Clear", {110, 27})},
                   {"Close", box("AK_Close", {15, 15})}};
        for (const char* mod : {"MK_C", "MK_S", "MK_A", "MK_W"}) {
            s.push_back({mod, box(mod, {90, 20})});
        }
        return s;
    }

    Scene nameDialog() const {
        return {{"title", box("MNT", {300, 28})},
                {"edit", box("MNC", {v("MNC_W"), 26})},
                {"Confirm", box("MN_Cfm", {110, 27})},
                {"Clear", box("MN_Clear", {110, 27})},
                {"Close", box("MN_Close", {15, 15})}};
    }

private:
    std::string m_section;
    LayoutConfig m_config;
    LayoutConfig m_general;
};

void expectNoOverlap(const Scene& scene, const std::string& where) {
    for (std::size_t i = 0; i < scene.size(); ++i) {
        for (std::size_t j = i + 1; j < scene.size(); ++j) {
            EXPECT_FALSE(scene[i].rect.intersects(scene[j].rect))
                << where << ": " << scene[i].what << " overlaps " << scene[j].what;
        }
    }
}

void expectInside(const Scene& scene, const QRect& area, const std::string& where) {
    for (const Part& part : scene) {
        EXPECT_TRUE(area.contains(part.rect)) << where << ": " << part.what << " leaves its area";
    }
}

// The four corners of every control lie on the opaque shape of `shape`, drawn at `origin`.
void expectOnShape(const Scene& scene, const QImage& shape, QPoint origin, const std::string& where) {
    for (const Part& part : scene) {
        const QRect r = part.rect.translated(origin);
        for (const QPoint corner : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()}) {
            EXPECT_TRUE(shape.rect().contains(corner) && !isKey(shape.pixel(corner)))
                << where << ": " << part.what << " reaches outside the shape";
        }
    }
}

Scene merged(Scene a, const Scene& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Scene shifted(const Scene& scene, QPoint by) {
    Scene out;
    for (const Part& part : scene) {
        out.push_back({part.what, part.rect.translated(by)});
    }
    return out;
}

class LayoutGeometry : public ::testing::TestWithParam<std::string> {
protected:
    Layout layout{GetParam()};
    const QRect window{0, 0, 1030, 662};

    std::vector<std::pair<std::string, Scene>> pagesWithBar() const {
        return {{"key page", layout.keyPage()},
                {"Advanced page", layout.advancedPage()},
                {"Breathing Light page", layout.lightingPage()},
                {"Macro page", layout.macroPage()},
                {"Update page", layout.updatePage()}};
    }
};

TEST_P(LayoutGeometry, ControlsOfAPageNeverOverlapAndStayOnTheWindow) {
    const Scene chrome = layout.chrome();
    for (const auto& [name, page] : pagesWithBar()) {
        const Scene all = merged(page, chrome);
        expectNoOverlap(all, GetParam() + " " + name);
        expectInside(all, window, GetParam() + " " + name);
    }
    for (int preset : {6, 7}) {
        const Scene fire = layout.firePage(preset);
        expectNoOverlap(fire, GetParam() + " Fire Macro page, preset " + std::to_string(preset));
        expectInside(fire, window, GetParam() + " Fire Macro page");
    }
}

TEST_P(LayoutGeometry, ControlsOfTheMacroBoxesStayOnTheirBacking) {
    const Scene delay = layout.delayBox();
    expectNoOverlap(delay, GetParam() + " delay box");
    expectInside(delay, kInsertBacking, GetParam() + " delay box");
    for (const auto& [choice, scene] : layout.insertBox()) {
        expectNoOverlap(scene, GetParam() + " insert box, " + choice);
        expectInside(scene, kInsertBacking, GetParam() + " insert box, " + choice);
    }
    EXPECT_EQ(layout.at("Insert"), layout.at("DelayTime"))
        << "the insert box replaces the delay box in place";
}

TEST_P(LayoutGeometry, DialogControlsStayOnTheDialogBackground) {
    const QImage msg = committedPicture(QStringLiteral("Msg")).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(msg.isNull());
    for (const auto& [name, scene] : std::vector<std::pair<std::string, Scene>>{
             {"key dialog", layout.keyDialog()}, {"name dialog", layout.nameDialog()}}) {
        expectNoOverlap(scene, GetParam() + " " + name);
        expectOnShape(scene, msg, {}, GetParam() + " " + name);
    }
}

INSTANTIATE_TEST_SUITE_P(Tables, LayoutGeometry, ::testing::Values("org1", "org2", "org3"),
                         [](const auto& tableName) { return tableName.param; });

// Layout 1 is the one with pictures: its controls sit on the page pictures, the bar on the frame
// around them, and all of it on the window shape.
TEST(Layout1OnSkin, ControlsLandOnTheirPagePicturesInsideTheWindowShape) {
    const Layout layout("org1");
    const QImage background =
        committedPicture(QStringLiteral("L1_BackGround")).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(background.isNull());
    const Scene chrome = layout.chrome();
    expectOnShape(chrome, background, {}, "bar");

    const std::vector<std::tuple<std::string, const char*, const char*, Scene>> pages = {
        {"key page", "P1", "L1_Back1", layout.keyPage()},
        {"Advanced page", "P2", "L1_Back2", layout.advancedPage()},
        {"Breathing Light page", "P3", "L1_Back3", layout.lightingPage()},
        {"Macro page", "P4", "L1_Back4", layout.macroPage()},
        {"Fire Macro page", "P6", "L1_Back5", merged(layout.firePage(6), layout.firePage(7))},
    };
    for (const auto& [name, origin, pictureName, scene] : pages) {
        const QImage picture = committedPicture(QString::fromLatin1(pictureName));
        ASSERT_FALSE(picture.isNull()) << pictureName;
        const QRect area(layout.at(origin), picture.size());
        expectInside(scene, area, name);
        expectOnShape(scene, background, {}, name);
        for (const Part& part : chrome) {
            EXPECT_FALSE(part.rect.intersects(area)) << name << ": the page picture covers " << part.what;
        }
    }
    const QPoint delayBox = layout.at("DelayTime");
    expectOnShape(shifted(layout.delayBox(), delayBox), background, {}, "delay box");
    expectOnShape(layout.updatePage(), background, {}, "Update page");
    const QRect updatePicture(layout.at("P5"), QSize(540, 102));
    for (const Part& part : chrome) {
        EXPECT_FALSE(part.rect.intersects(updatePicture)) << "the update picture covers " << part.what;
    }
}

// Breathing Light: the effect names are part of the page picture and must sit right of their markers,
// with the marker's own spot left free for the marker.
TEST(Layout1OnSkin, LightingEffectNamesSitBesideTheirMarkers) {
    const Layout layout("org1");
    const QImage page = committedPicture(QStringLiteral("L1_Back3")).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(page.isNull());
    const QPoint origin = layout.at("P3");
    auto ink = [&](const QRect& r) {
        int bright = 0;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                bright += qGray(page.pixel(QPoint(x, y) - origin)) > 110 ? 1 : 0;
            }
        }
        return bright;
    };
    for (int m = 0; m <= 5; ++m) {
        const std::string marker = m == 0 ? "LEDOff" : "LEDMode" + std::to_string(m);
        const QPoint at = layout.at(marker);
        EXPECT_GT(ink(QRect(at + QPoint(22, 0), QSize(60, 15))), 20)
            << marker << ": no name beside the marker";
        EXPECT_EQ(ink(QRect(at, QSize(15, 15))), 0) << marker << ": the marker's spot is painted over";
    }
}

} // namespace
