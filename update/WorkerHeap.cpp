#include "update/WorkerHeap.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace quotrix {

bool TuneHeapForWorkers() {
#if defined(__GLIBC__)
    // A fixed threshold also stops glibc from raising it after the first large free to tens of
    // megabytes, which would keep any later block, however large, in the arenas.
    bool ok = mallopt(M_MMAP_THRESHOLD, static_cast<int>(kWorkerHeapDirectBytes)) == 1;
    ok = mallopt(M_TRIM_THRESHOLD, 1024 * 1024) == 1 && ok;
    ok = mallopt(M_TOP_PAD, 0) == 1 && ok;
    // Worker threads are kept between workers and stay with their arena; a few arenas are
    // plenty for threads that spend their time waiting for the network.
    ok = mallopt(M_ARENA_MAX, 4) == 1 && ok;
    return ok;
#else
    return false;
#endif
}

}  // namespace quotrix
