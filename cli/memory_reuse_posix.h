// How the process's allocator keeps memory between files.
#pragma once

// Keeps freed memory of up to a few megabytes in the process for the next
// file instead of returning it to the system at once.
void KeepFreedMemoryForReuse();
