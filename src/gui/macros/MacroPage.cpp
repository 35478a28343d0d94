#include "gui/macros/MacroPage.h"

#include "core/cycle/ConfigCycle.h"
#include "core/edit/FieldRanges.h"
#include "core/macros/DeviceMacroTable.h"
#include "core/macros/MacroLibrary.h"
#include "gui/eventlist/MacroEventDelegate.h"
#include "gui/skin/KeyboardFocus.h"
#include "gui/skin/PageControls.h"
#include "gui/skin/Skin.h"
#include "platform/InputCapture.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

namespace tarvik::gui {

using namespace pages;

namespace {
const QSize kBoxSize(227, 182);
const QSize kDelayOptionSize(110, 17);
const QSize kInsertOptionSize(100, 17);
const QSize kShortEditSize(40, 20);
// The delay edit ends before the "ms" the page picture paints after it.
const QSize kDelayEditSize(44, 22);
const QPoint kRecordNoteOffset(374, 38); // from the Record button
const QSize kRecordNoteSize(210, 34);
// The option captions start right of their marker.
constexpr int kOptionIndent = 12;
constexpr int kMenuEntryHeight = 20;
constexpr int kMenuWidth = 120;
// Captions of the insert box: the room between a caption and the edit it names, and the room a
// button's text keeps from the button's frame on each side.
constexpr int kCaptionGap = 4;
constexpr int kButtonTextMargin = 4;

const char* const kDelayOptionKeys[3] = {"Str414", "Str415", "Str416"};
const char* const kInsertChoiceKeys[8] = {"Str410", "Str411", "Str412", "Str413",
                                          "Str450", "Str451", "Str456", "Str457"};

struct MenuEntry {
    const char* name;
    const char* key;
};
struct Menu {
    const char* name;
    std::vector<MenuEntry> entries;
};
const std::array<Menu, 3>& menus() {
    static const std::array<Menu, 3> table = {{
        {"Pnl_PCMacro",
         {{"Btn_NewMacro", "Str432"},
          {"Btn_NewName", "Str402"},
          {"Btn_DelPCMacro", "Str433"},
          {"Btn_ImportOne", "Str406"},
          {"Btn_Import", "Str407"},
          {"Btn_ExportOne", "Str404"},
          {"Btn_Export", "Str405"},
          {"Btn_AddMacro", "Str434"}}},
        {"Pnl_DevMacro", {{"Btn_DelMacro", "Str433"}, {"Btn_DevExport", "Str405"}}},
        {"Pnl_DevContent", {{"Btn_Edit", "Str435"}, {"Btn_Del", "Str408"}, {"Btn_Insert", "Str409"}}},
    }};
    return table;
}

} // namespace

MacroPage::MacroPage(const PageContext& context, QWidget* parent)
    : Page(QStringLiteral("gbPage4"), context, parent),
      m_editor(context.state.macroLibrary, [this](const core::MacroLibrary&) { saveLibrary(); }) {
    m_page = addPicture(this, QStringLiteral("Img_P4"));
    setPagePicture(m_page);
    m_library = addList(QStringLiteral("LB_PCMacroName"), QSize(246, 296));
    m_device = addList(QStringLiteral("LB_MacroName"), QSize(186, 296));
    m_events = addList(QStringLiteral("LB_macro"), QSize(316, 296));
    m_events->setItemDelegate(new MacroEventDelegate(MacroEventDelegate::IconStyle::Stretched, m_events));

    m_new = addButton(this, QStringLiteral("New"), QStringLiteral("MacroS_01"), "MacroS_02", "MacroS_01");
    m_record =
        addButton(this, QStringLiteral("Start"), QStringLiteral("MacroS_01"), "MacroS_02", "MacroS_01");

    buildDelayBox();
    buildInsertBox();
    buildMenus();

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("mmo_macro"));
    m_text->hide();
    m_diagnostic = new QPlainTextEdit(this);
    m_diagnostic->setObjectName(QStringLiteral("mmo_wrscript"));
    m_diagnostic->hide();

