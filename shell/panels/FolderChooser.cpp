#include "shell/panels/FolderChooser.h"

#include "platform/UserFolders.h"

#include <QFile>
#include <QFileDialog>

std::optional<std::string> chooseFolderToScan(QWidget* parent) {
    const QString folder = QFileDialog::getExistingDirectory(
        parent, QStringLiteral("Choose a Folder to Scan"),
        QFile::decodeName(QByteArray::fromStdString(platform::homeFolder())), QFileDialog::ShowDirsOnly);
    if (folder.isEmpty()) return std::nullopt;
    // The scanner takes the path's bytes as they are on disk.
    return std::string(QFile::encodeName(folder).constData());
}
