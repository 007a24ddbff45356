#pragma once
// Storage for events. A song holds millions of small events; taking them from
// size-classed free lists carved out of large blocks costs a fraction of the
// general allocator and no per-object header. Blocks are kept for reuse, never
// returned. Like event creation itself, the pool is used by one thread at a time.
// Under AddressSanitizer events come from the general allocator, so that a use
// after release is still caught.
#include <cstddef>

void* eventPoolAllocate(size_t size);
void eventPoolFree(void* p, size_t size);