    // Said only where recording cannot see what the user does in other programs.
    m_captureNote = new QLabel(this);
    m_captureNote->setObjectName(QStringLiteral("lbl_RecordNote"));
    m_captureNote->setWordWrap(true);
    m_captureNote->hide();

    wireLists();
    wireMenus();
    wireEditing();
}

MacroPage::~MacroPage() {
    m_list->stopCapture();
}

QListWidget* MacroPage::addList(const QString& name, QSize size) {
    auto* list = new QListWidget(this);
    list->setObjectName(name);
    list->resize(size);
    return list;
}

// A button of the page: its picture ("Img_<name>") and the caption label over it ("Btn_<name>").
CaptionLabel* MacroPage::addButton(QWidget* parent, const QString& name, const QString& picture,
                                   const char* hover, const char* normal) {
    PictureControl* image = addPicture(parent, QStringLiteral("Img_") + name, picture);
    CaptionLabel* label = addCaption(parent, QStringLiteral("Btn_") + name);
    label->resize(image->size());
    const QString hoverPicture = QString::fromLatin1(hover);
    const QString normalPicture = QString::fromLatin1(normal);
    connect(label, &CaptionLabel::entered, image, [image, hoverPicture] { image->setPicture(hoverPicture); });
    connect(label, &CaptionLabel::left, image, [image, normalPicture] { image->setPicture(normalPicture); });
    return label;
}

void MacroPage::buildDelayBox() {
    m_delayBox = new QWidget(this);
    m_delayBox->setObjectName(QStringLiteral("Gb_Delay"));
    m_delayBox->resize(kBoxSize);
    m_delay = DelayOptions::build(m_delayBox, QString());
    for (CaptionLabel* label : m_delay.labels) {
        label->resize(kDelayOptionSize);
        label->setIndent(kOptionIndent);
    }
    m_delay.edit = addNumberEdit(m_delayBox, QStringLiteral("Edt_Delay"), kDelayEditSize);
    m_delay.edit->setText(QString::number(core::fields::kEventDelay.initial));
}

void MacroPage::buildInsertBox() {
    // The backing picture lies under the box, as its sibling.
    m_insertBase = addPicture(this, QStringLiteral("Img_InsertBase"), QStringLiteral("InsertDelayBase"));
    m_insertBox = new QWidget(this);
    m_insertBox->setObjectName(QStringLiteral("Gb_Insert"));
    m_insertBox->resize(kBoxSize);

    m_insertChoice = new QComboBox(m_insertBox);
    m_insertChoice->setObjectName(QStringLiteral("CB_Insert"));
    m_insertChoice->resize(187, 22);

    m_insertDelay = DelayOptions::build(m_insertBox, QStringLiteral("Insert"));
    for (CaptionLabel* label : m_insertDelay.labels) {
        label->resize(kInsertOptionSize);
        label->setIndent(kOptionIndent);
    }

    auto* delayCaption = addLabel(m_insertBox, QStringLiteral("lbl_Delay"), QSize(72, 17));
    m_insertDelay.edit = addNumberEdit(m_insertBox, QStringLiteral("Edt_InsertDelay"), kShortEditSize);
    m_insertDelay.edit->setText(QString::number(core::fields::kEventDelay.initial));
    auto* unit = addLabel(m_insertBox, QStringLiteral("lbl_s_A"), QSize(30, 17));
    m_insertDelayControls = {delayCaption, m_insertDelay.edit, unit};

    auto* xCaption = addLabel(m_insertBox, QStringLiteral("lbl_XAxisValue"), QSize(38, 17));
    auto* xEdit = addNumberEdit(m_insertBox, QStringLiteral("edt_XAxisValue"), kShortEditSize);
    xEdit->setText(QString::number(core::fields::kEventMove.initial));
    auto* yCaption = addLabel(m_insertBox, QStringLiteral("lbl_YAxisValue"), QSize(30, 17));
    auto* yEdit = addNumberEdit(m_insertBox, QStringLiteral("edt_YAxisValue"), kShortEditSize);
    yEdit->setText(QString::number(core::fields::kEventMove.initial));
    m_axisControls = {xCaption, xEdit, yCaption, yEdit};
    auto* repeatCaption = addLabel(m_insertBox, QStringLiteral("lbl_Repeat"), QSize(62, 17));
    auto* repeatEdit = addNumberEdit(m_insertBox, QStringLiteral("edt_Repeat"), kShortEditSize);
    repeatEdit->setText(QString::number(core::fields::kEventRepeat.initial));
    m_repeatControls = {repeatCaption, repeatEdit};

    m_insertRecord = addButton(m_insertBox, QStringLiteral("InsertStart"), QStringLiteral("MacroS_01"),
                               "MacroS_02", "MacroS_01");
    m_ok = addButton(m_insertBox, QStringLiteral("OK"), QStringLiteral("MacroBtnS_01"), "MacroBtnS_02",
                     "MacroBtnS_01");
    m_cancel = addButton(m_insertBox, QStringLiteral("Cancel"), QStringLiteral("MacroBtnS_01"),
                         "MacroBtnS_02", "MacroBtnS_01");

    // Covers the delay options while an insert recording runs.
    m_insertCover = new QWidget(m_insertBox);
    m_insertCover->setObjectName(QStringLiteral("GB_Dis"));
    keyboard::markCover(m_insertCover);
    m_insertCover->hide();

    m_insertBox->hide();
    m_insertBase->hide();
}

