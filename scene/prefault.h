// prefault.h -- the pages of fresh scene memory, faulted in on a second
// thread while the reader works. The system zeroes each fresh page at its
// first write, and a full-capacity scene has over a hundred megabytes of
// them: done on the reader's own thread, that zeroing is a third of a load.
// Faulting a page in changes none of its bytes, so the two threads need no
// hand-off: whichever touches a page first brings it in.
#pragma once

#include <cstddef>

// Queues [block, block + bytes) for the next StartPrefault.
void QueuePrefault(void* block, size_t bytes);
// Drops a queued block that is about to be given back.
void UnqueuePrefault(void* block);
// Faults in the queued blocks on a second thread, a huge page of each in
// turn, so that tables the reader fills side by side come in side by side.
// Does nothing where the system cannot fault in pages on request.
void StartPrefault();
// Waits for that thread and drops what is still queued. Called before the
// load returns, so that no thread outlives the load that started it.
void FinishPrefault();
