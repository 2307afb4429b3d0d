#pragma once

namespace platform {

// Gives the calling thread a descriptor table of its own that holds only standard input, output and
// error. A process's threads share one table, and every open and close takes its lock; threads that open
// and close many files at once spend much of their time waiting on it, and every read on a shared table
// counts references on the file. Descriptors the thread opens afterwards are its own: other threads cannot
// use them, and they close when the thread ends. Only for threads made for one job and ended after it,
// never for a pool's or the main thread. False when the system refuses; the thread then shares the table
// as before.
bool useOwnDescriptorTable();

} // namespace platform
