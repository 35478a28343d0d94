#include "gui/keys/KeyMenus.h"

#include "core/keys/FunctionCodeCatalogue.h"
#include "gui/skin/CaptionLabel.h"

#include <QEvent>
#include <QFrame>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QWidget>

#include <iterator>
#include <string_view>
#include <vector>

namespace tarvik::gui {

namespace {
// LB_Name draws its own rows: each name 4 pixels in from the row's left and top, the row under the
// pointer in the layout's highlight colours. The row is found from the pointer's position, so it
// follows the pointer whatever the style thinks is hovered.
class MacroNameRows : public QStyledItemDelegate {
public:
    explicit MacroNameRows(QListWidget* list) : QStyledItemDelegate(list), m_list(list) {
        list->setMouseTracking(true);
        list->viewport()->installEventFilter(this);
    }

    void setColours(QColor text, QColor back, QColor hoverText, QColor hoverBack) {
        m_text = text;
        m_back = back;
        m_hoverText = hoverText;
        m_hoverBack = hoverBack;
        m_list->viewport()->update();
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool under = index.row() == m_underPointer;
        painter->save();
        painter->fillRect(option.rect, under ? m_hoverBack : m_back);
        painter->setPen(under ? m_hoverText : m_text);
        painter->setFont(option.font);
        painter->drawText(option.rect.adjusted(4, 4, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

protected:
    // The viewport is no editor: nothing is handed on to the delegate's editor handling.
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseMove)
            setRowUnderPointer(m_list->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint()).row());
        else if (event->type() == QEvent::Leave || event->type() == QEvent::Hide)
            setRowUnderPointer(-1);
        return false;
    }

private:
    void setRowUnderPointer(int row) {
        if (row == m_underPointer)
            return;
        m_underPointer = row;
        m_list->viewport()->update();
    }

    QListWidget* m_list;
    QColor m_text = Qt::black, m_back = Qt::white, m_hoverText = Qt::white, m_hoverBack = Qt::darkBlue;
    int m_underPointer = -1;
};
} // namespace

namespace {

struct MenuItem {
    const char* objectName;
    const char* languageKey;
    int tag;           // the tag of a group entry (which sub-menu it opens); 0 for a leaf
    const char* arrow; // the ">>" marker of a group entry, "" for none
};

// Group entries and their panels; the leaves come from the catalogue.
constexpr MenuItem kMainItems[] = {
    {"Key_Standard", "Str201", 1, "ST_Standard"}, {"Key_Special", "Str202", 2, "ST_Special"},
    {"Key_Media", "Str203", 3, "ST_Media"},       {"Key_WWW", "Str204", 4, "ST_WWW"},
    {"Key_MyPC", "Str207", 5, "ST_MyPC"},         {"Key_Assembly", "Str205", 0, ""},
    {"Key_Macro", "Str206", 6, "ST_Macro"},       {"Key_FireMacro", "Str208", 0, ""},
};

constexpr MenuItem kSpecialGroups[] = {
    {"Key_CPIKey", "Str220", 7, "ST_CPIKey"},
    {"Key_Fire", "Str230", 8, "ST_Fire"},
    {"Key_ACPIKey", "Str240", 9, "ST_ACPIKey"},
    {"Key_ProfileKey", "Str250", 10, "ST_ProfileKey"},
};
constexpr MenuItem kAdjustXy{"Key_AdjustXY", "Str267", 12, "ST_AdjustXY"};

// Leaves of the special panel in menu order: the catalogue keeps Key Off after the fire macro keys.
constexpr const char* kSpecialLeaves[] = {"Key_AIM",          "Key_LEDMode",     "Key_LEDSwitch",
                                          "Key_BtnEFT",       "Key_ReportRate",  "Key_KeyOff",
                                          "Key_FireMacroKey", "Key_FireMacroOff"};

struct PanelOfGroup {
    const char* key; // group key or sub-menu key of the catalogue
    const char* panel;
};
constexpr PanelOfGroup kLeafPanels[] = {
    {"Str201", "Pnl_MseKey"}, {"Str203", "Pnl_Media"},   {"Str204", "Pnl_WWW"},
    {"Str207", "Pnl_MyPC"},   {"Str220", "Pnl_CPIKey"},  {"Str230", "Pnl_FireKey"},
    {"Str240", "Pnl_ACPI"},   {"Str250", "Pnl_Profile"}, {"Str267", "Pnl_AdjustXY"},
};

// The menu each group tag opens; tag 6 opens the macro list LB_Name and tag 11 nothing.
constexpr const char* kSubMenuOfTag[] = {
    "",           "Pnl_MseKey",  "Pnl_Special", "Pnl_Media",   "Pnl_WWW", "Pnl_MyPC",    "LB_Name",
    "Pnl_CPIKey", "Pnl_FireKey", "Pnl_ACPI",    "Pnl_Profile", "",        "Pnl_AdjustXY"};
constexpr const char* kLevel2[] = {"Pnl_MseKey", "Pnl_Special", "Pnl_Media",
                                   "Pnl_WWW",    "Pnl_MyPC",    "LB_Name"};
constexpr const char* kLevel3[] = {"Pnl_CPIKey", "Pnl_FireKey", "Pnl_ACPI", "Pnl_Profile", "Pnl_AdjustXY"};

constexpr const char* kPanels[] = {"Pnl_Main", "Pnl_MseKey",  "Pnl_Special", "Pnl_Media",
                                   "Pnl_WWW",  "Pnl_MyPC",    "Pnl_CPIKey",  "Pnl_FireKey",
                                   "Pnl_ACPI", "Pnl_Profile", "Pnl_AdjustXY"};

int panelHeight(int entries) {
    return entries * KeyMenus::kEntryHeight + 2;
}

CaptionLabel* addEntry(QFrame* panel, const char* objectName, const char* languageKey, int tag) {
    const int row = panel->property("rows").toInt();
    auto* label = new CaptionLabel(QLatin1String(objectName), panel);
    // The entry under the pointer paints its own background in the highlight colour; a see-through
    // caption would never paint one.
    label->setAttribute(Qt::WA_TranslucentBackground, false);
    label->setAttribute(Qt::WA_NoSystemBackground, false);
    label->setProperty("languageKey", QLatin1String(languageKey));
    label->setProperty("tag", tag);
    label->setGeometry(2, 1 + row * KeyMenus::kEntryHeight, panel->width() - 4, KeyMenus::kEntryHeight);
    label->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    panel->setProperty("rows", row + 1);
    panel->resize(panel->width(), panelHeight(row + 1));
    return label;
}

// Polishing a panel of entries under a style sheet is the dearest part of building the key page, and
// most panels are never opened in a session: a hidden panel keeps its sheet until it is first shown.
constexpr const char* kPendingSheet = "pendingSheet";

class SheetOnShow : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            auto* frame = static_cast<QFrame*>(watched);
            const QVariant sheet = frame->property(kPendingSheet);
            if (sheet.isValid()) {
                frame->setProperty(kPendingSheet, QVariant());
                frame->setStyleSheet(sheet.toString());
            }
        }
        return false;
    }
};

