#include "mididata/eventpool.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define ORV_EVENT_POOL 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORV_EVENT_POOL 0
#endif
#endif
#ifndef ORV_EVENT_POOL
#define ORV_EVENT_POOL 1
#endif

namespace {

constexpr std::size_t kBlockSize = 256 * 1024;
constexpr std::size_t kHeader = 64;
constexpr std::size_t kLargest = 256;
constexpr std::size_t kKeptEmptyBlocks = 64;
constexpr std::size_t kHugePage = 2 * 1024 * 1024;
constexpr std::size_t kArenaSize = 8 * 1024 * 1024;

struct Block {
    std::size_t live;  // events carved from this block and not yet freed
};

// Blocks are cut from large arenas of address space. Touching memory costs a
// page fault per page, which dominates reading a big file in a fresh process;
// an arena asks for huge pages, so a song of a million notes takes a few
// dozen faults instead of tens of thousands. Arenas are never given back:
// blocks that fall empty are kept for reuse, and past a few their memory is
// returned to the system while their addresses stay ours.
struct Pool {
    Block* current = nullptr;
    char* cursor = nullptr;
    char* limit = nullptr;
    std::vector<Block*> empty;     // ready to use
    std::vector<Block*> released;  // memory given back; faulted in again on use
    char* arenaNext = nullptr;     // the next block never used of the newest arena
    char* arenaEnd = nullptr;

    void mapArena(std::size_t bytes)
    {
        bytes = (bytes + kHugePage - 1) & ~(kHugePage - 1);
        void* mem = mmap(nullptr, bytes + kHugePage, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (mem == MAP_FAILED)
            throw std::bad_alloc();
        // Aligned to a huge page, so the kernel can back it with them.
        const uintptr_t raw = reinterpret_cast<uintptr_t>(mem);
        const uintptr_t start = (raw + kHugePage - 1) & ~uintptr_t(kHugePage - 1);
        if (start > raw)
            munmap(mem, start - raw);
        const uintptr_t tail = raw + bytes + kHugePage - (start + bytes);
        if (tail > 0)
            munmap(reinterpret_cast<void*>(start + bytes), tail);
        madvise(reinterpret_cast<void*>(start), bytes, MADV_HUGEPAGE);
        arenaNext = reinterpret_cast<char*>(start);
        arenaEnd = arenaNext + bytes;
    }

    void reserve(std::size_t bytes)
    {
        if (std::size_t(arenaEnd - arenaNext) + empty.size() * kBlockSize >= bytes)
            return;
        // The rest of the old arena stays unused: address space that was never touched.
        mapArena(std::max(bytes, kArenaSize));
    }

    void startBlock()
    {
        Block* b;
        if (!empty.empty()) {
            b = empty.back();
            empty.pop_back();
        } else if (arenaNext != arenaEnd) {
            b = reinterpret_cast<Block*>(arenaNext);
            arenaNext += kBlockSize;
        } else if (!released.empty()) {
            b = released.back();
            released.pop_back();
        } else {
            mapArena(kArenaSize);
            b = reinterpret_cast<Block*>(arenaNext);
            arenaNext += kBlockSize;
        }
        b->live = 0;
        current = b;
        cursor = reinterpret_cast<char*>(b) + kHeader;
        limit = reinterpret_cast<char*>(b) + kBlockSize;
    }

    void* allocate(std::size_t bytes)
    {
        if (!current || std::size_t(limit - cursor) < bytes) {
            // A block left behind with no live events was freed already; the
            // others are freed by their last event.
            if (current && current->live == 0)
                retire(current);
            startBlock();
        }
        void* p = cursor;
        cursor += bytes;
        ++current->live;
        return p;
    }

    void free(void* p)
    {
        auto* b = reinterpret_cast<Block*>(reinterpret_cast<uintptr_t>(p) & ~uintptr_t(kBlockSize - 1));
        if (--b->live != 0)
            return;
        if (b == current) {
            cursor = reinterpret_cast<char*>(b) + kHeader;  // start over in place
            return;
        }
        retire(b);
    }

    void retire(Block* b)
    {
        if (empty.size() < kKeptEmptyBlocks) {
            empty.push_back(b);
            return;
        }
        madvise(b, kBlockSize, MADV_DONTNEED);
        released.push_back(b);
    }
};

Pool& pool()
{
    // Never destroyed: events released during static destruction still have a home.
    static Pool* p = new Pool;
    return *p;
}

std::size_t rounded(std::size_t size)
{
    return (size + 7) & ~std::size_t(7);
}

}  // namespace

void* eventPoolAllocate(std::size_t size)
{
    if (!ORV_EVENT_POOL || size > kLargest)
        return ::operator new(size);
    return pool().allocate(rounded(size));
}

void eventPoolFree(void* ptr, std::size_t size)
{
    if (!ptr)
        return;
    if (!ORV_EVENT_POOL || size > kLargest) {
        ::operator delete(ptr);
        return;
    }
    pool().free(ptr);
}

void eventPoolReserve(std::size_t bytes)
{
    if (ORV_EVENT_POOL)
        pool().reserve(bytes);
}
