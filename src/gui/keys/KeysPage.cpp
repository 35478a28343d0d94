#include "gui/keys/KeysPage.h"

#include "core/cycle/ConfigCycle.h"
#include "core/edit/KeyEdits.h"
#include "core/keys/ButtonAssignment.h"
#include "core/keys/FunctionCodeCatalogue.h"
#include "core/keys/FunctionCodeName.h"
#include "core/text/LanguageTables.h"
#include "gui/dialogs/AssemblyKeyDialog.h"
#include "gui/pages/NotStored.h"
#include "gui/skin/CaptionLabel.h"
#include "gui/skin/KeyboardFocus.h"
#include "gui/skin/PictureControl.h"

#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QListWidget>
#include <QPointer>

#include <string>

#include <algorithm>

namespace tarvik::gui {

namespace {
constexpr std::array<int, KeysPage::kButtons> kLabelOfLayoutButton{1, 4, 7, 2, 5, 8, 3, 6, 9, 10, 11, 12};

// The caption is already drawn: a commit the mouse did not keep must be said, and the buttons drawn
// again from what the mouse holds.
void report(Shell& shell, const core::EditResult& result) {
    if (result.partlyWritten())
        shell.reportNotStored(notstored::kKeys, true);
}
} // namespace

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
        connect(label, &CaptionLabel::clicked, this, [this, k] { showMainMenu(k); });
        // The menus a button opens are made while the pointer or the keyboard rests on it, before
        // the click or the key that opens them.
        for (auto on : {&CaptionLabel::entered, &CaptionLabel::focusEntered})
            connect(label, on, this, [this] { shell().pointerOnPageEntry(1); });
        for (auto off : {&CaptionLabel::left, &CaptionLabel::focusLeft})
            connect(label, off, this, [this] { shell().pointerOffPageEntry(); });
        m_keyPictures[k - 1] = picture;
        m_keys[k - 1] = label;
    }
    m_disable = new CaptionLabel(QStringLiteral("Disable"), this);
    keyboard::markCover(m_disable); // a cover, not a control
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
    m_menus->setMacroNames(m_macroNames);
    wireMenus();
    return *m_menus;
}

void KeysPage::sizeMenusForMode(int mode, bool gameModeEnabled, bool thirdModeEnabled) {
    m_menuSizing = {mode, gameModeEnabled, thirdModeEnabled};
    if (m_menus)
        m_menus->sizeForMode(mode, gameModeEnabled, thirdModeEnabled);
}

void KeysPage::setMacroNames(const QStringList& names) {
    m_macroNames = names;
    if (m_menus)
        m_menus->setMacroNames(names);
}

void KeysPage::deviceMacroTableChanged() {
    QStringList names;
    for (const auto& name : context().cycle.deviceMacroTable().names())
        names << QString::fromStdString(name);
    setMacroNames(names);
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

void KeysPage::wireMenus() {
    for (CaptionLabel* entry : m_menus->entries()) {
        const QString name = entry->objectName();
        entry->installEventFilter(this);
        if (entry->property(KeyMenus::kGroupProperty).toBool()) {
            connect(entry, &CaptionLabel::entered, this, [this, entry] { openSubMenu(entry); });
            continue;
        }
        if (name == QLatin1String("Key_Assembly") || name == QLatin1String("Key_FireMacro")) {
            // Leaves of the first level close every deeper menu.
            connect(entry, &CaptionLabel::entered, this, [this] {
                m_menus->hideLevel(2);
                m_menus->hideLevel(3);
            });
            if (name == QLatin1String("Key_Assembly"))
                connect(entry, &CaptionLabel::clicked, this, &KeysPage::openAssemblyKey);
            else {
                connect(entry, &CaptionLabel::clicked, this, &KeysPage::openFireMacro);
                // The fire page is built while the pointer or the keyboard rests here, before the
                // entry opens it.
                for (auto on : {&CaptionLabel::entered, &CaptionLabel::focusEntered})
                    connect(entry, on, this, [this] { shell().pointerOnPageEntry(6); });
                for (auto off : {&CaptionLabel::left, &CaptionLabel::focusLeft})
                    connect(entry, off, this, [this] { shell().pointerOffPageEntry(); });
            }
            continue;
        }
        if (entry->parentWidget()->objectName() == QLatin1String("Pnl_Special"))
            connect(entry, &CaptionLabel::entered, this, [this] { m_menus->hideLevel(3); });
        connect(entry, &CaptionLabel::clicked, this, [this, entry] { assignEntry(entry); });
    }
    connect(m_menus->macroNames(), &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { assignMacro(m_menus->macroNames()->row(item)); });
}

bool KeysPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress)
        if (auto* entry = qobject_cast<CaptionLabel*>(watched))
            if (static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier &&
                menuKey(entry, static_cast<QKeyEvent*>(event)->key()))
                return true;
    return Page::eventFilter(watched, event);
}

