#include "gui/pages/AdvancedPage.h"

#include "core/cycle/ConfigCycle.h"
#include "core/device/DeviceLink.h"
#include "core/edit/KeyEdits.h"
#include "core/edit/SettingEdits.h"
#include "core/image/ConfigImage.h"
#include "core/keys/AimKey.h"
#include "gui/dialogs/MessageSeam.h"
#include "gui/pages/NotStored.h"
#include "gui/skin/CellBar.h"
#include "gui/skin/KeyboardFocus.h"
#include "gui/skin/PageControls.h"
#include "gui/skin/Skin.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

namespace tarvik::gui {

using namespace pages;

namespace {
const QSize kDpiCaptionSize(44, 16);
const QSize kDpiValueSize(40, 16);
const QSize kRateTargetSize(80, 20);
const QSize kOptionTargetSize(230, 18);
// Room of the words under a pointer control the desktop does not offer.
constexpr int kMissingNoteHeight = 14;
constexpr int kMissingNoteIndent = 6;
const QSize kRepeatEditSize(60, 24);
const QSize kDelayEditSize(80, 24);
const char* const kColourParts[3] = {"R", "G", "B"};

// An edit the mouse did not keep whole is said once (`what`: which kind of edit) and the mouse read
// again; not retried, as the read shows what the mouse holds.
void report(Shell& shell, const core::EditResult& result, const char* what = notstored::kSetting) {
    if (result.partlyWritten())
        shell.reportNotStored(what, true);
}
} // namespace

AdvancedPage::AdvancedPage(const PageContext& context, QWidget* parent)
    : Page(QStringLiteral("gbPage2"), context, parent) {
    setPagePicture(addPicture(this, QStringLiteral("Img_P2")));
    buildDpiRows();

    // The level and AIM captions only say what their row is: no stop of their own.
    m_aimCaption = addPlainCaption(this, QStringLiteral("lbl_AIMDPI"), QStringLiteral("AIM DPI"));
    m_aimCaption->resize(kDpiCaptionSize * 2);
    m_aimCaption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_aimValue = addLabel(this, QStringLiteral("lbl_AIMDPIValue"), kDpiValueSize);
    for (int k = 1; k <= kSteps; ++k)
        m_aimCells[k - 1] =
            addPicture(this, QStringLiteral("Img_AIMDPI_%1").arg(k), twoState("Bar2", k == 1));

    m_rateGroup = new QButtonGroup(this);
    for (int n = 1; n <= 4; ++n) {
        m_rateMarkers[n - 1] = addPicture(this, QStringLiteral("Img_Rep%1").arg(n), QStringLiteral("RdS_D"));
        m_rateTargets[n - 1] = addCaption(this, QStringLiteral("lbl_Rep%1").arg(n));
        m_rateTargets[n - 1]->resize(kRateTargetSize);
        addHiddenRadio(this, QStringLiteral("rb_Rep%1").arg(n), m_rateGroup);
    }

    for (int k = 1; k <= 3; ++k) {
        FireKeyRow& row = m_fireKeys[k - 1];
        row.count = addNumberEdit(this, QStringLiteral("Edt_Repeat%1").arg(k), kRepeatEditSize);
        row.delay = addNumberEdit(this, QStringLiteral("Edt_DelayTime%1").arg(k), kDelayEditSize);
        row.marker = addPicture(this, QStringLiteral("Img_Fire%1Continue").arg(k), QStringLiteral("CbS_D"));
        row.target = addCaption(this, QStringLiteral("lbl_Fire%1Continue").arg(k));
        row.check = addHiddenCheck(this, QStringLiteral("cb_Fire%1Continue").arg(k));
    }

    buildPointerControls();
    connectHandlers();
    buildKeyboardControls();
    setPointerSettings(nullptr);
}

void AdvancedPage::connectHandlers() {
    for (int n = 1; n <= kLevels; ++n) {
        DpiRow& row = m_rows[n - 1];
        for (int k = 1; k <= kSteps; ++k)
            connect(row.cells[k - 1], &PictureControl::pressed, this, [this, n, k] { dpiStepClicked(n, k); });
        connect(row.marker, &PictureControl::pressed, this, [this, n] { currentDpiClicked(n); });
        connect(row.colourTarget, &CaptionLabel::clicked, this, [this, n] { dpiColourClicked(n); });
    }
    for (int k = 1; k <= kSteps; ++k)
        connect(m_aimCells[k - 1], &PictureControl::pressed, this, [this, k] { aimStepClicked(k); });
    for (int n = 1; n <= 4; ++n)
        connect(m_rateTargets[n - 1], &CaptionLabel::clicked, this, [this, n] { reportRateClicked(n); });
    for (int k = 1; k <= 3; ++k) {
        FireKeyRow& row = m_fireKeys[k - 1];
        connect(row.count, &QLineEdit::textEdited, this, [this, k] { fireCountEdited(k); });
        connect(row.delay, &QLineEdit::textEdited, this, [this, k] { fireIntervalEdited(k); });
        connect(row.target, &CaptionLabel::clicked, this, [this, k] { fireContinuousClicked(k); });
    }
    for (PointerBar* bar : {&m_speed, &m_doubleClick, &m_wheel})
        for (int k = 1; k <= kPointerCells; ++k) {
            connect(bar->cells[k - 1], &PictureControl::pressed, this,
                    [this, bar, k] { pointerCellClicked(*bar, k); });
            connect(bar->captions[k - 1], &CaptionLabel::clicked, this,
                    [this, bar, k] { pointerCellClicked(*bar, k); });
        }
    connect(m_precisionTarget, &CaptionLabel::clicked, this, &AdvancedPage::precisionClicked);
    connect(m_screenTarget, &CaptionLabel::clicked, this, &AdvancedPage::oneScreenClicked);
}

void AdvancedPage::buildDpiRows() {
    m_dpiGroup = new QButtonGroup(this);
    for (int n = 1; n <= kLevels; ++n) {
        DpiRow& row = m_rows[n - 1];
        row.caption =
            addPlainCaption(this, QStringLiteral("lbl_DPI%1").arg(n), QStringLiteral("DPI%1").arg(n));
        row.caption->resize(kDpiCaptionSize);
        row.caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        row.value = addLabel(this, QStringLiteral("lbl_DPI%1Value").arg(n), kDpiValueSize);
        for (int k = 1; k <= kSteps; ++k)
            row.cells[k - 1] =
                addPicture(this, QStringLiteral("Img_DPI%1_%2").arg(n).arg(k), twoState("Bar2", k == 1));
        row.marker = addPicture(this, QStringLiteral("Img_DPI%1").arg(n), QStringLiteral("CbS_D"));
        addHiddenRadio(this, QStringLiteral("rb_DPI%1").arg(n), m_dpiGroup);
        // Stacked as the frame's see-through window needs: swatch, frame, click target.
        row.swatch = new ColourSwatch(QStringLiteral("cs_DPI%1Col").arg(n), this);
        row.frame = addPicture(this, QStringLiteral("Img_DPI%1Col").arg(n), QStringLiteral("Col_F"));
        row.colourTarget = addCaption(this, QStringLiteral("lbl_DPI%1Col").arg(n));
        for (int c = 0; c < 3; ++c)
            row.colourEdits[c] =
                addHiddenEdit(this, QStringLiteral("edt_DPI%1Col%2").arg(n).arg(kColourParts[c]));
    }
}

void AdvancedPage::buildPointerControls() {
    const auto buildBar = [this](PointerBar& bar, const QString& name) {
        for (int k = 1; k <= kPointerCells; ++k) {
            bar.cells[k - 1] =
                addPicture(this, QStringLiteral("Img_%1%2").arg(name).arg(k), twoState("Bar1", k == 1));
            // The numbers under the cells are clicked like the cells; the bar takes their keys.
            bar.captions[k - 1] =
                addPlainCaption(this, QStringLiteral("lbl_%1%2").arg(name).arg(k), QString::number(k));
            bar.captions[k - 1]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        }
    };
    buildBar(m_speed, QStringLiteral("Spd"));
    buildBar(m_doubleClick, QStringLiteral("DbSpd"));
    buildBar(m_wheel, QStringLiteral("ScrSpd"));

    m_precisionMarker = addPicture(this, QStringLiteral("Img_IsControl"), QStringLiteral("CbS_D"));
    m_precisionTarget = addCaption(this, QStringLiteral("lbl_IsControl"));
    m_precisionTarget->resize(kOptionTargetSize);
    addHiddenCheck(this, QStringLiteral("cb_IsControl"));
    m_screenMarker = addPicture(this, QStringLiteral("Img_IsScreen"), QStringLiteral("CbS_D"));
    m_screenTarget = addCaption(this, QStringLiteral("lbl_IsScreen"));
    m_screenTarget->resize(kOptionTargetSize);
    addHiddenCheck(this, QStringLiteral("cb_IsScreen"));

    const char* const notes[] = {"lbl_SpdMissing", "lbl_DbSpdMissing", "lbl_ScrSpdMissing",
                                 "lbl_IsControlMissing", "lbl_IsScreenMissing"};
    for (std::size_t n = 0; n < m_missingNotes.size(); ++n) {
        m_missingNotes[n] = addLabel(this, QString::fromLatin1(notes[n]), QSize(10, kMissingNoteHeight));
        m_missingNotes[n]->hide();
    }
}

void AdvancedPage::buildKeyboardControls() {
    const auto makeBar = [this](const QString& name, auto cells, std::function<int()> current) {
        auto* bar = new CellBar(name, this);
        bar->setCells(std::vector<QWidget*>(cells.begin(), cells.end()));
        bar->setCurrentSource(std::move(current));
        return bar;
    };
    const auto stepText = [this](int k) { return m_stepTexts[k - 1]; };
    for (int n = 1; n <= kLevels; ++n) {
        m_dpiBars[n - 1] = makeBar(QStringLiteral("bar_DPI%1").arg(n), m_rows[n - 1].cells, [this, n] {
            const core::DpiState& dpi = state().settings.dpi;
            return dpi.stepKnown[n - 1] ? dpi.stepIndex[n - 1] + 1 : 0;
        });
        m_dpiBars[n - 1]->setValueText(stepText);
        connect(m_dpiBars[n - 1], &CellBar::chosen, this, [this, n](int k) { dpiStepClicked(n, k); });
    }
    std::array<PictureControl*, kLevels> markers{};
    for (int n = 0; n < kLevels; ++n)
        markers[n] = m_rows[n].marker;
    m_currentBar = makeBar(QStringLiteral("bar_DPICurrent"), markers,
                           [this] { return state().settings.dpi.currentIndex + 1; });
    connect(m_currentBar, &CellBar::chosen, this, &AdvancedPage::currentDpiClicked);

    m_aimBar =
        makeBar(QStringLiteral("bar_AIMDPI"), m_aimCells, [this] { return state().settings.dpi.aimStep; });
    m_aimBar->setValueText(stepText);
    connect(m_aimBar, &CellBar::chosen, this, &AdvancedPage::aimStepClicked);

    const std::array<std::pair<PointerBar*, const char*>, 3> pointerBars{
        {{&m_speed, "Spd"}, {&m_doubleClick, "DbSpd"}, {&m_wheel, "ScrSpd"}}};
    for (int i = 0; i < 3; ++i) {
        PointerBar* bar = pointerBars[i].first;
        m_pointerBars[i] =
            makeBar(QStringLiteral("bar_") + QLatin1String(pointerBars[i].second), bar->cells, [this, i] {
                const core::PointerState& p = m_pointerState;
                if (i == 0)
                    return p.speedLevel;
                if (i == 1)
                    return p.doubleClickLevel;
                return p.wheelLevel == core::PointerState::kOneScreen ? p.savedWheelLevel : p.wheelLevel;
            });
        connect(m_pointerBars[i], &CellBar::chosen, this,
                [this, bar](int k) { pointerCellClicked(*bar, k); });
    }

    std::vector<CaptionLabel*> rates(m_rateTargets.begin(), m_rateTargets.end());
    keyboard::makeRadioGroup(rates);
    for (FireKeyRow& row : m_fireKeys)
        row.target->setAccessibleRole(QAccessible::CheckBox);
    m_precisionTarget->setAccessibleRole(QAccessible::CheckBox);
    m_screenTarget->setAccessibleRole(QAccessible::CheckBox);
}

// Names a screen reader says, in the language shown: the page's own words are part of its picture.
void AdvancedPage::nameControls() {
    const AppState& s = state();
    const QString steps = s.text("Str804");
    for (int n = 1; n <= kLevels; ++n) {
        m_dpiBars[n - 1]->setLabel(s.text("Str809").arg(n), steps);
        m_rows[n - 1].colourTarget->setAccessibleName(s.text("Str810").arg(n));
    }
    m_currentBar->setLabel(s.text("Str811"), steps);
    m_currentBar->setValueText([this](int n) { return m_rows[n - 1].caption->text(); });
    m_aimBar->setLabel(m_aimCaption->text(), steps);
    m_pointerBars[0]->setLabel(s.text("Str812"), steps);
    m_pointerBars[1]->setLabel(s.text("Str813"), steps);
    m_pointerBars[2]->setLabel(s.text("Str814"), steps);
    for (int n = 1; n <= 4; ++n)
        m_rateTargets[n - 1]->setAccessibleName(
            s.text("Str815").arg(core::ConfigImage::reportRateHzForCode(n - 1)));
    for (int k = 1; k <= 3; ++k) {
        FireKeyRow& row = m_fireKeys[k - 1];
        row.count->setAccessibleName(s.text("Str816").arg(k));
        row.delay->setAccessibleName(s.text("Str817").arg(k));
        row.target->setAccessibleName(s.text("Str818").arg(k));
    }
    m_precisionTarget->setAccessibleName(s.text("Str819"));
    m_screenTarget->setAccessibleName(s.text("Str820"));
}

// --- Layout

void AdvancedPage::layoutBar(const std::array<PictureControl*, kSteps>& cells, QPoint origin) {
    const int orientation = state().layoutInt("DPI_Orientation", 1);
    const QSize cell = cells[0]->size();
    for (int k = 0; k < kSteps; ++k) {
        if (orientation == 0)
            cells[k]->move(origin.x(), origin.y() - k * cell.height()); // the bar grows upwards
        else if (orientation == 1)
            cells[k]->move(origin.x() + k * cell.width(), origin.y());
    }
}

void AdvancedPage::layoutPointerBar(PointerBar& bar, const std::string& prefix) {
    const QPoint origin = layoutPoint(state(), prefix);
    const int w = bar.cells[0]->width();
    for (int k = 0; k < kPointerCells; ++k) {
        bar.cells[k]->move(origin.x() + k * w, origin.y());
        bar.captions[k]->setGeometry(origin.x() + k * w + 4, origin.y() + 20, w - 4, 16);
    }
}

void AdvancedPage::applyLayout() {
    const AppState& s = state();
    // The page picture itself is loaded when the page is opened (or the layout applied while it is
    // open): decoding every page's picture at start-up costs time and memory for nothing.
    pagePicture()->move(layoutPoint(s, "P2"));

    const int size = s.layoutInt("Size_D", 8);
    const QColor notSelected = s.layoutColor("Color_D_notSelected");
    for (int n = 1; n <= kLevels; ++n) {
        DpiRow& row = m_rows[n - 1];
        const std::string level = "DPI" + std::to_string(n);
        row.frame->move(layoutPoint(s, level + "_Color"));
        row.swatch->setGeometry(QRect(row.frame->pos(), row.frame->size()));
        placeOver(row.colourTarget, row.frame, row.frame->pos());
        row.marker->move(layoutPoint(s, level + "_Check"));
        row.caption->move(layoutPoint(s, level));
        row.value->move(layoutPoint(s, level + "_Value"));
        setTextLook(row.value, size, notSelected);
        layoutBar(row.cells, layoutPoint(s, level + "_Steps"));
    }
    styleDpiCaptions();

    m_aimCaption->move(layoutPoint(s, "AIMDPI"));
    setTextLook(m_aimCaption, size + 1, s.layoutColor("Color_D_Selected"));
    m_aimValue->move(layoutPoint(s, "AIMDPI_Value"));
    setTextLook(m_aimValue, size, notSelected);
    layoutBar(m_aimCells, layoutPoint(s, "AIMDPI_Steps"));

    for (int n = 1; n <= 4; ++n) {
        const QPoint at = layoutPoint(s, "Rep" + std::to_string(n));
        m_rateMarkers[n - 1]->move(at);
        m_rateTargets[n - 1]->move(at.x() - 4, at.y() - 2);
    }

    // The fire key edits are live edits: the selected text colour on the page's edit colours.
    const QColor editText = s.layoutColor("Color_D_Selected");
    const QColor back = s.layoutColor("Color_D_Back");
    const QColor border = s.layoutColor("Color_D_Border");
    for (int k = 1; k <= 3; ++k) {
        FireKeyRow& row = m_fireKeys[k - 1];
        const std::string key = "FK" + std::to_string(k);
        row.count->move(layoutPoint(s, key + "Cnt"));
        row.delay->move(layoutPoint(s, key + "Delay"));
        setEditLook(row.count, size, editText, back, border);
        setEditLook(row.delay, size, editText, back, border);
        const QPoint at = layoutPoint(s, key + "Continue");
        row.marker->move(at);
        placeOver(row.target, row.marker, QPoint(at.x() - 2, at.y()), 4);
    }

    layoutPointerBar(m_speed, "Spd");
    layoutPointerBar(m_doubleClick, "DbSpd");
    layoutPointerBar(m_wheel, "ScrSpd");
    for (PointerBar* bar : {&m_speed, &m_doubleClick, &m_wheel})
        for (CaptionLabel* caption : bar->captions) {
            setTextLook(caption, size, notSelected);
            greyWhenDisabled(caption);
        }
    const QPoint precision = layoutPoint(s, "IsControl");
    m_precisionMarker->move(precision);
    m_precisionTarget->move(precision.x() - 8, precision.y());
    const QPoint screen = layoutPoint(s, "IsScreen");
    m_screenMarker->move(screen);
    m_screenTarget->move(screen.x() - 2, screen.y());
    for (QWidget* target : {m_precisionTarget, m_screenTarget})
        greyWhenDisabled(target);
    showMissingNotes();
}

// Enabled levels read in the selected colour, the others in the not-selected one.
void AdvancedPage::styleDpiCaptions() {
    const int size = state().layoutInt("Size_D", 8) + 1;
    const QColor selected = state().layoutColor("Color_D_Selected");
    const QColor notSelected = state().layoutColor("Color_D_notSelected");
    const int enabled = state().settings.dpi.enabledLevels;
    for (int n = 1; n <= kLevels; ++n)
        setTextLook(m_rows[n - 1].caption, size, n <= enabled ? selected : notSelected);
}

void AdvancedPage::applyLanguage() {
    for (int i = 0; i < kSteps; ++i)
        m_stepTexts[i] = state().text(QStringLiteral("Str%1").arg(300 + i).toLatin1().constData());
    const core::DpiState& dpi = state().settings.dpi;
    for (int n = 1; n <= kLevels; ++n)
        if (dpi.stepKnown[n - 1])
            m_rows[n - 1].value->setText(m_stepTexts[dpi.stepIndex[n - 1]]);
    m_aimValue->setText(m_stepTexts[dpi.aimStep - 1]);
    nameControls();
    // The greyed controls' tips and notes say why in the language shown.
    if (m_pointerSettings)
        offerPointerSettings();
}

// --- Drawing

void AdvancedPage::lightStep(std::array<PictureControl*, kSteps>& cells, int step) {
    for (int k = 1; k <= kSteps; ++k)
        cells[k - 1]->setPicture(twoState("Bar2", k == step));
}

void AdvancedPage::showDpiStep(int level) {
    const int index = state().settings.dpi.stepIndex[level - 1];
    lightStep(m_rows[level - 1].cells, index + 1);
    m_rows[level - 1].value->setText(m_stepTexts[index]);
}

void AdvancedPage::showCurrentMarkers(int index) {
    for (int n = 1; n <= kLevels; ++n)
        m_rows[n - 1].marker->setPicture(twoState("CbS", n - 1 == index));
    if (index < 0 || index >= kLevels)
        return; // a failed read: nothing is current, the hidden choice stays
    findChild<QRadioButton*>(QStringLiteral("rb_DPI%1").arg(index + 1))->setChecked(true);
}

void AdvancedPage::showCurrentDpi() {
    showCurrentMarkers(state().settings.dpi.currentIndex);
}

void AdvancedPage::showReportRate(int code) {
    for (int n = 1; n <= 4; ++n) {
        m_rateMarkers[n - 1]->setPicture(twoState("RdS", n - 1 == code));
        m_rateTargets[n - 1]->setChecked(n - 1 == code);
    }
    findChild<QRadioButton*>(QStringLiteral("rb_Rep%1").arg(code + 1))->setChecked(true);
}

void AdvancedPage::showDpiColours(bool shown) {
    const core::ConfigImage& image = state().buffers.workingImage;
    for (int n = 1; n <= kLevels; ++n) {
        DpiRow& row = m_rows[n - 1];
        row.swatch->setVisible(shown);
        row.frame->setVisible(shown);
        row.colourTarget->setVisible(shown);
        if (!shown)
            continue;
        const core::Rgb rgb = image.dpiColor(n);
        row.colourEdits[0]->setText(QString::number(rgb.red));
        row.colourEdits[1]->setText(QString::number(rgb.green));
        row.colourEdits[2]->setText(QString::number(rgb.blue));
        row.swatch->setColour(QColor(rgb.red, rgb.green, rgb.blue));
    }
}

void AdvancedPage::refreshFromImage() {
    const core::ConfigImage& image = state().buffers.workingImage;
    const core::DpiState& dpi = state().settings.dpi;

    for (int n = 1; n <= kLevels; ++n) {
        DpiRow& row = m_rows[n - 1];
        const bool enabled = n <= dpi.enabledLevels; // rows beyond the count stay visible but inert
        for (PictureControl* cell : row.cells)
            cell->setEnabled(enabled);
        row.marker->setEnabled(enabled);
        row.colourTarget->setEnabled(enabled);
    }
    styleDpiCaptions();

    for (int n = 1; n <= kLevels; ++n)
        if (dpi.stepKnown[n - 1])
            showDpiStep(n);

    showReportRate(image.reportRateCode());
    showDpiColours(state().settings.lighting.kind != core::LightingKind::Sync);
    showCurrentMarkers(image.currentDpi());
    showFireKeys();
    showAimStep();
}

void AdvancedPage::profileShown(int /*mode*/) {
    showFireKeys();
    showAimStep();
}

void AdvancedPage::showFireKeys() {
    for (int k = 1; k <= 3; ++k) {
        const core::FireKeySetting& key = state().settings.fireKeys[k - 1];
        FireKeyRow& row = m_fireKeys[k - 1];
        row.count->setText(QString::number(key.count));
        row.delay->setText(QString::number(key.delay));
        row.check->setChecked(key.continuous);
        row.marker->setPicture(twoState("CbS", key.continuous));
        row.target->setChecked(key.continuous);
    }
}

void AdvancedPage::setAimStep(int step) {
    if (step < 1 || step > kSteps)
        return;
    state().settings.dpi.aimStep = step;
    showAimStep();
}

void AdvancedPage::showAimStep() {
    const int step = state().settings.dpi.aimStep;
    lightStep(m_aimCells, step);
    m_aimValue->setText(m_stepTexts[step - 1]);
}

// --- Handlers of the mouse's settings

void AdvancedPage::dpiStepClicked(int level, int step) {
    const core::EditResult result =
        core::setDpiStep(context().cycle, context().link, state().settings.dpi, level, step);
    if (result.refusal == core::EditRefusal::NotAllowed)
        return; // a level beyond the enabled ones is inert
    showDpiStep(level);
    report(shell(), result);
}

void AdvancedPage::currentDpiClicked(int level) {
    const core::EditResult result =
        core::setCurrentDpi(context().cycle, context().link, state().settings.dpi, level);
    if (result.refusal == core::EditRefusal::NotAllowed)
        return;
    showCurrentDpi();
    report(shell(), result);
}

void AdvancedPage::dpiColourClicked(int level) {
    if (state().applyingImage || level > state().settings.dpi.enabledLevels)
        return;
    DpiRow& row = m_rows[level - 1];
    const QColor colour = MessageSeam::chooseColor(this, row.swatch->colour());
    if (!colour.isValid())
        return; // cancelled: nothing changes
    row.swatch->setColour(colour);
    row.colourEdits[0]->setText(QString::number(colour.red()));
    row.colourEdits[1]->setText(QString::number(colour.green()));
    row.colourEdits[2]->setText(QString::number(colour.blue()));
    const core::Rgb rgb{static_cast<core::Byte>(row.colourEdits[0]->text().toInt()),
                        static_cast<core::Byte>(row.colourEdits[1]->text().toInt()),
                        static_cast<core::Byte>(row.colourEdits[2]->text().toInt())};
    report(shell(), core::setDpiColour(context().cycle, context().link, state().settings.dpi, level, rgb));
}

void AdvancedPage::aimStepClicked(int step) {
    if (step < 1 || step > core::kAimSteps)
        return;
    const core::EditResult result =
        core::setAimStep(context().cycle, state().buffers, state().settings.dpi, step);
    showAimStep(); // without an AIM key the bar goes back to its first step
    if (result.refusal == core::EditRefusal::NotAllowed)
        shell().showMessage("Str105"); // the step needs a button with the AIM key
    report(shell(), result, notstored::kKeys);
}

void AdvancedPage::reportRateClicked(int n) {
    showReportRate(n - 1);
    // A new rate restarts the mouse once it has the write; the restart reads the mouse again.
    const core::EditResult result =
        core::setReportRate(context().cycle, context().link, state().settings.dpi,
                            state().buffers.workingImage, n - 1, [this] { shell().resetAndRefind(); });
    report(shell(), result);
}

std::array<core::FireKeySetting, 3> AdvancedPage::fireKeysFromEdits() const {
    std::array<core::FireKeySetting, 3> settings = state().settings.fireKeys;
    for (int k = 1; k <= 3; ++k) {
        const FireKeyRow& row = m_fireKeys[k - 1];
        core::FireKeySetting& setting = settings[k - 1];
        setting.count = std::stoi(core::correctFireCount(row.count->text().toStdString()));
        setting.delay =
            static_cast<std::uint16_t>(std::stoi(core::correctFireInterval(row.delay->text().toStdString())));
        setting.continuous = row.check->isChecked();
    }
    return settings;
}

void AdvancedPage::sendFireKeys() {
    report(shell(),
           core::setFireKeys(context().cycle, state().buffers, state().settings, context().namingContext(),
                             fireKeysFromEdits()),
           notstored::kKeys);
}

void AdvancedPage::fireCountEdited(int key) {
    QLineEdit* edit = m_fireKeys[key - 1].count;
    const QString corrected = QString::fromStdString(core::correctFireCount(edit->text().toStdString()));
    if (corrected != edit->text())
        edit->setText(corrected);
    if (context().link.connected())
        sendFireKeys();
}

void AdvancedPage::fireIntervalEdited(int key) {
    QLineEdit* edit = m_fireKeys[key - 1].delay;
    const QString corrected = QString::fromStdString(core::correctFireInterval(edit->text().toStdString()));
    if (corrected != edit->text())
        edit->setText(corrected);
    if (context().link.connected())
        sendFireKeys();
}

void AdvancedPage::fireContinuousClicked(int key) {
    FireKeyRow& row = m_fireKeys[key - 1];
    row.check->setChecked(!row.check->isChecked());
    row.marker->setPicture(twoState("CbS", row.check->isChecked()));
    row.target->setChecked(row.check->isChecked());
    sendFireKeys();
}

// --- The desktop's pointer settings

QString AdvancedPage::missingSettingTip() const {
    return state().text("Str821");
}

bool AdvancedPage::supports(platform::PointerSetting setting) const {
    return m_pointerSettings && m_pointerSettings->supports(setting);
}

void AdvancedPage::setPointerSettings(platform::PointerSettings* settings) {
    m_pointerSettings = settings;
    offerPointerSettings();
    showPointerState();
}

void AdvancedPage::offerPointerSettings() {
    using platform::PointerSetting;
    const auto offer = [this](QWidget* widget, bool offered) {
        widget->setEnabled(offered);
        widget->setToolTip(offered ? QString() : missingSettingTip());
        greyWhenDisabled(widget);
    };
    const auto offerBar = [&](PointerBar& bar, bool offered) {
        for (int k = 0; k < kPointerCells; ++k) {
            offer(bar.cells[k], offered);
            offer(bar.captions[k], offered);
        }
    };
    offerBar(m_speed, supports(PointerSetting::Speed));
    offerBar(m_doubleClick, supports(PointerSetting::DoubleClickTime));
    offerBar(m_wheel, supports(PointerSetting::WheelLines));
    offer(m_precisionTarget, supports(PointerSetting::Precision));
    offer(m_precisionMarker, supports(PointerSetting::Precision));
    offer(m_screenTarget, supports(PointerSetting::WheelOneScreen));
    offer(m_screenMarker, supports(PointerSetting::WheelOneScreen));
    showMissingNotes();
}

void AdvancedPage::greyWhenDisabled(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Disabled, QPalette::WindowText, kDisabledTextColour);
    palette.setColor(QPalette::Disabled, QPalette::Text, kDisabledTextColour);
    widget->setPalette(palette);
}

