#pragma once

#include <string>
#include <vector>

namespace platform {

// The Landlock ABI version the kernel offers; 0 when it offers none.
int landlockAbi();

// What sandboxing did.
enum class Sandboxed { yes, unavailable, failed };

// Restricts the calling thread, the threads it starts later and the processes they start, for good, with
// the rights Landlock ABI `abi` knows (at most the kernel's: a lower one stands for an older kernel):
// afterwards they may read the files and list the folders beneath `readable` (those that exist) and
// nothing else: no other file or folder opened or made and, as the ABI has them, no TCP port bound or
// connected (4), no signal to and no abstract socket of a process outside the sandbox (6). Every access
// right the ABI knows is handled. Threads already running stay as they were: call it before starting any.
// `unavailable` when `abi` is 0 (the kernel has no Landlock), `failed` when the kernel refused the rules
// (then nothing changed).
Sandboxed sandboxToReading(const std::vector<std::string>& readable, int abi = landlockAbi());

// What the picture worker may still read once it has loaded Qt's plugins and the fonts: /usr, the font
// configuration, and every font and cache folder fontconfig is configured with (the user's fonts too).
std::vector<std::string> pictureWorkerReadable();

} // namespace platform
