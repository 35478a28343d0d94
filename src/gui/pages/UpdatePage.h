#pragma once
// The update page ("gbPage5"): the chosen patch data file and the Load and Program buttons.

#include "core/image/ConfigBuffers.h"
#include "gui/pages/Page.h"

#include <optional>
#include <vector>

class QLabel;

namespace tarvik::gui {

class CaptionLabel;
class PictureControl;

class UpdatePage : public Page {
    Q_OBJECT
public:
    UpdatePage(const PageContext& context, QWidget* parent);

    void applyLayout() override;
    void applyLanguage() override;
    void refreshFromImage() override {} // the page shows no part of the configuration
    // Btn_Update_0Click, after the window's guards: the data file chosen before is forgotten.
    void opened() override;

    // The full name of the chosen data file ("" when the page opens).
    void setChosenFile(const QString& path);
    // PatchFileLoaded.
    bool patchFileLoaded() const { return m_patchFile.has_value(); }

    // Btn_LoadBINClick: a data file through the open dialog, kept until Program or the next opening.
    void loadBin();
    // Btn_ProgramClick: only with a mouse and a loaded file.
    void program();

private:
    PictureControl* m_page = nullptr;
    QLabel* m_pathCaption = nullptr;
    QLabel* m_chosenFile = nullptr;
    PictureControl* m_loadPicture = nullptr;
    CaptionLabel* m_load = nullptr;
    PictureControl* m_programPicture = nullptr;
    CaptionLabel* m_program = nullptr;
    // The bytes of the loaded data file. They go into the buffers only when Program runs, so that a
    // full read between Load and Program cannot send the mouse its own old patch.
    std::optional<std::vector<core::Byte>> m_patchFile;
};

} // namespace tarvik::gui
