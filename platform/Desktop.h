#pragma once

#include <QString>
#include <QUrl>

#include <memory>
#include <string>
#include <vector>

class QDBusMessage;

namespace platform {

// What Brenwick asks of the desktop for an item of a scan: show it in the file manager, open it, copy
// its path. Paths are raw bytes, as the tree keeps them. Views call desktop(); tests stand a fake in
// place of the system's with setDesktop().
class Desktop {
  public:
    virtual ~Desktop() = default;
    // Shows the item selected in its folder in the file manager. Never blocks.
    virtual void reveal(const std::string& path) = 0;
    // Shows several items selected in the file manager, at once where it can. By default, one reveal
    // per item.
    virtual void revealItems(const std::vector<std::string>& paths);
    // Opens the item with the desktop's default application.
    virtual void open(const std::string& path) = 0;
    // Replaces the clipboard's content with the path as plain text.
    virtual void copyPath(const std::string& path) = 0;
};

// The real desktop: reveal asks a file manager over D-Bus (org.freedesktop.FileManager1.ShowItems)
// without waiting for it, and opens the parent folder when no file manager answers; open goes
// through QDesktopServices; copy through the application clipboard. Main thread only.
class SystemDesktop : public Desktop {
  public:
    void reveal(const std::string& path) override;
    void revealItems(const std::vector<std::string>& paths) override;
    void open(const std::string& path) override;
    void copyPath(const std::string& path) override;
};

// The desktop the interface uses: the system's unless a test replaced it.
Desktop& desktop();
// Replaces it; null restores the system's.
void setDesktop(std::shared_ptr<Desktop> replacement);

// The file URL of a path with every byte kept (percent-encoded), so names that are not UTF-8 still
// reach the file. QFile::decodeName would turn such bytes into replacement characters.
QUrl fileUrl(const std::string& path);
// The URL of the folder holding `path` ("/" for "/" and for items directly in it).
QUrl parentFolderUrl(const std::string& path);
// A path as text to show or copy: UTF-8, bytes that are not shown as replacement characters.
QString pathText(const std::string& path);
// The ShowItems call for items.
QDBusMessage showItemsMessage(const std::vector<std::string>& paths);

} // namespace platform
