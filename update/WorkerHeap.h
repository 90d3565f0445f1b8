// The C heap of a process whose update workers come and go by the hundred.
//
// Every worker holds a quote page for a few milliseconds: the received chunks, the joined body
// and its UTF-16 decoding, some 150 KB for a 40 KB page. glibc serves each thread from one of up
// to eight arenas per core and keeps what the thread frees there, so 25 parallel workers left
// several megabytes of free but resident pages behind them that the next pass did not need.
// Page-sized blocks are therefore taken straight from the system and given back the moment the
// parse is done, arenas hand their free top back as soon as it passes 64 KB, and there are at
// most four of them (worker threads are kept between workers and stay with theirs).
//
// Threads: call once from main() before any thread starts. Elsewhere than glibc it does nothing
// (the Windows heap returns large blocks to the system by itself).
#pragma once

#include <cstddef>

namespace quotrix {

// Blocks of this many bytes or more bypass the arenas.
inline constexpr std::size_t kWorkerHeapDirectBytes = 1024 * 1024;

// False when the C library refused a setting (or has none to change).
bool TuneHeapForWorkers();

}  // namespace quotrix
