#include "gui/keys/KeysPage.h"

#include "core/keys/FunctionCodeName.h"
#include "core/text/LanguageTables.h"
#include "gui/skin/CaptionLabel.h"
#include "gui/skin/PictureControl.h"

#include <QCoreApplication>
#include <QListWidget>

#include <string>

namespace tarvik::gui {

namespace {
constexpr std::array<int, KeysPage::kButtons> kLabelOfLayoutButton{1, 4, 7, 2, 5, 8, 3, 6, 9, 10, 11, 12};
}

int KeysPage::labelOfLayoutButton(int layoutButton) {
    return kLabelOfLayoutButton.at(layoutButton - 1);
}

KeysPage::KeysPage(const PageContext& context, QWidget* parent)
    : Page(QStringLiteral("gbPage1"), context, parent),
      m_picture(new PictureControl(QStringLiteral("Img_P1"), this)), m_disable(nullptr) {
    m_picture->setPicture(QStringLiteral("L1_Back1"));
    setPagePicture(m_picture);
    connect(m_picture, &PictureControl::pressed, this, &KeysPage::hideAllMenu); // ClearAP
    for (int k = 1; k <= kButtons; ++k) {
        auto* picture = new PictureControl(QStringLiteral("Img_Key%1").arg(k), this);
        picture->setPicture(QStringLiteral("KeyS_01"));
        auto* label = new CaptionLabel(QStringLiteral("Key%1").arg(k), this);
        label->setAlignment(Qt::AlignCenter);
        label->setGeometry(picture->geometry());
        connect(label, &CaptionLabel::clicked, this, [this, k] { emit keyClicked(k); });
        m_keyPictures[k - 1] = picture;
        m_keys[k - 1] = label;
    }
    m_disable = new CaptionLabel(QStringLiteral("Disable"), this);
    m_disable->hide();
}

KeyMenus& KeysPage::menus() {
    if (m_menus)
        return *m_menus;
    m_menus = std::make_unique<KeyMenus>(this);
    // The menus open over everything else on the page.
    for (QObject* child : children())
        if (auto* w = qobject_cast<QWidget*>(child); w && w->objectName().startsWith(QLatin1String("Pnl_")))
            w->raise();
    m_menus->macroNames()->raise();
    m_disable->raise();
    m_menus->applyLayout(state());
    m_menus->applyLanguage(state());
    if (m_menuSizing.mode != 0)
        m_menus->sizeForMode(m_menuSizing.mode, m_menuSizing.gameModeEnabled, m_menuSizing.thirdModeEnabled);
    m_menus->macroNames()->addItems(m_macroNames);
    return *m_menus;
}

void KeysPage::sizeMenusForMode(int mode, bool gameModeEnabled, bool thirdModeEnabled) {
    m_menuSizing = {mode, gameModeEnabled, thirdModeEnabled};
    if (m_menus)
        m_menus->sizeForMode(mode, gameModeEnabled, thirdModeEnabled);
}

void KeysPage::setMacroNames(const QStringList& names) {
    m_macroNames = names;
    if (m_menus) {
        m_menus->macroNames()->clear();
        m_menus->macroNames()->addItems(names);
    }
}

void KeysPage::applyLayout() {
    const AppState& s = state();
    m_picture->move(s.layoutInt("P1_X"), s.layoutInt("P1_Y"));
    QFont font = m_keys[0]->font();
    if (const int size = s.layoutInt("Size_C"); size > 0)
        font.setPointSize(size);
    QPalette palette = m_keys[0]->palette();
    palette.setColor(QPalette::WindowText, s.layoutColor("Color_C"));
    for (int n = 1; n <= kButtons; ++n) {
        const std::string key = "Key" + std::to_string(n);
        const int k = labelOfLayoutButton(n);
        PictureControl* picture = m_keyPictures[k - 1];
        CaptionLabel* label = m_keys[k - 1];
        const bool enabled = s.layoutEnabled(key + "_Enable");
        picture->move(s.layoutInt(key + "_X"), s.layoutInt(key + "_Y"));
        label->setGeometry(picture->geometry());
        label->setFont(font);
        label->setPalette(palette);
        picture->setVisible(enabled);
        label->setVisible(enabled);
    }
    m_disable->setGeometry(s.layoutInt("Disable_X"), s.layoutInt("Disable_Y"), s.layoutInt("Disable_W"),
                           s.layoutInt("Disable_H"));
    m_disable->raise();
    if (m_menus)
        m_menus->applyLayout(s);
}

void KeysPage::applyLanguage() {
    const AppState& s = state();
    const QString fontName = s.text("FontName");
    const auto& tables = core::LanguageTables::builtIn();
    for (CaptionLabel* label : m_keys) {
        if (!fontName.isEmpty()) {
            QFont font = label->font();
            font.setFamily(fontName);
            label->setFont(font);
        }
        label->setText(
            QString::fromStdString(tables.carryCaption(label->text().toStdString(), s.languageIndex)));
    }
    if (m_menus)
        m_menus->applyLanguage(s);
}

void KeysPage::refreshFromImage() {
    if (const auto mode = state().buffers.workingImage.workMode())
        refreshProfileKeys(*mode);
}

void KeysPage::refreshProfileKeys(int mode) {
    const core::FunctionCodeContext naming = context().namingContext();
    const core::ConfigImage& image = state().buffers.workingImage;
    for (int k = 1; k <= kButtons; ++k) {
        const core::KeyCodeBytes bytes = image.keyCode(mode, k);
        const core::KeyFunctionCode code(bytes[0], bytes[1], bytes[2], bytes[3]);
        m_keys[k - 1]->setText(QString::fromStdString(core::functionCodeName(code, naming)));
    }
    QCoreApplication::processEvents();
}

void KeysPage::hideAllMenu() {
    if (m_menus)
        m_menus->hideAll();
}

void KeysPage::setDisableShown(bool shown) {
    m_disable->setVisible(shown);
    if (shown)
        m_disable->raise();
}

bool KeysPage::disableShown() const {
    return !m_disable->isHidden();
}

} // namespace tarvik::gui