void MacroPage::buildMenus() {
    for (std::size_t m = 0; m < menus().size(); ++m) {
        const Menu& menu = menus()[m];
        auto* panel = new QWidget(this);
        panel->setObjectName(QString::fromLatin1(menu.name));
        panel->setAutoFillBackground(true);
        int y = 2;
        for (const MenuEntry& entry : menu.entries) {
            CaptionLabel* label = addCaption(panel, QString::fromLatin1(entry.name));
            label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            label->setGeometry(2, y, kMenuWidth - 4, kMenuEntryHeight);
            y += kMenuEntryHeight;
        }
        panel->resize(kMenuWidth, y + 2);
        panel->hide();
        m_menus[m] = panel;
    }
}

void MacroPage::applyLayout() {
    const AppState& s = state();
    // The page picture is loaded when the page is opened (see the Advanced page).
    m_page->move(layoutPoint(s, "P4"));

    m_library->setGeometry(
        QRect(layoutPoint(s, "PCMacroName"), QSize(246, s.layoutInt("PCMacroName_H", 296))));
    m_device->move(layoutPoint(s, "MseMacroName"));
    m_events->move(layoutPoint(s, "MacroContent"));
    m_rowHeight = s.layoutInt("MacroNameHeight", 20);
    for (QListWidget* list : {m_library, m_device, m_events})
        for (int row = 0; row < list->count(); ++row)
            list->item(row)->setSizeHint(rowSize(list));

    const int size = s.layoutInt("Size_F", 9);
    const QColor text = s.layoutColor("Color_F");
    const QColor listBack = s.layoutColor("Color_F_LBack");
    const QColor listBorder = s.layoutColor("Color_F_LBorder");
    for (QListWidget* list : {m_library, m_device, m_events}) {
        setTextLook(list, size, text);
        list->setStyleSheet(QStringLiteral("QListWidget { color: %1; background: %2; border: 1px solid %3; }")
                                .arg(text.name(), listBack.name(), listBorder.name()));
    }

    const auto placeButton = [&s](CaptionLabel* label, const std::string& key, QPoint origin = {}) {
        auto* image = label->parentWidget()->findChild<PictureControl*>(
            QStringLiteral("Img_") + label->objectName().mid(4), Qt::FindDirectChildrenOnly);
        image->move(origin + layoutPoint(s, key));
        placeOver(label, image, image->pos());
    };
    placeButton(m_new, "BtnNew");
    placeButton(m_record, "BtnStart");

    m_delayBox->move(layoutPoint(s, "DelayTime"));
    const QPoint options = layoutPoint(s, "RecDelay");
    const int step = s.layoutInt("RecDelay_H", 26);
    for (int i = 0; i < 3; ++i) {
        m_delay.leds[i]->move(options.x(), options.y() + i * step);
        m_delay.labels[i]->move(options.x() - 2, options.y() + i * step);
    }
    m_delay.edit->move(layoutPoint(s, "DelayEdit"));

    const QPoint box = layoutPoint(s, "Insert");
    m_insertBox->move(box);
    m_insertBase->move(box + QPoint(10, 10));
    m_insertChoice->move(layoutPoint(s, "InsertList"));
    const QPoint insertOptions = layoutPoint(s, "InsertRecDelay");
    const int insertStep = s.layoutInt("InsertRecDelay_H", 22);
    for (int i = 0; i < 3; ++i) {
        m_insertDelay.leds[i]->move(insertOptions.x(), insertOptions.y() + i * insertStep);
        m_insertDelay.labels[i]->move(insertOptions.x() - 2, insertOptions.y() + i * insertStep);
    }
    const QPoint delayEdit = layoutPoint(s, "InsertDelayEdit");
    m_insertDelayControls[0]->move(delayEdit + QPoint(-74, 2));
    m_insertDelayControls[1]->move(delayEdit);
    m_insertDelayControls[2]->move(delayEdit + QPoint(44, 2));
    const QPoint axis = layoutPoint(s, "InsertAxisEdit");
    m_axisControls[0]->move(axis + QPoint(-120, 2));
    m_axisControls[1]->move(axis + QPoint(-80, 0));
    m_axisControls[2]->move(axis + QPoint(-32, 2));
    m_axisControls[3]->move(axis);
    m_repeatControls[0]->move(axis + QPoint(-64, 2));
    m_repeatControls[1]->move(axis);
    placeButton(m_insertRecord, "InsertBtnStart");
    placeButton(m_ok, "InsertBtnOK");
    placeButton(m_cancel, "InsertBtnCancel");
    m_insertCover->setGeometry(insertOptions.x() - 4, insertOptions.y() - 2, kInsertOptionSize.width() + 8,
                               3 * insertStep);

    const QList<QWidget*> texts = m_delayBox->findChildren<QWidget*>() +
                                  m_insertBox->findChildren<QWidget*>() + QList<QWidget*>{m_new, m_record};
    for (QWidget* w : texts) {
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            setEditLook(edit, size, text, listBack, listBorder);
        else if (!qobject_cast<QListWidget*>(w) && !qobject_cast<QComboBox*>(w))
            setTextLook(w, size, text);
    }

    styleMenuPanels(m_menus, size, s.layoutColor("Color_F_Font"), s.layoutColor("Color_F_Back"));

    // In the step-type legend's bottom right corner, beside its right-click hint: the Record box
    // below its button has no room for two lines.
    const QPoint note = layoutPoint(s, "BtnStart");
    m_captureNote->setGeometry(note.x() + kRecordNoteOffset.x(), note.y() + kRecordNoteOffset.y(),
                               kRecordNoteSize.width(), kRecordNoteSize.height());
    setTextLook(m_captureNote, size, text);
    fitInsertBox();
}

