#include "gui/fire/FirePage.h"

#include "core/cycle/ConfigCycle.h"
#include "core/device/DeviceLink.h"
#include "core/edit/FieldRanges.h"
#include "core/edit/StoreEdits.h"
#include "core/fire/FireMacroNames.h"
#include "core/keys/FunctionCodeCatalogue.h"
#include "core/macros/MacroName.h"
#include "gui/dialogs/AccessCodeDialog.h"
#include "gui/dialogs/MacroNameDialog.h"
#include "gui/dialogs/MessageSeam.h"
#include "gui/eventlist/MacroEventDelegate.h"
#include "gui/pages/NotStored.h"
#include "gui/skin/PageControls.h"
#include "platform/InputCapture.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QRadioButton>

namespace tarvik::gui {

using namespace pages;

namespace {
const QSize kValueEditSize(64, 24);
const QSize kTimeEditSize(72, 24);
const QSize kOptionSize(110, 17);
constexpr int kPresetNameBand = 18;

// The service-mode editor lives in the confirmation panel, where the page picture leaves room: the
// two lists and Record in a row below the panel's hint text, left of Confirm; the delay box (and
// the insert panel in its place) in the panel's right part, above Confirm and Cancel.
const QRect kFireNamesPlace(336, 500, 110, 126);
const QRect kFireEventsPlace(452, 500, 180, 126);
const QPoint kFireRecordPlace(638, 500);
const QRect kFireOptionBoxPlace(770, 410, 227, 182);

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
    : Page(QStringLiteral("gbPage6"), context, parent), m_editor(context.state.buffers.fireMacros) {
    m_lengths.fill(core::FireMacroStore::kBodySize);
    setPagePicture(addPicture(this, QStringLiteral("Img_P6")));

    m_presetGroup = new QButtonGroup(this);
    for (int p = 1; p <= kPresets; ++p) {
        m_presetPictures[p - 1] =
            addPicture(this, QStringLiteral("Img_Fire%1").arg(p), presetPicture(p, p == 1));
        CaptionLabel* button = addCaption(this, QStringLiteral("Btn_Fire%1").arg(p));
        button->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        m_presetButtons[p - 1] = button;
        m_presetRadios[p - 1] = addHiddenRadio(this, QStringLiteral("rb_Fire%1").arg(p), m_presetGroup);
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
    m_leftKeyTarget->setAccessibleRole(QAccessible::CheckBox);
    m_leftKeyTarget->setCheckable(true);
    m_leftKeyTarget->setChecked(true);

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
    wireSegmentEdits();
    wireServiceEditor();
}

FirePage::~FirePage() = default;

// The fire macro editor of the service mode: hidden until the mode is unlocked.
void FirePage::buildServiceControls() {
    auto* names = m_fireNames = new QListWidget(this);
    names->setObjectName(QStringLiteral("LB_FireMacroName"));
    names->setGeometry(kFireNamesPlace);
    auto* events = m_fireEvents = new QListWidget(this);
    events->setObjectName(QStringLiteral("LB_FireMacro"));
    events->setGeometry(kFireEventsPlace);
    events->setItemDelegate(new MacroEventDelegate(MacroEventDelegate::IconStyle::Unscaled, events));
    // Rows are as wide as their list: a sideways scroll bar would only take a row's room.
    for (QListWidget* list : {names, events})
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* recordPicture = m_recordPicture =
        addPicture(this, QStringLiteral("Img_FireStart"), QStringLiteral("MacroS_01"));
    recordPicture->move(kFireRecordPlace);
    m_recordButton = addCaption(this, QStringLiteral("Btn_FireStart"));
    placeOver(m_recordButton, recordPicture, recordPicture->pos());
    connect(m_recordButton, &CaptionLabel::entered, recordPicture,
            [recordPicture] { recordPicture->setPicture(QStringLiteral("MacroS_02")); });
    connect(m_recordButton, &CaptionLabel::left, recordPicture,
            [recordPicture] { recordPicture->setPicture(QStringLiteral("MacroS_01")); });

    auto* delayPicture = m_delayPicture =
        addPicture(this, QStringLiteral("Img_FireDelay"), QStringLiteral("InsertDelayBase"));
    delayPicture->move(kFireOptionBoxPlace.topLeft() + QPoint(10, 10));
    m_delayBox = new QWidget(this);
    m_delayBox->setObjectName(QStringLiteral("GB_FireDelay"));
    m_delayBox->setGeometry(kFireOptionBoxPlace);
    m_delayOptions = DelayOptions::build(m_delayBox, QStringLiteral("Fire"));
    for (int i = 0; i < 3; ++i) {
        m_delayOptions.leds[i]->move(24, 52 + 26 * i);
        m_delayOptions.labels[i]->setGeometry(22, 52 + 26 * i, kOptionSize.width(), kOptionSize.height());
    }
    QLineEdit* delay = m_delayOptions.edit =
        addNumberEdit(m_delayBox, QStringLiteral("Edt_FireDelay"), QSize(60, 22));
    delay->move(140, 74);
    delay->setText(QString::number(core::fields::kEventDelay.initial));

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
} // namespace

// The right-click menus of the two fire lists and the insert panel, all hidden until used.
void FirePage::buildServiceMenusAndInsertPanel() {
    const auto menu = [this](const char* name, std::span<const Entry> entries,
                             std::initializer_list<CaptionLabel**> labels) {
        auto* panel = new QWidget(this);
        panel->setObjectName(QString::fromLatin1(name));
        panel->setAutoFillBackground(true);
        int y = 2;
        auto held = labels.begin();
        for (const Entry& entry : entries) {
            CaptionLabel* label = ** held++ = addCaption(panel, QString::fromLatin1(entry.name));
            label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            label->setGeometry(2, y, 116, 20);
            y += 20;
        }
        panel->resize(120, y + 2);
        panel->hide();
        return panel;
    };
    m_menus = {menu("Pnl_DevFireMacro", kFireNameMenu, {&m_renameEntry}),
               menu("Pnl_DevFireContent", kFireContentMenu, {&m_deleteEntry, &m_insertEntry})};

    auto* backing = m_insertBacking =
        addPicture(this, QStringLiteral("Img_FireInsert"), QStringLiteral("InsertDelayBase"));
    backing->move(kFireOptionBoxPlace.topLeft() + QPoint(10, 10));
    m_insertPanel = new QWidget(this);
    m_insertPanel->setObjectName(QStringLiteral("Gb_InsertFire"));
    m_insertPanel->setGeometry(kFireOptionBoxPlace);
    m_insertChoice = new QComboBox(m_insertPanel);
    m_insertChoice->setObjectName(QStringLiteral("CB_InsertFire"));
    m_insertChoice->setGeometry(20, 18, 187, 22);
    const auto caption = [this](const char* name, QRect geometry) {
        QLabel* label = addLabel(m_insertPanel, QString::fromLatin1(name), geometry.size());
        label->move(geometry.topLeft());
        return label;
    };
    const auto edit = [this](const char* name, QPoint at, int initial) {
        QLineEdit* e = addNumberEdit(m_insertPanel, QString::fromLatin1(name), QSize(40, 20));
        e->move(at);
        e->setText(QString::number(initial));
        return e;
    };
    // Captions end just before the edit they name and take the room to their left, so that their
    // words fit in every language; the X edit stands left of the Y caption to give it room.
    m_insertDelayCaption = caption("lbl_FireDelay", {20, 66, 108, 17});
    m_insertDelay = edit("Edt_InsertFireDelay", {132, 64}, core::fields::kEventDelay.initial);
    m_insertDelayUnit = caption("lbl_Fires_A", {176, 66, 40, 17});
    m_insertXCaption = caption("lbl_FireXAxisValue", {20, 66, 54, 17});
    m_insertX = edit("edt_FireXAxisValue", {78, 64}, core::fields::kEventMove.initial);
    m_insertYCaption = caption("lbl_FireYAxisValue", {124, 66, 48, 17});
    m_insertY = edit("edt_FireYAxisValue", {176, 64}, core::fields::kEventMove.initial);
    m_insertRepeatCaption = caption("lbl_FireRepeat", {20, 66, 152, 17});
    for (QLabel* label : {m_insertDelayCaption, m_insertXCaption, m_insertYCaption, m_insertRepeatCaption})
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_insertRepeat = edit("edt_FireRepeat", {176, 64}, core::fields::kEventRepeat.initial);
    for (auto [name, x, picture, label] : {std::tuple{"FireOK", 116, &m_okPicture, &m_ok},
                                           std::tuple{"FireCancel", 168, &m_cancelPicture, &m_cancel}}) {
        PictureControl* image = *picture = addPicture(
            m_insertPanel, QStringLiteral("Img_") + QLatin1String(name), QStringLiteral("MacroBtnS_01"));
        image->move(x, 142);
        CaptionLabel* button = *label =
            addCaption(m_insertPanel, QStringLiteral("Btn_") + QLatin1String(name));
        placeOver(button, image, image->pos());
        connect(button, &CaptionLabel::entered, image,
                [image] { image->setPicture(QStringLiteral("MacroBtnS_02")); });
        connect(button, &CaptionLabel::left, image,
                [image] { image->setPicture(QStringLiteral("MacroBtnS_01")); });
    }
    backing->hide();
    m_insertPanel->hide();
}

void FirePage::clearFireMacroNames() {
    // The editing copy is about to be replaced: what the event list shows would no longer be its.
    endRecording();
    m_editor.showSlot(std::nullopt);
    m_list->clearRows();
    m_fireNames->clear();
    m_listedSlots.clear();
}

void FirePage::hideMenus() {
    for (QWidget* menu : m_menus)
        menu->hide();
}

int FirePage::rowHeight() const {
    return state().layoutInt("MacroNameHeight", 20);
}

void FirePage::refreshFireMacroNames() {
    m_fireNames->clear();
    const int rowHeight = this->rowHeight();
    m_listedSlots.clear();
    const core::FireMacroSlots& fire = state().buffers.fireMacros;
    for (std::size_t slot = 0; slot < fire.names.size(); ++slot) {
        if (!core::fireMacroSlotInUse(fire.names[slot]))
            continue;
        auto* item =
            new QListWidgetItem(QString::fromStdString(core::fieldToName(fire.names[slot])), m_fireNames);
        item->setSizeHint(QSize(m_fireNames->width() - 2, rowHeight));
        m_listedSlots.push_back(static_cast<int>(slot));
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
    for (CaptionLabel* option : m_delayOptions.labels)
        setTextLook(option, size, text);
    for (QWidget* w : m_insertPanel->findChildren<QWidget*>())
        setTextLook(w, size, text);
    fitInsertPanelTexts();
    // The fire macro lists are drawn as the macro page draws its lists, in this page's list colours.
    for (QListWidget* list : {m_fireNames, m_fireEvents}) {
        setTextLook(list, size, font);
        list->setStyleSheet(QStringLiteral("QListWidget { color: %1; background: %2; border: 1px solid %3; }")
                                .arg(font.name(), back.name(), border.name()));
    }
    styleMenuPanels(m_menus, size, s.layoutColor("Color_F_Font"), s.layoutColor("Color_F_Back"));
}

void FirePage::applyLanguage() {
    // The page picture says what each box is; a screen reader needs it in words.
    const AppState& s = state();
    for (std::size_t i = 0; i < m_segments.size(); ++i) {
        const int c = static_cast<int>(i) + 1;
        Segment& segment = m_segments[i];
        segment.count->setAccessibleName(s.text("Str822").arg(c));
        segment.x->setAccessibleName(s.text("Str823").arg(c));
        segment.y->setAccessibleName(s.text("Str824").arg(c));
        segment.xOffset->setAccessibleName(s.text("Str825").arg(c));
        segment.yOffset->setAccessibleName(s.text("Str826").arg(c));
        segment.time->setAccessibleName(s.text("Str827").arg(c));
        segment.colourTarget->setAccessibleName(s.text("Str828").arg(c));
    }
    m_leftKeyTarget->setAccessibleName(s.text("Str829"));
    for (int p = 1; p <= kPresets; ++p)
        m_presetButtons[p - 1]->setText(
            state().text(core::weaponPresets()[static_cast<std::size_t>(p - 1)].languageKey));
    m_confirm->setText(state().text("Str620"));
    m_exit->setText(state().text("Str621"));
    m_list->applyLanguage();
    const char* const keys[3] = {"Str414", "Str415", "Str416"};
    for (int i = 0; i < 3; ++i)
        m_delayOptions.labels[i]->setText(QStringLiteral("     ") + state().text(keys[i]));
    const std::pair<QLabel*, const char*> captions[] = {{m_renameEntry, kFireNameMenu[0].key},
                                                        {m_deleteEntry, kFireContentMenu[0].key},
                                                        {m_insertEntry, kFireContentMenu[1].key},
                                                        {m_insertDelayCaption, "Str417"},
                                                        {m_insertDelayUnit, "Str418"},
                                                        {m_insertXCaption, "Str454"},
                                                        {m_insertYCaption, "Str455"},
                                                        {m_insertRepeatCaption, "Str458"},
                                                        {m_ok, "Str420"},
                                                        {m_cancel, "Str422"}};
    for (const auto& [label, key] : captions)
        setLabelText(label, state().text(key));
    // The items are replaced by the new texts; the choice stays.
    const int chosen = m_insertChoice->currentIndex();
    m_insertChoice->clear();
    for (const char* key : kFireInsertChoiceKeys)
        m_insertChoice->addItem(state().text(key));
    m_insertChoice->setCurrentIndex(chosen < 0 ? 0 : chosen);
    fitInsertPanelTexts();
}

void FirePage::fitInsertPanelTexts() {
    const int size = state().layoutInt("Size_J", 9);
    for (QLabel* label : m_insertPanel->findChildren<QLabel*>()) {
        const bool button = qobject_cast<CaptionLabel*>(label) != nullptr;
        // A button's words keep clear of its frame.
        fitTextSize(label, size, button ? 4 : 0);
    }
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
    m_presetRadios[preset - 1]->setChecked(true);

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

// --- the preset fields ----------------------------------------------------------------------------

void FirePage::wireSegmentEdits() {
    for (int c = 1; c <= kSegments; ++c) {
        const Segment& segment = m_segments[c - 1];
        const std::pair<QLineEdit*, core::FireField> fields[] = {{segment.count, core::FireField::Count},
                                                                 {segment.x, core::FireField::X},
                                                                 {segment.y, core::FireField::Y},
                                                                 {segment.xOffset, core::FireField::XOffset},
                                                                 {segment.yOffset, core::FireField::YOffset},
                                                                 {segment.time, core::FireField::Time}};
        for (auto [edit, field] : fields)
            connect(edit, &QLineEdit::textChanged, this,
                    [this, c, field, edit = edit] { fieldEdited(c, field, edit); });
        connect(segment.colourTarget, &CaptionLabel::clicked, this, [this, c] { chooseColour(c); });
    }
    connect(m_leftKeyTarget, &CaptionLabel::clicked, this, [this] { toggleLeftKey(); });
    connect(m_confirm, &CaptionLabel::clicked, this, [this] { confirm(); });
    connect(m_exit, &CaptionLabel::clicked, this, [this] { cancel(); });
}

void FirePage::fieldEdited(int segment, core::FireField field, QLineEdit* edit) {
    const core::FireFieldText corrected = core::correctFireField(field, edit->text().toStdString());
    const QString shown = QString::fromStdString(corrected.text);
    if (shown != edit->text()) {
        edit->setText(shown); // comes back here with the corrected text
        return;
    }
    if (m_loadingPreset || !corrected.value || m_preset == 0)
        return;
    const std::vector<int> played = core::firePresetSlots(m_preset);
    if (segment > static_cast<int>(played.size()))
        return;
    const int slot = played[static_cast<std::size_t>(segment - 1)];
    core::writeFireField(state().buffers.fireMacros, state().buffers.workingImage, slot, m_slotViews.at(slot),
                         field, *corrected.value);
}

void FirePage::chooseColour(int segment) {
    if (m_preset == 0)
        return;
    const std::vector<int> played = core::firePresetSlots(m_preset);
    if (segment > static_cast<int>(played.size()))
        return;
    const int slot = played[static_cast<std::size_t>(segment - 1)];
    Segment& controls = m_segments[segment - 1];
    const QColor chosen = MessageSeam::chooseColor(this, controls.swatch->colour());
    if (!chosen.isValid())
        return;
    controls.swatch->setColour(chosen);
    // The lighting page shows the same colour s + 1 when it is drawn next.
    state().settings.lighting.colours.at(static_cast<std::size_t>(slot)) = {
        static_cast<core::Byte>(chosen.red()), static_cast<core::Byte>(chosen.green()),
        static_cast<core::Byte>(chosen.blue())};
}

void FirePage::toggleLeftKey() {
    m_leftKeyCheck->setChecked(!m_leftKeyCheck->isChecked());
    m_leftKeyTarget->setChecked(m_leftKeyCheck->isChecked());
    m_leftKeyMarker->setPicture(twoState("CbS", m_leftKeyCheck->isChecked()));
}

// --- opening and leaving --------------------------------------------------------------------------

void FirePage::openForButton(int button) {
    m_button = button;
    shell().hideAllMenu();
    // The offsets shown are the mouse's own; a failed read keeps those of the last drawing.
    context().cycle.refreshProfileParameter(core::Loading::Hidden);
    showPreset(1);
}

void FirePage::closePage(PictureControl* picture) {
    shell().hideAllMenu();
    // An insertion still open is given up as by its Cancel; its panel would otherwise stay over the
    // page, also after the service mode is switched off.
    if (m_editor.insertPanelOpen())
        m_list->insertCancel();
    setServiceControlsVisible(false);
    m_list->clearRows();
    picture->setPicture(QStringLiteral("BtnS_03"));
}

void FirePage::confirm() {
    endRecording();
    AppState& s = state();
    const int preset = m_preset == 0 ? 1 : m_preset;
    closePage(m_confirmPicture);
    std::optional<core::ButtonCodeChange> presetButton;
    if (shell().workMode() == 2) { // Game Mode's profile
        const auto code =
            core::weaponPresetCode(preset - 1, m_leftKeyCheck->isChecked(), s.codeSuffixes.weapon);
        if (code && m_button >= 1 && m_button <= core::ButtonCodeTable::kButtons)
            presetButton = core::ButtonCodeChange{2, m_button, *code};
    }
    const core::EditResult result =
        core::confirmFirePage(context().cycle, s.buffers, s.settings.lighting.colours, presetButton);
    // Last: the key page that comes back names the code just stored.
    emit closed();
    // After the page is closed, so that the read that follows draws the key page the user returns to.
    if (result.partlyWritten())
        shell().reportNotStored(notstored::kFireKeys, true);
}

void FirePage::cancel() {
    endRecording();
    closePage(m_exitPicture);
    emit closed();
}

// --- the service-mode editor ----------------------------------------------------------------------

namespace {
// The access dialog is answered before the double-click is counted, so the page waits for it; the
// window behind stays closed to input meanwhile, or another double-click would open a second one.
std::optional<QString> askAccessCodeWithDialog(const AppState& state, QWidget* main) {
    QPointer<AccessCodeDialog> dialog = new AccessCodeDialog(state, main);
    std::optional<QString> answer;
    QObject::connect(dialog, &AccessCodeDialog::answered, [&answer](const QString& code) { answer = code; });
    QEventLoop wait;
    QObject::connect(dialog, &QObject::destroyed, &wait, &QEventLoop::quit);
    dialog->open();
    if (dialog)
        wait.exec();
    return answer;
}
} // namespace

void FirePage::setServiceControlsVisible(bool visible) {
    for (QWidget* w : std::initializer_list<QWidget*>{m_recordButton, m_recordPicture, m_fireNames,
                                                      m_fireEvents, m_delayBox, m_delayPicture})
        w->setVisible(visible);
}

void FirePage::mouseDoubleClickEvent(QMouseEvent* event) {
    const bool on = m_lock.doubleClicked([this]() -> std::optional<std::string> {
        const std::optional<QString> typed =
            m_askAccessCode ? m_askAccessCode(window()) : askAccessCodeWithDialog(state(), window());
        return typed ? std::optional<std::string>(typed->toStdString()) : std::nullopt;
    });
    setServiceControlsVisible(on);
    event->accept();
}

void FirePage::endRecording() {
    // The capture ends with the recording and Record shows its caption again.
    if (m_editor.recording())
        m_list->toggleRecording();
}

void FirePage::wireServiceEditor() {
    connect(m_fireNames, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { fireMacroChosen(m_fireNames->row(item)); });
    connect(m_fireEvents, &QListWidget::itemClicked, this, [this] { hideMenus(); });
    // Right-click menus: the name list offers Rename, the event list Delete and Insert.
    m_fireNames->viewport()->installEventFilter(this);
    m_fireEvents->viewport()->installEventFilter(this);
    connect(m_renameEntry, &CaptionLabel::clicked, this, [this] { renameFireMacro(); });

    EventListControls c;
    c.events = m_fireEvents;
    c.record = m_recordButton;
    c.recordPicture = m_recordPicture;
    c.delayBox = m_delayBox;
    c.delayPicture = m_delayPicture;
    c.delay = m_delayOptions;
    c.textColour = "Color_J";
    c.deleteEntry = m_deleteEntry;
    c.insertEntry = m_insertEntry;
    c.insertPanel = m_insertPanel;
    c.insertBacking = m_insertBacking;
    c.insertChoice = m_insertChoice;
    c.fireChoices = true;
    c.insertDelay = m_insertDelay;
    c.insertX = m_insertX;
    c.insertY = m_insertY;
    c.insertRepeat = m_insertRepeat;
    c.delayChoiceControls = {m_insertDelayCaption, m_insertDelay, m_insertDelayUnit};
    c.moveChoiceControls = {m_insertXCaption, m_insertX, m_insertYCaption, m_insertY};
    c.repeatChoiceControls = {m_insertRepeatCaption, m_insertRepeat};
    c.ok = m_ok;
    c.okPicture = m_okPicture;
    c.cancel = m_cancel;
    c.cancelPicture = m_cancelPicture;

    EventListHooks hooks;
    hooks.hideMenus = [this] { hideMenus(); };
    hooks.recordingChanged = [this](bool recording) { m_delayBox->setEnabled(!recording); };
    hooks.insertPanelChanged = [this](bool open) { m_fireNames->setEnabled(!open); };
    // "Stop Repeat" takes no count: its field is shown, but cannot be typed into.
    hooks.insertChoiceShown = [this](int item) {
        m_insertRepeat->setEnabled(core::insertChoiceOfItem(item, true) != core::InsertChoice::RepeatStop);
    };
    m_list = new EventListEditor(state(), shell(), this, m_rules, std::move(c), std::move(hooks));
}

bool FirePage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        auto* press = static_cast<QMouseEvent*>(event);
        const bool names = watched == m_fireNames->viewport();
        const bool events = watched == m_fireEvents->viewport();
        if ((names || events) && press->button() == Qt::RightButton) {
            hideMenus();
            QListWidget* list = names ? m_fireNames : m_fireEvents;
            const int row = list->row(list->itemAt(press->position().toPoint()));
            if (row >= 0) {
                list->setCurrentRow(row);
                if (names)
                    fireMacroChosen(row);
                else
                    m_editor.selectRow(row);
            }
            const bool offered = names ? m_editor.slot().has_value()
                                       : m_editor.slot().has_value() && m_editor.selectedRow().has_value();
            if (offered) {
                QWidget* menu = m_menus[names ? 0 : 1];
                menu->move(mapFromGlobal(press->globalPosition().toPoint()));
                menu->raise();
                menu->show();
            }
            return true;
        }
    }
    return Page::eventFilter(watched, event);
}

void FirePage::fireMacroChosen(int row) {
    hideMenus();
    if (row < 0 || row >= static_cast<int>(m_listedSlots.size()))
        return;
    m_editor.showSlot(m_listedSlots[static_cast<std::size_t>(row)]);
    m_list->redraw();
}

void FirePage::recordInput(const core::InputEvent& event) {
    m_list->recordInput(event);
}

void FirePage::setInputCapture(std::unique_ptr<platform::InputCapture> capture) {
    m_list->setInputCapture(std::move(capture));
}

void FirePage::renameFireMacro() {
    hideMenus();
    const auto slot = m_editor.slot();
    if (!slot)
        return;
    if (!m_nameDialog)
        m_nameDialog = new MacroNameDialog(state(), window());
    m_nameDialog->ask([this, slot](const QString& name) {
        // The dialog does not block the page: the name belongs to the macro it was asked for.
        if (m_editor.slot() != slot)
            return;
        if (m_editor.rename(name.toStdString()) == core::FireMacroEditor::RenameResult::Duplicate) {
            shell().showMessage("Str106");
            return;
        }
        refreshFireMacroNames();
    });
}

} // namespace tarvik::gui