void addGroup(QFrame* panel, const MenuItem& item) {
    CaptionLabel* label = addEntry(panel, item.objectName, item.languageKey, item.tag);
    label->setProperty(KeyMenus::kGroupProperty, item.tag != 0);
    if (*item.arrow) {
        auto* arrow = new QLabel(QStringLiteral(">>"), panel);
        arrow->setObjectName(QLatin1String(item.arrow));
        arrow->setAttribute(Qt::WA_TransparentForMouseEvents);
        arrow->setAlignment(Qt::AlignVCenter | Qt::AlignRight);
        arrow->setGeometry(label->geometry().adjusted(0, 0, -4, 0));
    }
}

} // namespace

KeyMenus::KeyMenus(QWidget* page) : m_page(page) {
    auto* sheetOnShow = new SheetOnShow(page);
    for (const char* name : kPanels) {
        auto* frame = new QFrame(page);
        frame->installEventFilter(sheetOnShow);
        frame->setObjectName(QLatin1String(name));
        frame->setFrameShape(QFrame::Box);
        frame->setAutoFillBackground(true);
        frame->resize(170, 2);
        frame->setProperty("rows", 0);
        frame->hide();
    }
    for (const MenuItem& item : kMainItems)
        addGroup(panel(QStringLiteral("Pnl_Main")), item);
    QFrame* special = panel(QStringLiteral("Pnl_Special"));
    for (const MenuItem& item : kSpecialGroups)
        addGroup(special, item);
    const auto catalogue = core::functionCatalogue();
    for (const char* leaf : kSpecialLeaves)
        for (const core::CatalogueEntry& e : catalogue)
            if (std::string_view(e.objectName) == leaf)
                addEntry(special, e.objectName, e.languageKey, e.entryTag);
    addGroup(special, kAdjustXy);
    for (const core::CatalogueEntry& e : catalogue) {
        const std::string_view key = *e.subMenuKey ? e.subMenuKey : e.groupKey;
        for (const PanelOfGroup& p : kLeafPanels)
            if (key == p.key)
                addEntry(panel(QLatin1String(p.panel)), e.objectName, e.languageKey, e.entryTag);
    }
    m_macroNames = new QListWidget(page);
    m_macroNames->setObjectName(QStringLiteral("LB_Name"));
    m_macroNames->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_macroNames->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_macroNames->resize(170, 4);
    m_macroNames->setItemDelegate(new MacroNameRows(m_macroNames));
    m_macroNames->hide();
}

QFrame* KeyMenus::panel(const QString& name) const {
    return m_page->findChild<QFrame*>(name, Qt::FindDirectChildrenOnly);
}

CaptionLabel* KeyMenus::entry(const QString& name) const {
    return m_page->findChild<CaptionLabel*>(name);
}

void KeyMenus::hideAll() {
    for (const char* name : kPanels)
        panel(QLatin1String(name))->hide();
    m_macroNames->hide();
}

