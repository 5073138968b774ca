// replay_events_fuzz.cpp -- libFuzzer target: the replay tool's events-file
// parser on arbitrary bytes. What it accepts must be in step order with
// every value in its range; a refusal must name a line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/lib/replay_events.h"

static bool ValidEvent(const ReplayEvent& ev, long previousStep) {
    if (ev.step < previousStep || ev.step > 0x7FFFFFFFL || ev.line < 1) return false;
    switch (ev.kind) {
    case EV_DOWN:
    case EV_UP: return ev.key <= 255;
    case EV_MOVE:
    case EV_LBDOWN:
    case EV_LBUP:
    case EV_SIZE: return ev.x >= 0 && ev.x <= 65535 && ev.y >= 0 && ev.y <= 65535;
    }
    return false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<ReplayEvent> events;
    std::string error;
    bool ok = ParseReplayEvents(reinterpret_cast<const char*>(data), size, &events, &error);
    if (!ok && error.compare(0, 5, "line ") != 0) std::abort();
    long previousStep = 0;
    int previousLine = 0;
    for (const ReplayEvent& ev : events) {
        if (!ValidEvent(ev, previousStep) || ev.line <= previousLine) std::abort();
        previousStep = ev.step;
        previousLine = ev.line;
    }
    return 0;
}
