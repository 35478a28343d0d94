#include "gui/pages/UpdatePage.h"

#include "core/cycle/ConfigCycle.h"
#include "core/device/DeviceLink.h"
#include "core/edit/StoreEdits.h"
#include "core/image/FileLoadResult.h"
#include "core/image/PatchFile.h"
#include "gui/AppState.h"
#include "gui/dialogs/MessageSeam.h"
#include "gui/pages/NotStored.h"
#include "gui/skin/PageControls.h"

namespace tarvik::gui {

using namespace pages;

UpdatePage::UpdatePage(const PageContext& context, QWidget* parent)
    : Page(QStringLiteral("gbPage5"), context, parent) {
    m_page = addPicture(this, QStringLiteral("Img_P5"), QStringLiteral("Update"));
    setPagePicture(m_page);
    m_pathCaption = addLabel(this, QStringLiteral("lbl_BINPath"), QSize(540, 20));
    m_chosenFile = addLabel(this, QStringLiteral("lbl_LoadBIN"), QSize(540, 20));
    m_loadPicture = addPicture(this, QStringLiteral("Img_LoadBIN"), QStringLiteral("KeyS_01"));
    m_load = addCaption(this, QStringLiteral("Btn_LoadBIN"));
    m_programPicture = addPicture(this, QStringLiteral("Img_Program"), QStringLiteral("KeyS_01"));
    m_program = addCaption(this, QStringLiteral("Btn_Program"));
    for (auto [label, picture] : {std::pair{m_load, m_loadPicture}, std::pair{m_program, m_programPicture}}) {
        connect(label, &CaptionLabel::entered, picture,
                [picture] { picture->setPicture(QStringLiteral("KeyS_02")); });
        connect(label, &CaptionLabel::left, picture,
                [picture] { picture->setPicture(QStringLiteral("KeyS_01")); });
    }
    connect(m_load, &CaptionLabel::clicked, this, &UpdatePage::loadBin);
    connect(m_program, &CaptionLabel::clicked, this, &UpdatePage::program);
}

void UpdatePage::opened() {
    setChosenFile(QString());
    m_patchFile.reset();
}

void UpdatePage::loadBin() {
    const QString path =
        MessageSeam::openFileName(this, QString(), QString(), QStringLiteral("LoadFile (*.bin)"));
    if (path.isEmpty())
        return;
    setChosenFile(path);
    m_patchFile.reset();
    auto bytes = core::readPatchFileFrom(path.toStdString());
    // A file too short for the mouse's kind would leave part of the patch as it was: take none of it.
    const std::size_t needed = core::patchFileSize(state().buffers.storageKind);
    if (!bytes || needed == 0 || bytes->size() < needed) {
        MessageSeam::showMessageDialog(
            this, QString::fromLatin1(core::kLoadingBinError.data(), core::kLoadingBinError.size()),
            state().text("FontName"));
        return;
    }
    m_patchFile = std::move(*bytes);
}

void UpdatePage::program() {
    if (!context().link.connected() || !m_patchFile)
        return;
    Shell& window = shell();
    const core::EditResult result =
        core::programPatch(context().cycle, *m_patchFile, [&window] { window.resetAndRefind(); }).result;
    // The restart has read the mouse back whatever happened, so nothing needs reading again.
    if (result.status == core::EditStatus::NotStored)
        window.reportNotStored(notstored::kPatch, false);
    else if (result.status == core::EditStatus::ReadBackDiffers)
        window.reportNotStored(notstored::kPatchDiffers, false);
    else if (result.refusal == core::EditRefusal::FileRefused)
        MessageSeam::showMessageDialog(
            this, QString::fromLatin1(core::kLoadingBinError.data(), core::kLoadingBinError.size()),
            state().text("FontName"));
}

void UpdatePage::applyLayout() {
    const AppState& s = state();
    m_page->move(layoutPoint(s, "P5"));
    m_pathCaption->move(layoutPoint(s, "lbl_BINPath"));
    m_chosenFile->move(layoutPoint(s, "lbl_LoadBin"));
    m_loadPicture->move(layoutPoint(s, "Btn_LoadBin"));
    placeOver(m_load, m_loadPicture, m_loadPicture->pos());
    m_programPicture->move(layoutPoint(s, "Btn_Program"));
    placeOver(m_program, m_programPicture, m_programPicture->pos());

    const int size = s.layoutInt("Size_I", 9);
    const QColor text = s.layoutColor("Color_I");
    for (QWidget* w : std::initializer_list<QWidget*>{m_pathCaption, m_chosenFile, m_load, m_program})
        setTextLook(w, size, text);
}

void UpdatePage::applyLanguage() {
    m_pathCaption->setText(state().text("Str442"));
    m_load->setText(state().text("Str440"));
    m_program->setText(state().text("Str441"));
}

void UpdatePage::setChosenFile(const QString& path) {
    m_chosenFile->setText(path);
}

} // namespace tarvik::gui