void AdvancedPage::showMissingNotes() {
    using platform::PointerSetting;
    const int size = state().layoutInt("Size_D", 8);
    // Under a bar's numbers, or under an option's words: where the user looks at the greyed control.
    const auto place = [&](int n, bool missing, QPoint at, int width) {
        QLabel* note = m_missingNotes[static_cast<std::size_t>(n)];
        note->setText(missingSettingTip());
        setTextLook(note, size, kDisabledTextColour);
        note->setGeometry(at.x(), at.y(), width, kMissingNoteHeight);
        note->setVisible(missing);
    };
    const auto underBar = [&](int n, const PointerBar& bar, PointerSetting setting) {
        const QRect numbers = bar.captions.front()->geometry().united(bar.captions.back()->geometry());
        place(n, !supports(setting), QPoint(bar.cells.front()->x(), numbers.bottom() + 1),
              bar.cells.back()->geometry().right() - bar.cells.front()->x());
    };
    underBar(0, m_speed, PointerSetting::Speed);
    underBar(1, m_doubleClick, PointerSetting::DoubleClickTime);
    underBar(2, m_wheel, PointerSetting::WheelLines);
    const int width = m_speed.cells.back()->geometry().right() - m_speed.cells.front()->x();
    const auto underOption = [&](int n, const PictureControl* marker, const CaptionLabel* target,
                                 PointerSetting setting) {
        place(n, !supports(setting),
              QPoint(marker->geometry().right() + kMissingNoteIndent, target->geometry().bottom() + 1),
              width - marker->width() - kMissingNoteIndent);
    };
    underOption(3, m_precisionMarker, m_precisionTarget, PointerSetting::Precision);
    underOption(4, m_screenMarker, m_screenTarget, PointerSetting::WheelOneScreen);
}