void MacroPage::fitInsertBox() {
    const AppState& s = state();
    const int size = s.layoutInt("Size_F", 9);
    // No caption starts left of the choice box above them.
    const int left = layoutPoint(s, "InsertList").x();
    const QPoint delayEdit = layoutPoint(s, "InsertDelayEdit");
    const QPoint axis = layoutPoint(s, "InsertAxisEdit");
    const auto asLabel = [](QWidget* w) { return static_cast<QLabel*>(w); };
    // A caption in front of an edit ends just before it and may take the room up to `from`.
    const auto captionBefore = [&](QLabel* caption, int from, int editX, int y) {
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        caption->setGeometry(from, y, std::max(editX - kCaptionGap - from, 0), caption->height());
        fitTextSize(caption, size, 0);
    };

    captionBefore(asLabel(m_insertDelayControls[0]), left, delayEdit.x(), delayEdit.y() + 2);
    QLabel* unit = asLabel(m_insertDelayControls[2]);
    const int unitX = delayEdit.x() + m_insertDelay.edit->width() + kCaptionGap;
    unit->setGeometry(unitX, delayEdit.y() + 2, m_insertBox->width() - left / 2 - unitX, unit->height());
    fitTextSize(unit, size, 0);
    // The record options reach up to the delay edit beside them.
    for (CaptionLabel* option : m_insertDelay.labels) {
        option->resize(delayEdit.x() - kCaptionGap - option->x(), option->height());
        fitTextSize(option, size, 0);
    }

    // X and Y: the Y edit at the layout's place with its caption, as wide as its words, just before
    // it; the X edit before that caption, and the X caption before the X edit.
    QLabel* yCaption = asLabel(m_axisControls[2]);
    QWidget* xEdit = m_axisControls[1];
    QFont font = yCaption->font();
    font.setPointSize(size);
    const int yWidth =
        std::min(QFontMetrics(font).horizontalAdvance(yCaption->text()) + 2, (axis.x() - left) / 3);
    const int yFrom = axis.x() - kCaptionGap - yWidth;
    captionBefore(yCaption, yFrom, axis.x(), axis.y() + 2);
    xEdit->move(yFrom - 2 * kCaptionGap - xEdit->width(), axis.y());
    captionBefore(asLabel(m_axisControls[0]), left, xEdit->x(), axis.y() + 2);
    captionBefore(asLabel(m_repeatControls[0]), left, axis.x(), axis.y() + 2);

    for (CaptionLabel* button : {m_insertRecord, m_ok, m_cancel})
        fitTextSize(button, size, kButtonTextMargin);
}

