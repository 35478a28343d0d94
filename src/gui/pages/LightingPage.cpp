#include "gui/pages/LightingPage.h"

#include "core/edit/SettingEdits.h"
#include "gui/dialogs/MessageSeam.h"
#include "gui/pages/NotStored.h"
#include "gui/skin/CellBar.h"
#include "gui/skin/KeyboardFocus.h"
#include "gui/skin/PageControls.h"

#include <QButtonGroup>
#include <QLineEdit>

namespace tarvik::gui {

using namespace pages;

namespace {
const QSize kModeTargetSize(180, 20);
const char* const kColourParts[3] = {"R", "G", "B"};

// A setting the mouse did not take is said once and the mouse read again; not retried, as the read
// shows what the mouse holds.
void report(Shell& shell, const core::EditResult& result) {
    if (result.partlyWritten())
        shell.reportNotStored(notstored::kSetting, true);
}

QString modeName(int mode) {
    return mode == 0 ? QStringLiteral("Off") : QStringLiteral("LED%1").arg(mode);
}
} // namespace

LightingPage::LightingPage(const PageContext& context, QWidget* parent)
    : Page(QStringLiteral("gbPage3"), context, parent) {
    setPagePicture(addPicture(this, QStringLiteral("Img_P3")));
    m_modeGroup = new QButtonGroup(this);
    for (int mode = 0; mode <= kModes; ++mode) {
        m_modeMarkers[mode] =
            addPicture(this, QStringLiteral("Img_") + modeName(mode), QStringLiteral("RdS_D"));
        // No caption: the effect names are part of the page picture.
        m_modeTargets[mode] = addCaption(this, QStringLiteral("lbl_") + modeName(mode));
        m_modeTargets[mode]->resize(kModeTargetSize);
        addHiddenRadio(this, QStringLiteral("rb_") + modeName(mode), m_modeGroup);
    }
    for (int k = 1; k <= kFallCells; ++k) {
        m_fallCells[k - 1] = addPicture(this, QStringLiteral("Img_Fall%1").arg(k), twoState("Bar1", k == 1));
        m_fallCaptions[k - 1] =
            addPlainCaption(this, QStringLiteral("lbl_Fall%1").arg(k), QString::number(k));
        m_fallCaptions[k - 1]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    for (int c = 1; c <= kColours; ++c) {
        ColourControls& colour = m_colours[c - 1];
        colour.swatch = new ColourSwatch(QStringLiteral("cs_Col%1").arg(c), this);
        colour.frame = addPicture(this, QStringLiteral("Img_Col%1").arg(c), QStringLiteral("Col_F"));
        colour.target = addCaption(this, QStringLiteral("lbl_Col%1").arg(c));
        for (int part = 0; part < 3; ++part)
            colour.edits[part] =
                addHiddenEdit(this, QStringLiteral("Edt_Col%1%2").arg(c).arg(kColourParts[part]));
    }

    for (int mode = 0; mode <= kModes; ++mode)
        connect(m_modeTargets[mode], &CaptionLabel::clicked, this, [this, mode] { modeClicked(mode); });
    for (int k = 1; k <= kFallCells; ++k)
        connect(m_fallCells[k - 1], &PictureControl::pressed, this, [this, k] { fallClicked(k); });
    for (int c = 1; c <= kColours; ++c)
        connect(m_colours[c - 1].target, &CaptionLabel::clicked, this, [this, c] { colourClicked(c); });

    // Keys and screen readers: the effects are a radio group, the step-time cells one bar whose keys
    // click the cells (the numbers beneath them need no stop of their own).
    keyboard::makeRadioGroup(std::vector<CaptionLabel*>(m_modeTargets.begin(), m_modeTargets.end()));
    m_fallBar = new CellBar(QStringLiteral("bar_Fall"), this);
    m_fallBar->setCells(std::vector<QWidget*>(m_fallCells.begin(), m_fallCells.end()));
    m_fallBar->setCurrentSource([this] { return state().settings.lighting.fallLevel; });
    connect(m_fallBar, &CellBar::chosen, this, &LightingPage::fallClicked);
}

void LightingPage::applyLayout() {
    const AppState& s = state();
    // The page picture itself is loaded when the page is opened (or the layout applied while it is
    // open): decoding every page's picture at start-up costs time and memory for nothing.
    pagePicture()->move(layoutPoint(s, "P3"));

    for (int mode = 0; mode <= kModes; ++mode) {
        const QPoint at =
            layoutPoint(s, mode == 0 ? std::string("LEDOff") : "LEDMode" + std::to_string(mode));
        m_modeMarkers[mode]->move(at);
        m_modeTargets[mode]->move(at.x() - 4, at.y() - 2);
    }

    const QPoint step = layoutPoint(s, "StepTime");
    const int w = m_fallCells[0]->width();
    const int size = s.layoutInt("Size_E", 9);
    const QColor text = s.layoutColor("Color_E");
    for (int k = 0; k < kFallCells; ++k) {
        m_fallCells[k]->move(step.x() + k * w + 78, step.y());
        m_fallCaptions[k]->setGeometry(step.x() + k * w + 82, step.y() + 20, w - 4, 16);
        setTextLook(m_fallCaptions[k], size, text);
    }

    for (int c = 1; c <= kColours; ++c) {
        ColourControls& colour = m_colours[c - 1];
        colour.frame->move(layoutPoint(s, "LEDColor" + std::to_string(c)));
        colour.swatch->setGeometry(QRect(colour.frame->pos(), colour.frame->size()));
        placeOver(colour.target, colour.frame, colour.frame->pos());
    }
}

// The effect names are part of the page picture: a screen reader gets them in words.
void LightingPage::applyLanguage() {
    const AppState& s = state();
    m_modeTargets[0]->setAccessibleName(s.text("Str805"));
    for (int mode = 1; mode <= kModes; ++mode)
        m_modeTargets[mode]->setAccessibleName(s.text("Str806").arg(mode));
    m_fallBar->setLabel(s.text("Str807"), s.text("Str804"));
    for (int c = 1; c <= kColours; ++c)
        m_colours[c - 1].target->setAccessibleName(s.text("Str808").arg(c));
}

void LightingPage::showFallLevel(int level) {
    for (int k = 1; k <= kFallCells; ++k)
        m_fallCells[k - 1]->setPicture(twoState("Bar1", k == level));
}

void LightingPage::showMode(int mode) {
    findChild<QRadioButton*>(QStringLiteral("rb_") + modeName(mode))->setChecked(true);
    for (int m = 0; m <= kModes; ++m) {
        m_modeMarkers[m]->setPicture(twoState("RdS", m == mode));
        m_modeTargets[m]->setChecked(m == mode);
    }
    for (PictureControl* cell : m_fallCells)
        cell->setEnabled(mode != 0); // no step time while the lighting is off
}

void LightingPage::refreshFromImage() {
    const core::LightingState& lighting = state().settings.lighting;
    showFallLevel(lighting.fallLevel);

    for (int mode = 3; mode <= kModes; ++mode) {
        m_modeMarkers[mode]->setVisible(core::lightingOffersMode(lighting.kind, mode));
        m_modeTargets[mode]->setVisible(core::lightingOffersMode(lighting.kind, mode));
    }
    if (lighting.mode >= 0)
        showMode(lighting.mode);

    const bool colours = lighting.kind != core::LightingKind::Sync;
    for (int c = 1; c <= kColours; ++c) {
        ColourControls& colour = m_colours[c - 1];
        colour.swatch->setVisible(colours);
        colour.frame->setVisible(colours);
        colour.target->setVisible(colours);
        if (!colours)
            continue;
        const core::Rgb rgb = lighting.colour(c);
        colour.edits[0]->setText(QString::number(rgb.red));
        colour.edits[1]->setText(QString::number(rgb.green));
        colour.edits[2]->setText(QString::number(rgb.blue));
        colour.swatch->setColour(QColor(rgb.red, rgb.green, rgb.blue));
    }
}

// --- Handlers

void LightingPage::modeClicked(int mode) {
    const core::EditResult result = core::setLightingMode(
        context().cycle, context().link, state().settings.lighting, state().buffers.workingImage, mode);
    if (result.refusal == core::EditRefusal::NotAllowed)
        return; // a hidden effect
    showMode(mode);
    report(shell(), result);
}

void LightingPage::fallClicked(int level) {
    showFallLevel(level);
    report(shell(), core::setStepTime(context().cycle, context().link, state().settings.lighting,
                                      state().buffers.workingImage, level));
}

void LightingPage::colourClicked(int c) {
    if (state().applyingImage)
        return;
    ColourControls& colour = m_colours[c - 1];
    const QColor chosen = MessageSeam::chooseColor(this, colour.swatch->colour());
    if (!chosen.isValid())
        return; // cancelled: nothing changes
    colour.swatch->setColour(chosen);
    colour.edits[0]->setText(QString::number(chosen.red()));
    colour.edits[1]->setText(QString::number(chosen.green()));
    colour.edits[2]->setText(QString::number(chosen.blue()));
    const core::Rgb rgb{static_cast<core::Byte>(colour.edits[0]->text().toInt()),
                        static_cast<core::Byte>(colour.edits[1]->text().toInt()),
                        static_cast<core::Byte>(colour.edits[2]->text().toInt())};
    // The fire slots show these colours too: the shared settings carry the new one.
    report(shell(),
           core::setLightingColour(context().cycle, context().link, state().settings.lighting, c, rgb));
}

} // namespace tarvik::gui
