#include "gui/pages/AdvancedPage.h"

#include "gui/pages/PageControls.h"

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
const QSize kRepeatEditSize(60, 24);
const QSize kDelayEditSize(80, 24);
const char* const kColourParts[3] = {"R", "G", "B"};
} // namespace

AdvancedPage::AdvancedPage(const PageContext& context, QWidget* parent)
    : Page(QStringLiteral("gbPage2"), context, parent) {
    setPagePicture(addPicture(this, QStringLiteral("Img_P2")));
    buildDpiRows();

    m_aimCaption = addCaption(this, QStringLiteral("lbl_AIMDPI"), QStringLiteral("AIM DPI"));
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
}

void AdvancedPage::buildDpiRows() {
    m_dpiGroup = new QButtonGroup(this);
    for (int n = 1; n <= kLevels; ++n) {
        DpiRow& row = m_rows[n - 1];
        row.caption = addCaption(this, QStringLiteral("lbl_DPI%1").arg(n), QStringLiteral("DPI%1").arg(n));
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
            bar.captions[k - 1] =
                addCaption(this, QStringLiteral("lbl_%1%2").arg(name).arg(k), QString::number(k));
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
        for (CaptionLabel* caption : bar->captions)
            setTextLook(caption, size, notSelected);
    const QPoint precision = layoutPoint(s, "IsControl");
    m_precisionMarker->move(precision);
    m_precisionTarget->move(precision.x() - 8, precision.y());
    const QPoint screen = layoutPoint(s, "IsScreen");
    m_screenMarker->move(screen);
    m_screenTarget->move(screen.x() - 2, screen.y());
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

void AdvancedPage::showPointerSettings(const PointerParameters& parameters) {
    const auto showLevel = [](PointerBar& bar, std::optional<int> level) {
        if (!level)
            return;
        for (int k = 1; k <= kPointerCells; ++k)
            bar.cells[k - 1]->setPicture(twoState("Bar1", k == *level));
    };
    showLevel(m_speed, core::pointerSpeedLevel(parameters.speed));
    showLevel(m_doubleClick, core::doubleClickLevel(parameters.doubleClickMs));
    const bool oneScreen = parameters.wheelLines == -1;
    if (!oneScreen)
        showLevel(m_wheel, core::wheelLevel(parameters.wheelLines));
    for (int k = 0; k < kPointerCells; ++k) {
        m_wheel.cells[k]->setEnabled(!oneScreen);
        m_wheel.captions[k]->setEnabled(!oneScreen);
    }
    m_precisionMarker->setPicture(twoState("CbS", parameters.precision));
    findChild<QCheckBox*>(QStringLiteral("cb_IsControl"))->setChecked(parameters.precision);
    m_screenMarker->setPicture(twoState("CbS", oneScreen));
    findChild<QCheckBox*>(QStringLiteral("cb_IsScreen"))->setChecked(oneScreen);
}

void AdvancedPage::showReportRate(int code) {
    for (int n = 1; n <= 4; ++n)
        m_rateMarkers[n - 1]->setPicture(twoState("RdS", n - 1 == code));
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

} // namespace tarvik::gui