void MacroPage::applyLanguage() {
    m_new->setText(state().text("Str432"));
    m_list->applyLanguage();
    m_captureNote->setText(state().text("Str436"));
    m_cancel->setText(state().text("Str422"));
    for (int i = 0; i < 3; ++i) {
        m_delay.labels[i]->setText(QStringLiteral("   ") + state().text(kDelayOptionKeys[i]));
        m_insertDelay.labels[i]->setText(QStringLiteral("   ") + state().text(kDelayOptionKeys[i]));
    }
    static_cast<QLabel*>(m_insertDelayControls[0])->setText(state().text("Str417"));
    static_cast<QLabel*>(m_insertDelayControls[2])->setText(state().text("Str418"));
    static_cast<QLabel*>(m_axisControls[0])->setText(state().text("Str454"));
    static_cast<QLabel*>(m_axisControls[2])->setText(state().text("Str455"));
    static_cast<QLabel*>(m_repeatControls[0])->setText(state().text("Str458"));
    // Names a screen reader says for controls that carry no caption of their own.
    m_library->setAccessibleName(state().text("Str801"));
    m_device->setAccessibleName(state().text("Str802"));
    m_events->setAccessibleName(state().text("Str803"));
    for (DelayOptions* options : {&m_delay, &m_insertDelay})
        if (options->edit)
            options->edit->setAccessibleName(state().text("Str417"));
    m_insertDelayControls[1]->setAccessibleName(state().text("Str417"));
    m_axisControls[1]->setAccessibleName(state().text("Str454"));
    m_axisControls[3]->setAccessibleName(state().text("Str455"));
    m_repeatControls[1]->setAccessibleName(state().text("Str458"));

    // The items are replaced by the new texts; the choice stays.
    const int chosen = m_insertChoice->currentIndex();
    {
        const QSignalBlocker blocker(m_insertChoice);
        m_insertChoice->clear();
        for (const char* key : kInsertChoiceKeys)
            m_insertChoice->addItem(state().text(key));
        m_insertChoice->setCurrentIndex(chosen < 0 ? 0 : chosen);
    }
    applyInsertChoice(m_insertChoice->currentIndex());
    fitInsertBox();

    for (std::size_t m = 0; m < menus().size(); ++m)
        for (const MenuEntry& entry : menus()[m].entries)
            m_menus[m]
                ->findChild<CaptionLabel*>(QString::fromLatin1(entry.name))
                ->setText(state().text(entry.key));
}

