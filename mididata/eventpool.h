#pragma once
// Storage for events. A song holds millions of small events that are made in one
// go when a file is read and released in one go when it is closed. Events are
// carved one after another out of large aligned blocks; each block counts the
// events living in it and is reused from its start once all of them are gone.
// That keeps a song's events in the order they were made, which every later walk
// over them rewards, and costs no per-object header. Like event creation itself,
// the pool is used by one thread at a time. Under AddressSanitizer events come
// from the general allocator, so that a use after release is still caught.
#include <cstddef>

void* eventPoolAllocate(std::size_t size);
void eventPoolFree(void* p, std::size_t size);
// Makes room for about `bytes` of events in one stretch of memory that can be
// backed by huge pages; the reader calls it with an estimate from a file's size.
void eventPoolReserve(std::size_t bytes);
