#include "platform/MacroLibraryLocation.h"

#include "core/macros/MacroLibraryFile.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace tarvik::platform {

namespace {

// QStandardPaths::AppDataLocation as it is for an application of this name, whatever the name of the
// program asking is.
QString appDataFolder(const QString& applicationName) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString organization = QCoreApplication::organizationName();
    if (!organization.isEmpty())
        folder += QLatin1Char('/') + organization;
    if (!applicationName.isEmpty())
        folder += QLatin1Char('/') + applicationName;
    return folder;
}

} // namespace

MacroLibraryLocation macroLibraryLocation(const std::string& macroPath,
                                          const std::filesystem::path& programDirectory,
                                          const QString& applicationName) {
    MacroLibraryLocation location;
    if (!macroPath.empty()) {
        location.path = core::MacroLibraryFile::in(macroPath, programDirectory).path();
        return location;
    }
    location.path = core::MacroLibraryFile::in(appDataFolder(applicationName).toStdString(), {}).path();
    location.besideProgram = core::MacroLibraryFile::in("", programDirectory).path();
    return location;
}

} // namespace tarvik::platform
