#include "gui/fire/FirePage.h"

#include "core/fire/FireMacroNames.h"
#include "core/keys/FunctionCodeCatalogue.h"
#include "gui/macros/MacroEventDelegate.h"
#include "gui/pages/PageControls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

namespace tarvik::gui {

using namespace pages;

namespace {
const QSize kValueEditSize(64, 24);
const QSize kTimeEditSize(72, 24);
const QSize kOptionSize(110, 17);
constexpr int kPresetNameBand = 18;

QString presetPicture(int preset, bool selected) {
    return QStringLiteral("Gun%1_%2").arg(preset).arg(selected ? QStringLiteral("02") : QStringLiteral("01"));
}
} // namespace

void FirePage::Segment::setVisible(bool visible) const {
    for (QWidget* w :
         std::initializer_list<QWidget*>{count, x, y, xOffset, yOffset, time, swatch, frame, colourTarget})
        w->setVisible(visible);
}

FirePage::FirePage(const PageContext& context, QWidget* parent)
    : Page(QStringLiteral("gbPage6"), context, parent) {
    m_lengths.fill(core::FireMacroStore::kBodySize);
    setPagePicture(addPicture(this, QStringLiteral("Img_P6")));

    m_presetGroup = new QButtonGroup(this);
    for (int p = 1; p <= kPresets; ++p) {
        m_presetPictures[p - 1] =
            addPicture(this, QStringLiteral("Img_Fire%1").arg(p), presetPicture(p, p == 1));
        CaptionLabel* button = addCaption(this, QStringLiteral("Btn_Fire%1").arg(p));
        button->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        m_presetButtons[p - 1] = button;
        addHiddenRadio(this, QStringLiteral("rb_Fire%1").arg(p), m_presetGroup);
        connect(button, &CaptionLabel::clicked, this, [this, p] { showPreset(p); });
        connect(button, &CaptionLabel::entered, this,
                [this, p] { m_presetPictures[p - 1]->setPicture(presetPicture(p, true)); });
        connect(button, &CaptionLabel::left, this, [this, p] {
            if (p != m_preset)
                m_presetPictures[p - 1]->setPicture(presetPicture(p, false));
        });
    }
    for (int g = 1; g <= kGunModes; ++g)
        m_gunModes[g - 1] =
            addPicture(this, QStringLiteral("Img_GunMode%1").arg(g), QStringLiteral("GunMode%1").arg(g));

    for (int c = 1; c <= kSegments; ++c) {
        Segment& segment = m_segments[c - 1];
        segment.count = addNumberEdit(this, QStringLiteral("Edt_FireCnt%1").arg(c), kValueEditSize);
        segment.x = addNumberEdit(this, QStringLiteral("Edt_FireX%1").arg(c), kValueEditSize);
        segment.y = addNumberEdit(this, QStringLiteral("Edt_FireY%1").arg(c), kValueEditSize);
        segment.xOffset = addNumberEdit(this, QStringLiteral("Edt_FireX%1Offset").arg(c), kValueEditSize);
        segment.yOffset = addNumberEdit(this, QStringLiteral("Edt_FireY%1Offset").arg(c), kValueEditSize);
        segment.time = addNumberEdit(this, QStringLiteral("Edt_FireTime%1").arg(c), kTimeEditSize);
        segment.swatch = new ColourSwatch(QStringLiteral("cs_FireColor%1").arg(c), this);
        segment.frame = addPicture(this, QStringLiteral("Img_FireColor%1").arg(c), QStringLiteral("Col_F"));
        segment.colourTarget = addCaption(this, QStringLiteral("IB_FireColor%1").arg(c));
    }

    m_leftKeyMarker = addPicture(this, QStringLiteral("Img_FireSelLeft"), QStringLiteral("CbS_E"));
    m_leftKeyTarget = addCaption(this, QStringLiteral("lbl_FireSelLeft"));
    m_leftKeyCheck = addHiddenCheck(this, QStringLiteral("cb_FireSelLeft"));
    m_leftKeyCheck->setChecked(true);

    m_confirmPicture = addPicture(this, QStringLiteral("Img_FireConfirm"), QStringLiteral("BtnS_01"));
    m_confirm = addCaption(this, QStringLiteral("Btn_FireConfirm"));
    m_exitPicture = addPicture(this, QStringLiteral("Img_FireExit"), QStringLiteral("BtnS_01"));
    m_exit = addCaption(this, QStringLiteral("Btn_FireExit"));
    for (auto [label, picture] : {std::pair{m_confirm, m_confirmPicture}, std::pair{m_exit, m_exitPicture}}) {
        connect(label, &CaptionLabel::entered, picture,
                [picture] { picture->setPicture(QStringLiteral("BtnS_02")); });
        connect(label, &CaptionLabel::left, picture,
                [picture] { picture->setPicture(QStringLiteral("BtnS_01")); });
    }

    buildServiceControls();
}

// The fire macro editor of the service mode: hidden until the mode is unlocked.
void FirePage::buildServiceControls() {
    auto* names = m_fireNames = new QListWidget(this);
    names->setObjectName(QStringLiteral("LB_FireMacroName"));
    names->setGeometry(396, 410, 160, 170);
    auto* events = m_fireEvents = new QListWidget(this);
    events->setObjectName(QStringLiteral("LB_FireMacro"));
    events->setGeometry(566, 410, 200, 140);
    events->setItemDelegate(new MacroEventDelegate(MacroEventDelegate::IconStyle::Unscaled, events));

    auto* recordPicture = addPicture(this, QStringLiteral("Img_FireStart"), QStringLiteral("MacroS_01"));
    recordPicture->move(612, 556);
    m_recordButton = addCaption(this, QStringLiteral("Btn_FireStart"));
    placeOver(m_recordButton, recordPicture, recordPicture->pos());
    connect(m_recordButton, &CaptionLabel::entered, recordPicture,
            [recordPicture] { recordPicture->setPicture(QStringLiteral("MacroS_02")); });
    connect(m_recordButton, &CaptionLabel::left, recordPicture,
            [recordPicture] { recordPicture->setPicture(QStringLiteral("MacroS_01")); });

    auto* delayPicture = addPicture(this, QStringLiteral("Img_FireDelay"), QStringLiteral("InsertDelayBase"));
    delayPicture->move(790, 410);
    m_delayBox = new QWidget(this);
    m_delayBox->setObjectName(QStringLiteral("GB_FireDelay"));
    m_delayBox->setGeometry(780, 400, 227, 182);
    auto* group = new QButtonGroup(m_delayBox);
    const char* const options[3] = {"RecDelay", "DelayTime", "NoDelay"};
    for (int i = 0; i < 3; ++i) {
        auto* led =
            addPicture(m_delayBox, QStringLiteral("LED_Fire%1").arg(options[i]), twoState("RdS", i == 0));
        led->move(24, 52 + 26 * i);
        m_delayOptions[i] = addCaption(m_delayBox, QStringLiteral("IB_Fire%1").arg(options[i]));
        m_delayOptions[i]->setGeometry(22, 52 + 26 * i, kOptionSize.width(), kOptionSize.height());
        m_delayOptions[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        addHiddenRadio(m_delayBox, QStringLiteral("rb_Fire%1").arg(options[i]), group)->setChecked(i == 0);
    }
    auto* delay = addNumberEdit(m_delayBox, QStringLiteral("Edt_FireDelay"), QSize(60, 22));
    delay->move(140, 74);
    delay->setText(QStringLiteral("50"));

    for (QWidget* w : std::initializer_list<QWidget*>{names, events, recordPicture, m_recordButton,
                                                      delayPicture, m_delayBox})
        w->hide();
    buildServiceMenusAndInsertPanel();
}

namespace {
struct Entry {
    const char* name;
    const char* key;
};
const Entry kFireNameMenu[] = {{"Btn_NewFireName", "Str402"}};
const Entry kFireContentMenu[] = {{"Btn_FireDel", "Str408"}, {"Btn_FireInsert", "Str409"}};
const char* const kFireInsertChoiceKeys[6] = {"Str410", "Str411", "Str450", "Str451", "Str456", "Str457"};
// Captions of the insert panel and their language keys.
const Entry kFireInsertCaptions[] = {{"lbl_FireDelay", "Str417"},      {"lbl_Fires_A", "Str418"},
                                     {"lbl_FireXAxisValue", "Str454"}, {"lbl_FireYAxisValue", "Str455"},
                                     {"lbl_FireRepeat", "Str458"},     {"Btn_FireOK", "Str420"},
                                     {"Btn_FireCancel", "Str422"}};
} // namespace

// The right-click menus of the two fire lists and the insert panel, all hidden until used.
void FirePage::buildServiceMenusAndInsertPanel() {
    const auto menu = [this](const char* name, std::span<const Entry> entries) {
        auto* panel = new QWidget(this);
        panel->setObjectName(QString::fromLatin1(name));
        panel->setAutoFillBackground(true);
        int y = 2;
        for (const Entry& entry : entries) {
            CaptionLabel* label = addCaption(panel, QString::fromLatin1(entry.name));
            label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            label->setGeometry(2, y, 116, 20);
            y += 20;
        }
        panel->resize(120, y + 2);
        panel->hide();
        return panel;
    };
    m_menus = {menu("Pnl_DevFireMacro", kFireNameMenu), menu("Pnl_DevFireContent", kFireContentMenu)};

    auto* backing = addPicture(this, QStringLiteral("Img_FireInsert"), QStringLiteral("InsertDelayBase"));
    backing->move(790, 410);
    m_insertPanel = new QWidget(this);
    m_insertPanel->setObjectName(QStringLiteral("Gb_InsertFire"));
    m_insertPanel->setGeometry(780, 400, 227, 182);
    m_insertChoice = new QComboBox(m_insertPanel);
    m_insertChoice->setObjectName(QStringLiteral("CB_InsertFire"));
    m_insertChoice->setGeometry(20, 18, 187, 22);
    const auto caption = [this](const char* name, QRect geometry) {
        QLabel* label = addLabel(m_insertPanel, QString::fromLatin1(name), geometry.size());
        label->move(geometry.topLeft());
    };
    const auto edit = [this](const char* name, QPoint at, const char* initial) {
        QLineEdit* e = addNumberEdit(m_insertPanel, QString::fromLatin1(name), QSize(40, 20));
        e->move(at);
        e->setText(QString::fromLatin1(initial));
    };
    caption("lbl_FireDelay", {58, 66, 72, 17});
    edit("Edt_InsertFireDelay", {132, 64}, "50");
    caption("lbl_Fires_A", {176, 66, 30, 17});
    caption("lbl_FireXAxisValue", {56, 66, 38, 17});
    edit("edt_FireXAxisValue", {96, 64}, "12");
    caption("lbl_FireYAxisValue", {144, 66, 30, 17});
    edit("edt_FireYAxisValue", {176, 64}, "12");
    caption("lbl_FireRepeat", {112, 66, 62, 17});
    edit("edt_FireRepeat", {176, 64}, "10");
    for (auto [name, x] : {std::pair{"FireOK", 122}, std::pair{"FireCancel", 168}}) {
        PictureControl* picture = addPicture(m_insertPanel, QStringLiteral("Img_") + QLatin1String(name),
                                             QStringLiteral("MacroBtnS_01"));
        picture->move(x, 142);
        CaptionLabel* label = addCaption(m_insertPanel, QStringLiteral("Btn_") + QLatin1String(name));
        placeOver(label, picture, picture->pos());
        connect(label, &CaptionLabel::entered, picture,
                [picture] { picture->setPicture(QStringLiteral("MacroBtnS_02")); });
        connect(label, &CaptionLabel::left, picture,
                [picture] { picture->setPicture(QStringLiteral("MacroBtnS_01")); });
    }
    connect(m_insertChoice, &QComboBox::currentIndexChanged, this, [this](int item) {
        // Only the controls of the chosen kind of insertion are shown.
        const auto show = [this](const char* name, bool shown) {
            m_insertPanel->findChild<QWidget*>(QString::fromLatin1(name))->setVisible(shown);
        };
        for (const char* name : {"lbl_FireDelay", "Edt_InsertFireDelay", "lbl_Fires_A"})
            show(name, item == 0 || item == 1);
        for (const char* name :
             {"lbl_FireXAxisValue", "edt_FireXAxisValue", "lbl_FireYAxisValue", "edt_FireYAxisValue"})
            show(name, item == 2 || item == 3);
        for (const char* name : {"lbl_FireRepeat", "edt_FireRepeat"})
            show(name, item == 4 || item == 5);
        m_insertPanel->findChild<QWidget*>(QStringLiteral("edt_FireRepeat"))->setEnabled(item != 5);
    });
    backing->hide();
    m_insertPanel->hide();
}

void FirePage::clearFireMacroNames() {
    m_fireNames->clear();
}

void FirePage::hideMenus() {
    for (QWidget* menu : m_menus)
        menu->hide();
}

void FirePage::refreshFireMacroNames() {
    m_fireNames->clear();
    const int rowHeight = state().layoutInt("MacroNameHeight", 20);
    for (const std::string& name : core::fireMacroNamesInUse(state().buffers.fireMacros)) {
        auto* item = new QListWidgetItem(QString::fromStdString(name), m_fireNames);
        item->setSizeHint(QSize(m_fireNames->width() - 2, rowHeight));
    }
}

void FirePage::applyLayout() {
    const AppState& s = state();
    PictureControl* page = pagePicture();
    page->setPicture(s.picturePrefix() + QStringLiteral("Back5"));
    page->move(layoutPoint(s, "P6"));

    const int size = s.layoutInt("Size_J", 9);
    const QColor text = s.layoutColor("Color_J");
    for (int p = 1; p <= kPresets; ++p) {
        const QPoint at = layoutPoint(s, "Fire" + std::to_string(p));
        m_presetPictures[p - 1]->move(at);
        placeOver(m_presetButtons[p - 1], m_presetPictures[p - 1], at);
        // The name sits in the band at the bottom of the weapon card.
        m_presetButtons[p - 1]->setContentsMargins(0, 0, 0, (kPresetNameBand - 14) / 2);
        setTextLook(m_presetButtons[p - 1], size, text);
    }
    for (int g = 1; g <= kGunModes; ++g)
        m_gunModes[g - 1]->move(layoutPoint(s, "GunMode" + std::to_string(g)));

    const QColor font = s.layoutColor("Color_J_Font");
    const QColor back = s.layoutColor("Color_J_Back");
    const QColor border = s.layoutColor("Color_J_Border");
    for (int c = 1; c <= kSegments; ++c) {
        Segment& segment = m_segments[c - 1];
        const std::string n = std::to_string(c);
        const std::pair<QLineEdit*, std::string> edits[] = {{segment.count, "FireCnt" + n},
                                                            {segment.x, "FireX" + n},
                                                            {segment.y, "FireY" + n},
                                                            {segment.xOffset, "FireX" + n + "_Offset"},
                                                            {segment.yOffset, "FireY" + n + "_Offset"},
                                                            {segment.time, "FireTime" + n}};
        for (const auto& [edit, key] : edits) {
            edit->move(layoutPoint(s, key));
            setEditLook(edit, size, font, back, border);
        }
        segment.frame->move(layoutPoint(s, "FireColor" + n));
        segment.swatch->setGeometry(QRect(segment.frame->pos(), segment.frame->size()));
        placeOver(segment.colourTarget, segment.frame, segment.frame->pos());
    }

    const QPoint leftKey = layoutPoint(s, "IsHasLK");
    m_leftKeyMarker->move(leftKey);
    placeOver(m_leftKeyTarget, m_leftKeyMarker, QPoint(leftKey.x() - 2, leftKey.y()), 4);

    m_confirmPicture->move(layoutPoint(s, "FireConfirm"));
    placeOver(m_confirm, m_confirmPicture, m_confirmPicture->pos());
    m_exitPicture->move(layoutPoint(s, "FireCancel"));
    placeOver(m_exit, m_exitPicture, m_exitPicture->pos());
    for (CaptionLabel* label : {m_confirm, m_exit, m_recordButton})
        setTextLook(label, size, text);
    for (CaptionLabel* option : m_delayOptions)
        setTextLook(option, size, text);
    for (QWidget* w : m_insertPanel->findChildren<QWidget*>())
        setTextLook(w, size, text);
    styleMenuPanels(m_menus, size, s.layoutColor("Color_F_Font"), s.layoutColor("Color_F_Back"));
}

void FirePage::applyLanguage() {
    for (int p = 1; p <= kPresets; ++p)
        m_presetButtons[p - 1]->setText(
            state().text(core::weaponPresets()[static_cast<std::size_t>(p - 1)].languageKey));
    m_confirm->setText(state().text("Str620"));
    m_exit->setText(state().text("Str621"));
    m_recordButton->setText(state().text("Str400"));
    const char* const keys[3] = {"Str414", "Str415", "Str416"};
    for (int i = 0; i < 3; ++i)
        m_delayOptions[i]->setText(QStringLiteral("     ") + state().text(keys[i]));
    for (const Entry& entry : kFireNameMenu)
        m_menus[0]->findChild<QLabel*>(QString::fromLatin1(entry.name))->setText(state().text(entry.key));
    for (const Entry& entry : kFireContentMenu)
        m_menus[1]->findChild<QLabel*>(QString::fromLatin1(entry.name))->setText(state().text(entry.key));
    for (const Entry& entry : kFireInsertCaptions)
        m_insertPanel->findChild<QLabel*>(QString::fromLatin1(entry.name))->setText(state().text(entry.key));
    // The items are replaced by the new texts; the choice stays.
    const int chosen = m_insertChoice->currentIndex();
    m_insertChoice->clear();
    for (const char* key : kFireInsertChoiceKeys)
        m_insertChoice->addItem(state().text(key));
    m_insertChoice->setCurrentIndex(chosen < 0 ? 0 : chosen);
}

void FirePage::showSegment(int segment, int slot) {
    const core::FireMacroSlots& fire = state().buffers.fireMacros;
    const core::FireSegmentView view = core::walkFireBody(fire.bodies.at(slot), m_lengths[slot]);
    m_lengths[slot] = view.length;
    m_slotViews[slot] = view;

    Segment& controls = m_segments[segment - 1];
    if (view.countAt)
        controls.count->setText(QString::number(view.count));
    if (view.xAt)
        controls.x->setText(QString::number(view.x));
    if (view.yAt)
        controls.y->setText(QString::number(view.y));
    if (view.timeAt)
        controls.time->setText(QString::number(view.time));
    // Fire slot s shares lighting colour s + 1.
    const core::Rgb rgb = state().settings.lighting.colour(slot + 1);
    controls.swatch->setColour(QColor(rgb.red, rgb.green, rgb.blue));
    const core::ConfigImage& image = state().buffers.workingImage;
    controls.xOffset->setText(QString::number(static_cast<core::Byte>(image.fireOffsetX(slot))));
    controls.yOffset->setText(QString::number(static_cast<core::Byte>(image.fireOffsetY(slot))));
}

void FirePage::showPreset(int preset) {
    if (preset < 1 || preset > kPresets)
        return;
    m_loadingPreset = true;
    m_preset = preset;
    findChild<QRadioButton*>(QStringLiteral("rb_Fire%1").arg(preset))->setChecked(true);

    const std::vector<int> played = core::firePresetSlots(preset);
    for (int c = 1; c <= kSegments; ++c) {
        const Segment& segment = m_segments[c - 1];
        for (QLineEdit* edit :
             {segment.count, segment.x, segment.y, segment.xOffset, segment.yOffset, segment.time})
            edit->setText(QStringLiteral("0"));
        segment.setVisible(c <= static_cast<int>(played.size()));
    }
    const std::vector<int> gunModes = core::firePresetGunModes(preset);
    for (int g = 1; g <= kGunModes; ++g)
        m_gunModes[g - 1]->setVisible(std::find(gunModes.begin(), gunModes.end(), g) != gunModes.end());
    for (int p = 1; p <= kPresets; ++p)
        m_presetPictures[p - 1]->setPicture(presetPicture(p, p == preset));

    for (std::size_t c = 0; c < played.size(); ++c)
        showSegment(static_cast<int>(c) + 1, played[c]);
    m_loadingPreset = false;
}

void FirePage::refreshFromImage() {
    refreshFireMacroNames();
    showPreset(m_preset == 0 ? 1 : m_preset);
}

} // namespace tarvik::gui
