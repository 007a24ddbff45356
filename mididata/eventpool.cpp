#include "mididata/eventpool.h"

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

constexpr size_t kBlockSize = 256 * 1024;
constexpr size_t kHeader = 64;
constexpr size_t kLargest = 256;
constexpr size_t kKeptEmptyBlocks = 64;

struct Block {
    size_t live;  // events carved from this block and not yet freed
};

struct Pool {
    Block* current = nullptr;
    char* cursor = nullptr;
    char* limit = nullptr;
    std::vector<Block*> empty;

    void startBlock() {
        Block* b;
        if (!empty.empty()) {
            b = empty.back();
            empty.pop_back();
        } else {
            void* mem = std::aligned_alloc(kBlockSize, kBlockSize);
            if (!mem) throw std::bad_alloc();
            b = static_cast<Block*>(mem);
        }
        b->live = 0;
        current = b;
        cursor = reinterpret_cast<char*>(b) + kHeader;
        limit = reinterpret_cast<char*>(b) + kBlockSize;
    }

    void* allocate(size_t bytes) {
        if (!current || size_t(limit - cursor) < bytes) {
            // A block left behind with no live events was freed already; the
            // others are freed by their last event.
            if (current && current->live == 0) retire(current);
            startBlock();
        }
        void* p = cursor;
        cursor += bytes;
        ++current->live;
        return p;
    }

    void free(void* p) {
        auto* b = reinterpret_cast<Block*>(reinterpret_cast<uintptr_t>(p) & ~uintptr_t(kBlockSize - 1));
        if (--b->live != 0) return;
        if (b == current) {
            cursor = reinterpret_cast<char*>(b) + kHeader;  // start over in place
            return;
        }
        retire(b);
    }

    void retire(Block* b) {
        if (empty.size() < kKeptEmptyBlocks) empty.push_back(b);
        else std::free(b);
    }
};

Pool& pool() {
    // Never destroyed: events released during static destruction still have a home.
    static Pool* p = new Pool;
    return *p;
}

size_t rounded(size_t size) { return (size + 7) & ~size_t(7); }

}  // namespace

void* eventPoolAllocate(size_t size) {
    if (!ORV_EVENT_POOL || size > kLargest) return ::operator new(size);
    return pool().allocate(rounded(size));
}

void eventPoolFree(void* ptr, size_t size) {
    if (!ptr) return;
    if (!ORV_EVENT_POOL || size > kLargest) {
        ::operator delete(ptr);
        return;
    }
    pool().free(ptr);
}
