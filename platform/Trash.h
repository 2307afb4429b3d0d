#pragma once

#include <memory>
#include <string>

namespace platform {

// How an item reaches the Trash. Called off the main thread, one item at a time per move; two moves
// may run at once, so implementations must be thread-safe.
// Tests stand a fake in place of the real one, since CI runs as root and real failures are hard to make.
class TrashBackend {
  public:
    virtual ~TrashBackend() = default;
    // First attempt: moves the item at the normalised absolute `path` into a Trash. True on success.
    virtual bool moveToTrash(const std::string& path) = 0;
    // Second attempt for an item the first refused. Blocking; its own verdict is not trusted: the
    // caller judges by whether the item is still there.
    virtual void secondAttempt(const std::string& path) = 0;
};

// The freedesktop.org Trash, done by Brenwick itself.
//
// Home trash: $XDG_DATA_HOME/Trash (files/, info/), created when missing, for items on its file system.
// Other file systems: $topdir/.Trash/$uid when $topdir/.Trash is a real folder with the sticky bit,
// else $topdir/.Trash-$uid (mode 0700). The .trashinfo file is reserved first with O_CREAT | O_EXCL
// (a name clash takes the next free name), then the item is moved with rename(2). Nothing is ever
// copied or deleted: a move that cannot be a rename fails. A mount point, or an item on another file
// system than its Trash, is refused before any Trash folder is made; a move that fails withdraws its
// .trashinfo and removes the Trash folders it made. The second attempt runs `gio trash` when it is
// installed (looked up on PATH each time), with a time limit; when the item is still there after it,
// the Trash folders that were missing before it and are empty are removed too.
class FreedesktopTrash : public TrashBackend {
  public:
    bool moveToTrash(const std::string& path) override;
    void secondAttempt(const std::string& path) override;

    // Where moveToTrash would put `path`'s trash (the folder holding files/ and info/), or empty when
    // none can be used. Exposed for tests and diagnostics.
    static std::string trashFolderFor(const std::string& path);
};

std::shared_ptr<TrashBackend> defaultTrashBackend();

// True when something (a file, a folder, a link, even a dangling one) is at `path`. Never follows links.
bool existsNoFollow(const std::string& path);

// The .trashinfo text for an item: "[Trash Info]", the percent-encoded Path= (absolute for the home
// trash, relative to the top folder for a volume's trash) and the local DeletionDate=YYYY-MM-DDThh:mm:ss.
std::string trashInfoText(const std::string& pathInInfo, long long deletionTime);
// Percent-encodes every byte except unreserved characters and "/".
std::string percentEncodePath(const std::string& path);

} // namespace platform
