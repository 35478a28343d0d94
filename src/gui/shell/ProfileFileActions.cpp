#include "gui/shell/ProfileFileActions.h"

#include "core/cycle/ConfigCycle.h"
#include "core/device/DeviceDiscovery.h"
#include "core/edit/StoreEdits.h"
#include "core/image/FileIo.h"
#include "core/image/FileLoadResult.h"
#include "core/image/ProfileFile.h"
#include "gui/AppState.h"
#include "gui/dialogs/MessageSeam.h"
#include "gui/pages/NotStored.h"

namespace tarvik::gui {

namespace {

void tell(QWidget& window, const PageContext& context, const QString& text) {
    MessageSeam::showMessageDialog(&window, text, context.state.text("FontName"));
}

} // namespace

void saveProfileFile(QWidget& window, const PageContext& context, core::DeviceDiscovery& discovery) {
    const QString chosen =
        MessageSeam::saveFileName(&window, QString(), QString(), QStringLiteral("SaveFile (*.bin)"));
    if (chosen.isEmpty())
        return;
    // ".bin" is appended after the dialog confirmed the typed name: a file it did not ask about
    // is replaced only when the user says so.
    const std::filesystem::path chosenPath = chosen.toStdString();
    const std::filesystem::path path = core::profileSavePath(chosenPath);
    if (core::saveReplacesUnconfirmedFile(chosenPath) &&
        !MessageSeam::confirm(
            &window, context.state.text("Str723").arg(QString::fromStdString(path.filename().string()))))
        return;
    // The file holds the mouse as it is now, not as the window last drew it; a re-read that did
    // not get every report writes nothing.
    core::FileResult written;
    const core::CycleResult result = context.cycle.saveProfile(
        discovery.storageKind(), [&discovery] { discovery.showDeviceReady(); }, path, &written);
    if (result == core::CycleResult::NotRead)
        tell(window, context, context.state.text("Str722"));
    else if (result == core::CycleResult::FileFailed)
        tell(window, context, QString::fromStdString(written.error));
}

void loadProfileFile(QWidget& window, const PageContext& context) {
    const QString path =
        MessageSeam::openFileName(&window, QString(), QString(), QStringLiteral("LoadFile (*.bin)"));
    if (path.isEmpty())
        return;
    writeProfileFileToMouse(window, context, path);
}

void writeProfileFileToMouse(QWidget& window, const PageContext& context, const QString& path) {
    // Only a regular file of at most a profile's size is read: a FIFO or a device cannot hang the
    // window or fill its memory.
    core::FileResult read;
    const auto bytes = core::readProfileFileFrom(path.toStdString(), &read);
    if (!bytes) {
        tell(window, context, QString::fromStdString(read.error));
        return;
    }
    Shell& shell = context.shell;
    const core::FileEdit edit = core::loadProfile(context.cycle, *bytes, core::ProfileSource::File,
                                                  [&shell] { shell.resetAndRefind(); });
    if (edit.result.refusal == core::EditRefusal::FileRefused)
        tell(window, context,
             QString::fromLatin1(core::kLoadingBinError.data(), core::kLoadingBinError.size()) +
                 QStringLiteral("\n") + QString::fromStdString(edit.file.reason()));
    else if (edit.result.partlyWritten())
        shell.reportNotStored(notstored::kProfile, false); // the restart has read the mouse back
}

} // namespace tarvik::gui
