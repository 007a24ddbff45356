#include "mididata/eventpool.h"

#include <cstdint>
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

constexpr size_t kGrain = 8;
constexpr size_t kLargest = 256;
constexpr size_t kBlockSize = 256 * 1024;

struct FreeSlot {
    FreeSlot* next;
};

struct Pool {
    FreeSlot* freeLists[kLargest / kGrain + 1] = {};
    std::vector<void*> blocks;
    char* cursor = nullptr;
    char* limit = nullptr;

    ~Pool() {
        for (void* b : blocks) ::operator delete(b);
    }

    void* carve(size_t bytes) {
        if (size_t(limit - cursor) < bytes) {
            cursor = static_cast<char*>(::operator new(kBlockSize));
            limit = cursor + kBlockSize;
            blocks.push_back(cursor);
        }
        void* p = cursor;
        cursor += bytes;
        return p;
    }
};

Pool& pool() {
    // Never destroyed: events released during static destruction still have a home.
    static Pool* p = new Pool;
    return *p;
}

}  // namespace

void* eventPoolAllocate(size_t size) {
    if (!ORV_EVENT_POOL || size > kLargest) return ::operator new(size);
    const size_t cls = (size + kGrain - 1) / kGrain;
    Pool& p = pool();
    if (FreeSlot* slot = p.freeLists[cls]) {
        p.freeLists[cls] = slot->next;
        return slot;
    }
    return p.carve(cls * kGrain);
}

void eventPoolFree(void* ptr, size_t size) {
    if (!ptr) return;
    if (!ORV_EVENT_POOL || size > kLargest) {
        ::operator delete(ptr);
        return;
    }
    const size_t cls = (size + kGrain - 1) / kGrain;
    Pool& p = pool();
    auto* slot = static_cast<FreeSlot*>(ptr);
    slot->next = p.freeLists[cls];
    p.freeLists[cls] = slot;
}
