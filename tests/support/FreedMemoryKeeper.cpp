#include "support/FreedMemoryKeeper.h"
#include <windows.h>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string_view>

namespace {
// The blocks held by the living keeper. Past this many, a block is never given back at all: a
// test program can afford that, and no block the keeper stands for may ever be taken again.
constexpr size_t kMostHeld = 16384;
void* held[kMostHeld];
size_t heldCount = 0;
std::atomic<bool> keeping{false};
// A spin lock: ready before any constructor runs, as operator delete may be called before them.
std::atomic_flag heldBusy = ATOMIC_FLAG_INIT;
struct HeldLock {
    HeldLock() {
        while (heldBusy.test_and_set(std::memory_order_acquire)) Sleep(0);
    }
    ~HeldLock() { heldBusy.clear(std::memory_order_release); }
};

// Whether the block stays out of the free store (held, or past the room left for good).
bool Hold(void* block) {
    if (!keeping.load(std::memory_order_acquire)) return false;  // the usual case, without the lock
    HeldLock lock;
    const bool kept = keeping;
    if (kept && heldCount < kMostHeld) held[heldCount++] = block;
    return kept;
}

// Ends the holding; gives every held block back.
void StopHolding() {
    size_t count = 0;
    {
        HeldLock lock;
        keeping = false;
        count = heldCount;
        heldCount = 0;
    }
    for (size_t i = 0; i < count; ++i) std::free(held[i]);
}

bool IsHeld(const void* block) {
    HeldLock lock;
    bool found = false;
    for (size_t i = 0; i < heldCount && !found; ++i) found = held[i] == block;
    return found;
}
}  // namespace

// Replaces the run time's own for the whole test program; its operator new takes blocks from
// malloc, as this one gives them back to free. The array forms end here too.
void operator delete(void* block) noexcept {
    if (block && !Hold(block)) std::free(block);
}

void operator delete(void* block, std::size_t) noexcept { ::operator delete(block); }

namespace testing_support {

FreedMemoryKeeper::FreedMemoryKeeper() {
    bool already = false;
    {
        HeldLock lock;
        already = keeping.exchange(true);
    }
    if (already) throw std::logic_error("FreedMemoryKeeper: one at a time");
    // A program whose free store passed this by would leave every check to the heap's luck. The
    // probe goes the way a string's buffer goes (sized), and is cleared first: the heap may hand
    // it a block that held anything.
    void* probe = ::operator new(64);
    std::memset(probe, 0, 64);
    ::operator delete(probe, 64);
    if (!IsHeld(probe)) {
        StopHolding();
        throw std::logic_error("FreedMemoryKeeper: this program's operator delete is not the keeper's");
    }
}

FreedMemoryKeeper::~FreedMemoryKeeper() { StopHolding(); }

bool FreedMemoryKeeper::SecretLeftAt(const char* address, size_t length, const std::string& secret) const {
    const std::string_view seen(address, length);
    const size_t piece = 8;
    for (size_t at = 0; at + piece <= secret.size(); ++at)
        if (seen.find(std::string_view(secret).substr(at, piece)) != std::string_view::npos) return true;
    return false;
}

}  // namespace testing_support
