// prefault.cpp -- the second thread that faults in fresh scene memory.
#include "scene/prefault.h"

#include <algorithm>
#include <thread>
#include <vector>

#include "platform/system.h"

struct PrefaultBlock {
    char* start;
    size_t bytes;
};

static std::vector<PrefaultBlock> queued;
static std::thread prefaultThread;

constexpr size_t PREFAULT_STEP = (size_t)2 << 20;  // one huge page of a block per turn

void QueuePrefault(void* block, size_t bytes) {
    try {
        queued.push_back({static_cast<char*>(block), bytes});
    } catch (...) {
        // No room to remember the block: its pages come in as it is written.
    }
}

void UnqueuePrefault(void* block) {
    queued.erase(std::remove_if(queued.begin(), queued.end(),
                                [block](const PrefaultBlock& b) { return b.start == block; }),
                 queued.end());
}

// Faults in every block, round by round. A block the reader has given back
// meanwhile fails its turn harmlessly; a system without the request ends it.
static void FaultIn(std::vector<PrefaultBlock> blocks) {
    for (size_t offset = 0;; offset += PREFAULT_STEP) {
        bool more = false;
        for (const PrefaultBlock& b : blocks) {
            if (offset >= b.bytes) continue;
            more = true;
            size_t length = std::min(PREFAULT_STEP, b.bytes - offset);
            if (!Sys_PrefaultPages(b.start + offset, length)) return;
        }
        if (!more) return;
    }
}

void StartPrefault() {
    if (prefaultThread.joinable()) prefaultThread.join();
    if (queued.empty() || !Sys_CanPrefault()) {
        queued.clear();
        return;
    }
    try {
        prefaultThread = std::thread(FaultIn, std::move(queued));
    } catch (...) {
        // No thread: the pages come in as the reader writes them.
    }
    queued.clear();
}

void FinishPrefault() {
    if (prefaultThread.joinable()) prefaultThread.join();
    queued.clear();
}