bool MacroPage::insertPanelOpen() const {
    return m_editor.insertPanelOpen();
}

void MacroPage::showRecordingBox() {
    const bool inserting = insertPanelOpen();
    m_insertBox->setVisible(inserting);
    m_insertBase->setVisible(inserting);
    m_delayBox->setVisible(!inserting);
}

void MacroPage::clearDeviceMacros() {
    m_device->clear();
    m_events->clear();
}

void MacroPage::languageSwitching() {
    m_delayBox->hide();
}

void MacroPage::hideMenus() {
    for (QWidget* menu : m_menus)
        menu->hide();
}

void MacroPage::applyInsertChoice(int item) {
    m_list->applyInsertChoice(item);
}

// What a choice shows beyond its own controls: the panel's picture, the delay field (also the gap of
// an insert recording), the OK caption and the look of the field.
void MacroPage::showInsertChoiceExtras(int item) {
    const bool delay = item == 0 || item == 1;
    const bool keys = item == 2 || item == 3;
    const bool move = item == 4 || item == 5;
    m_insertBase->setPicture(keys   ? QStringLiteral("InsertKeyBase")
                             : move ? QStringLiteral("InsertXYBase")
                                    : QStringLiteral("InsertDelayBase"));
    m_insertDelayControls[1]->setVisible(delay || keys);
    m_insertDelayControls[2]->setVisible(delay || keys);
    m_ok->setText(state().text(keys ? "Str421" : "Str420"));

    if (keys) {
        showInsertDelayMode(core::DelayMode::RecordDelay);
    } else {
        m_insertDelay.edit->setReadOnly(!delay);
        const QColor text = delay ? state().layoutColor("Color_F") : kDisabledTextColour;
        setTextLook(m_insertDelay.edit, 0, text);
        setTextLook(m_insertDelayControls[2], 0, text);
    }
}

void MacroPage::showDelayMode(core::DelayMode mode) {
    m_list->showDelayMode(mode);
}

void MacroPage::showInsertDelayMode(core::DelayMode mode) {
    m_list->showInsertDelayMode(mode);
}

// A row as wide as its list (a size hint without a width would be dropped) and as high as the layout asks.
QSize MacroPage::rowSize(const QListWidget* list) const {
    return {list->width() - 2, m_rowHeight};
}

void MacroPage::fillRows(QListWidget* list, const std::vector<std::string>& names) {
    list->clear();
    for (const std::string& name : names) {
        auto* item = new QListWidgetItem(QString::fromStdString(name), list);
        item->setSizeHint(rowSize(item->listWidget()));
    }
}

void MacroPage::setLibrary(const core::MacroLibrary& library) {
    fillRows(m_library, library.names());
    if (m_library->count() > 0)
        m_library->scrollToBottom();
    const bool room = library.canAddNew();
    m_new->setEnabled(room);
    m_menus[0]->findChild<CaptionLabel*>(QStringLiteral("Btn_NewMacro"))->setEnabled(room);
}

void MacroPage::setDeviceMacros(const core::DeviceMacroTable& table) {
    fillRows(m_device, table.names());
}

void MacroPage::showMacroText(const core::MacroText& text) {
    m_list->showLines(text);
    QStringList lines;
    for (const std::string& line : text)
        lines << QString::fromStdString(line);
    m_text->setPlainText(lines.join(QLatin1Char('\n')));
}

void MacroPage::setDiagnostic(const QString& hex) {
    m_diagnostic->setPlainText(hex);
}

void MacroPage::macroLibraryChanged() {
    setLibrary(state().macroLibrary);
}

void MacroPage::deviceMacroTableChanged() {
    setDeviceMacros(context().cycle.deviceMacroTable());
}

} // namespace tarvik::gui
