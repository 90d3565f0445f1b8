// The C heap of a process whose update workers come and go by the hundred.
//
// Every worker holds a quote page for a few milliseconds: the received body, the joined body
// and, for a classic page, its UTF-16 decoding; some 500 KB for today's 160 KB page. glibc serves
// each thread from one of up to eight arenas per core and keeps what the thread frees there, so
// 25 parallel workers left several megabytes of free but resident pages behind them. There are
// therefore at most four arenas (worker threads are kept between workers and stay with theirs),
// and an arena hands its free top back once it passes 1 MB. Page buffers do stay in the arenas:
// taken straight from the system, every one of them was fresh pages that the kernel had to
// fault in and clear, over a hundred faults per page, which cost a pass more CPU than reading
// the pages did. The price is at most a megabyte of free pages per arena.
//
// Threads: call once from main() before any thread starts. Elsewhere than glibc it does nothing
// (the Windows heap returns large blocks to the system by itself).
#pragma once

#include <cstddef>

namespace quotrix {

// Blocks of this many bytes or more bypass the arenas (and go back to the system when freed).
inline constexpr std::size_t kWorkerHeapDirectBytes = 1024 * 1024;

// False when the C library refused a setting (or has none to change).
bool TuneHeapForWorkers();

}  // namespace quotrix
