#include "gui/shell/ProfileFileActions.h"

#include "core/cycle/ConfigCycle.h"
#include "core/device/DeviceDiscovery.h"
#include "core/image/FileLoadResult.h"
#include "core/image/ProfileFile.h"
#include "core/macros/MacroFiles.h"
#include "gui/AppState.h"
#include "gui/dialogs/MessageSeam.h"
#include "gui/pages/NotStored.h"

#include <QFile>
#include <QSaveFile>

namespace tarvik::gui {

void saveProfileFile(QWidget& window, const PageContext& context, core::DeviceDiscovery& discovery) {
    const QString chosen =
        MessageSeam::saveFileName(&window, QString(), QString(), QStringLiteral("SaveFile (*.bin)"));
    if (chosen.isEmpty())
        return;
    const QString path = QString::fromStdString(core::exportFilePath(chosen.toStdString()).string());
    // The file holds the mouse as it is now, not as the window last drew it.
    context.cycle.fullRead(discovery.storageKind(), [&discovery] { discovery.showDeviceReady(); });
    if (!context.link.connected())
        return; // the mouse went away during the read: the buffers are not what it holds
    context.cycle.dataBufToMemo();
    const std::vector<core::Byte> bytes = core::writeProfileFile(context.state.buffers);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()) ||
        !file.commit())
        MessageSeam::showMessageDialog(&window, file.errorString(), context.state.text("FontName"));
}

void loadProfileFile(QWidget& window, const PageContext& context) {
    const QString path =
        MessageSeam::openFileName(&window, QString(), QString(), QStringLiteral("LoadFile (*.bin)"));
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        MessageSeam::showMessageDialog(&window, file.errorString(), context.state.text("FontName"));
        return;
    }
    const QByteArray contents = file.readAll();
    file.close();
    const auto bytes = std::span(reinterpret_cast<const core::Byte*>(contents.constData()),
                                 static_cast<std::size_t>(contents.size()));
    Shell& shell = context.shell;
    const core::CycleResult result = context.cycle.loadProfile(bytes, [&shell] { shell.resetAndRefind(); });
    if (result == core::CycleResult::Refused)
        MessageSeam::showMessageDialog(
            &window, QString::fromLatin1(core::kLoadingBinError.data(), core::kLoadingBinError.size()),
            context.state.text("FontName"));
    else if (result == core::CycleResult::NotStored)
        shell.reportNotStored(notstored::kProfile, false); // the restart has read the mouse back
}

} // namespace tarvik::gui