void KeyMenus::hideLevel(int n) {
    for (QWidget* menu : level(n))
        menu->hide();
}

QList<QWidget*> KeyMenus::level(int n) const {
    QList<QWidget*> menus;
    if (n == 2)
        for (const char* name : kLevel2)
            menus << m_page->findChild<QWidget*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
    else if (n == 3)
        for (const char* name : kLevel3)
            menus << panel(QLatin1String(name));
    return menus;
}

QWidget* KeyMenus::subMenu(int tag) const {
    if (tag < 1 || tag >= static_cast<int>(std::size(kSubMenuOfTag)) || !*kSubMenuOfTag[tag])
        return nullptr;
    return m_page->findChild<QWidget*>(QLatin1String(kSubMenuOfTag[tag]), Qt::FindDirectChildrenOnly);
}

QList<CaptionLabel*> KeyMenus::entries() const {
    QList<CaptionLabel*> all;
    for (const char* name : kPanels)
        all << panel(QLatin1String(name))->findChildren<CaptionLabel*>(Qt::FindDirectChildrenOnly);
    return all;
}

void KeyMenus::setMacroNames(const QStringList& names) {
    m_macroNames->clear();
    m_macroNames->addItems(names);
    for (int row = 0; row < m_macroNames->count(); ++row)
        m_macroNames->item(row)->setSizeHint(QSize(0, kEntryHeight));
    m_macroNames->resize(m_macroNames->width(), static_cast<int>(names.size()) * kEntryHeight + 4);
}

void KeyMenus::sizeForMode(int mode, bool gameModeEnabled, bool thirdModeEnabled) {
    QFrame* main = panel(QStringLiteral("Pnl_Main"));
    QFrame* special = panel(QStringLiteral("Pnl_Special"));
    CaptionLabel* fireMacro = entry(QStringLiteral("Key_FireMacro"));
    if (mode == 1) {
        main->resize(main->width(), panelHeight(7));
        fireMacro->hide();
        special->resize(special->width(), panelHeight(10));
    } else if (mode == 2) {
        main->resize(main->width(), panelHeight(8));
        fireMacro->show();
        special->resize(special->width(), panelHeight(13));
    }
    QFrame* profile = panel(QStringLiteral("Pnl_Profile"));
    int height = thirdModeEnabled ? panelHeight(4) : panelHeight(2);
    if (mode == 1 && !gameModeEnabled)
        height = 0;
    profile->resize(profile->width(), height);
}

void KeyMenus::applyLayout(const AppState& state) {
    const QColor text = state.layoutColor("Color_G");
    const QColor back = state.layoutColor("Color_G_Back");
    const QColor border = state.layoutColor("Color_G_Border");
    const QColor hoverText = state.layoutColor("Color_G_SF");
    const QColor hoverBack = state.layoutColor("Color_G_SP");
    const int size = state.layoutInt("Size_G", 9);
    for (const char* name : kPanels) {
        QFrame* frame = panel(QLatin1String(name));
        const std::string_view n = name;
        const int width = state.layoutInt(n == "Pnl_Main"      ? "M_L_W"
                                          : n == "Pnl_Special" ? "SP_L_W"
                                                               : "O_L_W",
                                          frame->width());
        frame->resize(width, frame->height());
        const QString sheet = QStringLiteral("QFrame#%1 { background: %2; border: 1px solid %3; }"
                                             "QLabel { color: %4; background: transparent; font-size: %5pt; }"
                                             "QLabel:hover { color: %6; background: %7; }")
                                  .arg(QLatin1String(name), back.name(), border.name(), text.name())
                                  .arg(size)
                                  .arg(hoverText.name(), hoverBack.name());
        if (frame->isVisible()) {
            frame->setProperty(kPendingSheet, QVariant());
            frame->setStyleSheet(sheet);
        } else {
            frame->setProperty(kPendingSheet, sheet);
        }
        for (QLabel* label : frame->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
            label->resize(width - 4, label->height());
    }
    m_macroNames->resize(state.layoutInt("O_L_W", m_macroNames->width()), m_macroNames->height());
    m_macroNames->setStyleSheet(
        QStringLiteral("QListWidget { background: %1; border: 1px solid %2; color: %3; "
                       "font-size: %4pt; }")
            .arg(back.name(), border.name(), text.name())
            .arg(size));
    static_cast<MacroNameRows*>(m_macroNames->itemDelegate())->setColours(text, back, hoverText, hoverBack);
}

void KeyMenus::applyLanguage(const AppState& state) {
    const QString marker = state.text("Str200");
    for (const char* name : kPanels)
        for (CaptionLabel* label : panel(QLatin1String(name))->findChildren<CaptionLabel*>()) {
            const QByteArray key = label->property("languageKey").toString().toLatin1();
            label->setText(QStringLiteral(" ") + marker + QStringLiteral(" ") + state.text(key.constData()));
            // The marker is drawn, not said: a screen reader reads the entry's words alone.
            label->setAccessibleName(state.text(key.constData()));
        }
}

} // namespace tarvik::gui