void AdvancedPage::readPointerSettings() {
    if (!m_pointerSettings)
        return;
    const platform::PointerValues read = m_pointerSettings->read();
    m_pointerState.takeRead({read.speed, read.precision, read.doubleClickMs, read.wheelLines});
    showPointerState();
}

void AdvancedPage::showPointerState() {
    const auto showLevel = [](PointerBar& bar, int level) {
        if (level < 1)
            return;
        for (int k = 1; k <= kPointerCells; ++k)
            bar.cells[k - 1]->setPicture(twoState("Bar1", k == level));
    };
    const core::PointerState& p = m_pointerState;
    showLevel(m_speed, p.speedLevel);
    showLevel(m_doubleClick, p.doubleClickLevel);
    const bool oneScreen = p.wheelLevel == core::PointerState::kOneScreen;
    showLevel(m_wheel, oneScreen ? p.savedWheelLevel : p.wheelLevel);
    if (supports(platform::PointerSetting::WheelLines))
        for (int k = 0; k < kPointerCells; ++k) {
            m_wheel.cells[k]->setEnabled(!oneScreen);
            m_wheel.captions[k]->setEnabled(!oneScreen);
        }
    m_precisionMarker->setPicture(twoState("CbS", p.precision));
    m_precisionTarget->setChecked(p.precision);
    m_screenTarget->setChecked(oneScreen);
    findChild<QCheckBox*>(QStringLiteral("cb_IsControl"))->setChecked(p.precision);
    m_screenMarker->setPicture(twoState("CbS", oneScreen));
    findChild<QCheckBox*>(QStringLiteral("cb_IsScreen"))->setChecked(oneScreen);
}

