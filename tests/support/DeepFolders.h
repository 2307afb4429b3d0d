#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Folder chains deeper than PATH_MAX, made and removed with descriptor-relative calls only (a full path
// would be refused), never holding more than three descriptors open.

// Makes `levels` nested folders named `name` below the folder `top`; `fill(fd, level)` runs in each
// (level 1 is the first made) to put entries there. Returns the full path of the deepest.
std::string makeFolderChain(const std::string& top, int levels, const std::string& name,
                            const std::function<void(int fd, int level)>& fill = {});

// Writes a file of `size` bytes of `fill` in the open folder `dirFd`.
void writeFileAt(int dirFd, const std::string& name, size_t size, char fill = 'x');

// Removes `path` and everything below it, whatever the depth. True when it is gone.
bool removeTree(const std::string& path);
