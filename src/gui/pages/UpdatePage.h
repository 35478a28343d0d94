#pragma once
// The update page ("gbPage5"): the chosen patch data file and the Load and Program buttons.

#include "gui/pages/Page.h"

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
    // Opening the page forgets the data file chosen before.
    void opened() override { setChosenFile(QString()); }

    // The full name of the chosen data file ("" when the page opens).
    void setChosenFile(const QString& path);

private:
    PictureControl* m_page = nullptr;
    QLabel* m_pathCaption = nullptr;
    QLabel* m_chosenFile = nullptr;
    PictureControl* m_loadPicture = nullptr;
    CaptionLabel* m_load = nullptr;
    PictureControl* m_programPicture = nullptr;
    CaptionLabel* m_program = nullptr;
};

} // namespace tarvik::gui