void AdvancedPage::pointerCellClicked(PointerBar& bar, int level) {
    if (&bar == &m_speed)
        m_pointerState.speedLevel = level;
    else if (&bar == &m_doubleClick)
        m_pointerState.doubleClickLevel = level;
    else
        m_pointerState.chooseWheelLevel(level);
    showPointerState();
    applyPointerSettings();
}

void AdvancedPage::precisionClicked() {
    m_pointerState.precision = !m_pointerState.precision;
    showPointerState();
    applyPointerSettings();
}

void AdvancedPage::oneScreenClicked() {
    m_pointerState.setOneScreen(m_pointerState.wheelLevel != core::PointerState::kOneScreen);
    showPointerState();
    applyPointerSettings();
}

// Every setting the desktop has is applied after each change, as one set of values.
void AdvancedPage::applyPointerSettings() {
    if (!m_pointerSettings)
        return;
    using platform::PointerSetting;
    const core::PointerValuesRead v = m_pointerState.values();
    platform::PointerValues values;
    if (supports(PointerSetting::Speed))
        values.speed = v.speed;
    if (supports(PointerSetting::Precision))
        values.precision = v.precision;
    if (supports(PointerSetting::DoubleClickTime))
        values.doubleClickMs = v.doubleClickMs;
    if (v.wheelLines &&
        supports(*v.wheelLines == core::PointerState::kOneScreen ? PointerSetting::WheelOneScreen
                                                                 : PointerSetting::WheelLines))
        values.wheelLines = v.wheelLines;
    // Failures are not reported: the next read-back shows what the desktop holds.
    m_pointerSettings->write(values);
}

} // namespace tarvik::gui
