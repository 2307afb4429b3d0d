#pragma once

#include <QIcon>

#include <string>

namespace platform {

// Finds the picture a desktop entry's Icon value names. The applications screen asks through this
// interface, so tests can stand a fake in its place.
class AppIconProvider {
  public:
    virtual ~AppIconProvider() = default;
    // The icon of an Icon value: an absolute file path, or a name in the desktop's icon theme (a
    // trailing ".png", ".svg" or ".xpm" ignored). A null icon when nothing is found. Main thread only.
    virtual QIcon icon(const std::string& iconValue) = 0;
};

// The desktop's icons: files through QIcon, names through QIcon::fromTheme.
class DesktopIconProvider final : public AppIconProvider {
  public:
    QIcon icon(const std::string& iconValue) override;
};

} // namespace platform