void KeysPage::focusEntry(QWidget* panel, CaptionLabel* from, int step) {
    // Entries in the order the eye reads them: top to bottom.
    QList<CaptionLabel*> shown;
    for (auto* entry : panel->findChildren<CaptionLabel*>(Qt::FindDirectChildrenOnly))
        if (entry->isVisible())
            shown << entry;
    if (shown.isEmpty())
        return;
    std::sort(shown.begin(), shown.end(), [](const QWidget* a, const QWidget* b) { return a->y() < b->y(); });
    const qsizetype at = from ? shown.indexOf(from) : -1;
    const qsizetype next = at < 0 ? 0 : (at + step + shown.size()) % shown.size();
    shown.at(next)->setFocus(Qt::TabFocusReason);
}

bool KeysPage::menuKey(CaptionLabel* entry, int pressed) {
    QWidget* panel = entry->parentWidget();
    const bool group = entry->property(KeyMenus::kGroupProperty).toBool();
    switch (pressed) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        focusEntry(panel, entry, pressed == Qt::Key_Up ? -1 : 1);
        return true;
    case Qt::Key_Right:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!group)
            return false; // Enter on a leaf is its click
        openSubMenu(entry);
        if (QWidget* menu = m_menus->subMenu(entry->property("tag").toInt()); menu && menu->isVisible()) {
            menu->setProperty("openedBy", QVariant::fromValue(static_cast<QObject*>(entry)));
            if (menu == m_menus->macroNames())
                menu->setFocus(Qt::TabFocusReason);
            else
                focusEntry(menu, nullptr, 1);
        }
        return true;
    case Qt::Key_Left:
    case Qt::Key_Escape:
        if (panel->objectName() == QLatin1String("Pnl_Main")) {
            if (pressed == Qt::Key_Left)
                return true;
            shell().hideAllMenu();
            if (state().selectedButton >= 1 && state().selectedButton <= kButtons)
                key(state().selectedButton)->setFocus(Qt::TabFocusReason);
            return true;
        }
        panel->hide();
        if (auto* opener = qobject_cast<QWidget*>(panel->property("openedBy").value<QObject*>()))
            opener->setFocus(Qt::TabFocusReason);
        return true;
    default:
        return false;
    }
}

void KeysPage::showMainMenu(int button) {
    emit keyClicked(button);
    state().selectedButton = button;
    shell().hideAllMenu();
    QFrame* main = menus().panel(QStringLiteral("Pnl_Main"));
    const QRect b = key(button)->geometry();
    const core::MenuPoint at =
        core::mainMenuPosition({b.left(), b.top(), b.width(), b.height()}, main->width(), main->height(),
                               window()->width(), window()->height());
    main->move(at.left, at.top);
    main->show();
    main->raise();
    // Opened from the keyboard: the keyboard goes on into the menu.
    if (key(button)->hasFocus())
        focusEntry(main, nullptr, 1);
}

