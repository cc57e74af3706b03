#include "cli/memory_reuse_posix.h"

#include <cstddef>  // defines __GLIBC__ on glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

// glibc gives a freed block of 128 KB or more straight back to the system
// (or trims the heap's top above that), so a file whose segments and Extended
// XMP take a few megabytes faulted in fresh pages on every copy of it: over a
// tree where such files recur, page faults took longer than the analysis.
// Blocks up to 16 MB now come from the heap, and up to 32 MB of free heap is
// kept for the next file.
void KeepFreedMemoryForReuse() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 16 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 32 * 1024 * 1024);
#endif
}
