#include "ui/work_folder.h"

#include "files/data_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <filesystem>

namespace tolvane {
namespace {

std::filesystem::path FileSystemPath(const QString& path) {
    return path.isEmpty() ? std::filesystem::path() : std::filesystem::path(path.toStdU16String());
}

} // namespace

QString UserDataFolderPath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString InstalledDataFolderPath() {
    const std::filesystem::path folder =
        InstalledDataFolder(FileSystemPath(QCoreApplication::applicationDirPath()));
    return folder.empty() ? QString() : QString::fromStdU16String(folder.u16string());
}

void EnterWorkFolder() {
    const std::filesystem::path folder =
        ChooseWorkFolder(FileSystemPath(QDir::currentPath()), FileSystemPath(UserDataFolderPath()),
                         FileSystemPath(InstalledDataFolderPath()));
    (void)QDir::setCurrent(QString::fromStdU16String(folder.u16string()));
}

} // namespace tolvane