void KeysPage::openSubMenu(CaptionLabel* entry) {
    const int tag = entry->property("tag").toInt();
    QWidget* menu = m_menus->subMenu(tag);
    if (!menu)
        return;
    const int level = tag <= 6 ? 2 : 3;
    // The other menus of this level close, and a new second level closes the third.
    for (QWidget* other : m_menus->level(level))
        if (other != menu)
            other->hide();
    if (level == 2)
        m_menus->hideLevel(3);
    if (menu == m_menus->macroNames() && m_menus->macroNames()->count() == 0)
        return;
    const QWidget* holder = entry->parentWidget();
    const QRect q = holder->geometry();
    const QRect e = entry->geometry();
    const core::CascadeExtent extent{m_menus->panel(QStringLiteral("Pnl_Main"))->x(),
                                     m_menus->panel(QStringLiteral("Pnl_Main"))->height(),
                                     m_menus->panel(QStringLiteral("Pnl_Special"))->height(),
                                     m_menus->panel(QStringLiteral("Pnl_FireKey"))->height()};
    const core::MenuPoint at = core::subMenuPosition(
        tag, {q.left(), q.top(), q.width(), q.height()}, {e.left(), e.top(), e.width(), e.height()},
        menu->width(), menu->height(), extent, window()->width(), window()->height());
    menu->move(at.left, at.top);
    menu->show();
    menu->raise();
}

int KeysPage::currentMode() const {
    if (const int shown = shell().workMode(); shown >= 1)
        return shown;
    return state().buffers.workingImage.workMode().value_or(0);
}

void KeysPage::showKey(int mode, int button) {
    const core::KeyFunctionCode code = context().cycle.buttonCodeTable().code(mode, button);
    key(button)->setText(QString::fromStdString(core::functionCodeName(code, context().namingContext())));
}

void KeysPage::assignEntry(CaptionLabel* entry) {
    shell().hideAllMenu();
    const int button = state().selectedButton;
    const int mode = currentMode();
    key(button)->setText(entry->text().mid(3));
    if (mode < 1)
        return; // no work mode whose codes could take it
    const auto code = core::KeyFunctionCode::fromText(
        core::functionCodeForEntry(entry->property("tag").toInt(), context().namingContext()));
    if (!code)
        return;
    const core::EditResult result = core::assignButton(context().cycle, mode, button, *code);
    if (result.refusal == core::EditRefusal::NotAllowed)
        showKey(mode, button); // the last left key of Office Mode stays
    report(shell(), result);
}

void KeysPage::assignMacro(int row) {
    shell().hideAllMenu();
    const int button = state().selectedButton;
    const int mode = currentMode();
    const core::MacroAddressTable addresses = context().cycle.deviceMacroTable().addressTable();
    if (mode < 1 || row < 0 || static_cast<std::size_t>(row) >= addresses.size() ||
        row >= m_menus->macroNames()->count())
        return;
    const auto code = core::KeyFunctionCode::fromText(addresses.functionCode(static_cast<std::size_t>(row)));
    if (!code)
        return;
    const core::EditResult result = core::assignMacro(context().cycle, mode, button, *code);
    if (result.refusal == core::EditRefusal::NotAllowed)
        return; // never the last left key
    key(button)->setText(m_menus->macroNames()->item(row)->text());
    report(shell(), result);
}

void KeysPage::openAssemblyKey() {
    shell().hideAllMenu();
    if (const int mode = currentMode();
        mode >= 1 && !core::combinationAllowed(context().cycle, mode, state().selectedButton))
        return;
    // The dialog applies what it confirms at once, to the button selected then: nothing is kept
    // pending between the dialog and the page.
    QPointer<KeysPage> page(this);
    AssemblyKeyDialog::Handlers handlers;
    handlers.confirmed = [page](const QString& caption, const QString& code) {
        if (page)
            page->applyCombination(caption, code);
    };
    auto* dialog = new AssemblyKeyDialog(state(), this, std::move(handlers));
    dialog->open();
}

void KeysPage::applyCombination(const QString& caption, const QString& code) {
    const int mode = currentMode();
    const auto combination = core::KeyFunctionCode::fromText(code.toStdString());
    if (mode < 1 || !combination)
        return;
    const int button = state().selectedButton;
    const core::EditResult result = core::applyCombination(context().cycle, mode, button, *combination);
    if (result.refusal == core::EditRefusal::NotAllowed)
        return; // the button selected now holds the only left key
    key(button)->setText(caption);
    report(shell(), result);
}

void KeysPage::openFireMacro() {
    shell().hideAllMenu();
    shell().openFireMacroPage();
}

} // namespace tarvik::gui
