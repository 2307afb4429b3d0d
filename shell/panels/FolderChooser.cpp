#include "shell/panels/FolderChooser.h"

#include "platform/PathFromText.h"
#include "platform/UserFolders.h"

#include <QFile>
#include <QFileDialog>

std::unique_ptr<QFileDialog> makeFolderChooser(QWidget* parent) {
    auto dialog =
        std::make_unique<QFileDialog>(parent, QStringLiteral("Choose a Folder to Scan"),
                                      QFile::decodeName(QByteArray::fromStdString(platform::homeFolder())));
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setLabelText(QFileDialog::Accept, QStringLiteral("Scan"));
    return dialog;
}

std::optional<std::string> chooseFolderToScan(QWidget* parent) {
    const auto dialog = makeFolderChooser(parent);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return std::nullopt;
    const QString folder = dialog->selectedFiles().front();
    if (folder.isEmpty()) return std::nullopt;
    // The dialog answers in text; the scanner needs the path's bytes as they are on disk.
    return platform::pathFromText(folder);
}
