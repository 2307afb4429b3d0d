#pragma once

#include <string>
#include <vector>

namespace platform {

// The Landlock ABI version the kernel offers; 0 when it offers none.
int landlockAbi();

// What sandboxing did.
enum class Sandboxed { yes, unavailable, failed };

// Restricts the calling thread, the threads it starts later and the processes they start, for good:
// afterwards they may read the files and list the folders beneath `readable` (those that exist) and
// nothing else: no other file or folder opened or made, no TCP port bound or connected, no signal to and
// no abstract socket of a process outside the sandbox. Every access right the kernel's Landlock knows is
// handled. Threads already running stay as they were: call it before starting any. `unavailable` when
// the kernel has no Landlock, `failed` when it refused the rules (then nothing changed).
Sandboxed sandboxToReading(const std::vector<std::string>& readable);

// What the picture worker may still read once it has loaded Qt's plugins and the fonts: /usr, the font
// configuration and fontconfig's caches.
std::vector<std::string> pictureWorkerReadable();

} // namespace platform
