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

// The blocks of the load in progress and the thread faulting them in: a
// table's allocation queues its block wherever the table is, so the queue
// is the process's, as the memory budget is.
static struct {
    std::vector<PrefaultBlock> queued;
    std::thread thread;
} prefault;

constexpr size_t PREFAULT_STEP = (size_t)2 << 20;  // one huge page of a block per turn

void QueuePrefault(void* block, size_t bytes) {
    try {
        prefault.queued.push_back({static_cast<char*>(block), bytes});
    } catch (...) {
        // No room to remember the block: its pages come in as it is written.
    }
}

void UnqueuePrefault(void* block) {
    prefault.queued.erase(std::remove_if(prefault.queued.begin(), prefault.queued.end(),
                                [block](const PrefaultBlock& b) { return b.start == block; }),
                 prefault.queued.end());
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
    if (prefault.thread.joinable()) prefault.thread.join();
    if (prefault.queued.empty() || !Sys_CanPrefault()) {
        prefault.queued.clear();
        return;
    }
    try {
        prefault.thread = std::thread(FaultIn, std::move(prefault.queued));
    } catch (...) {
        // No thread: the pages come in as the reader writes them.
    }
    prefault.queued.clear();
}

void FinishPrefault() {
    if (prefault.thread.joinable()) prefault.thread.join();
    prefault.queued.clear();
}
