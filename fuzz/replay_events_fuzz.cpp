// replay_events_fuzz.cpp -- libFuzzer target: the replay tool's events-file
// parser on arbitrary bytes. What it accepts must be in step order with
// every value in its range; a refusal must name a line. The same bytes read
// from a file must give the same answer, and a path that is no regular file
// (a folder, a FIFO without a writer, a link to /dev/zero), chosen by the
// first byte, must be refused at once.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "tools/lib/replay_events.h"

static std::string folder, regular, special[3];  // made once per process

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

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char dir[] = "/tmp/ambler-events-fuzz-XXXXXX";
    if (!mkdtemp(dir)) std::abort();
    folder = dir;
    regular = folder + "/events";
    special[0] = folder + "/folder";
    special[1] = folder + "/fifo";
    special[2] = folder + "/zero";
    if (mkdir(special[0].c_str(), 0700) != 0 || mkfifo(special[1].c_str(), 0600) != 0 ||
        symlink("/dev/zero", special[2].c_str()) != 0)
        std::abort();
    return 0;
}

// The file side: the bytes from a regular file as from memory; the special
// paths refused.
static void CheckFiles(const uint8_t* data, size_t size, bool parsed, size_t eventCount) {
    FILE* f = std::fopen(regular.c_str(), "wb");
    if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0) std::abort();
    std::vector<ReplayEvent> events;
    std::string error;
    if (LoadReplayEvents(regular.c_str(), &events, &error) != parsed) std::abort();
    if (parsed && events.size() != eventCount) std::abort();
    const std::string& path = special[size ? data[0] % 3 : 0];
    events.clear();
    if (LoadReplayEvents(path.c_str(), &events, &error) || !events.empty() ||
        error.find("not a regular file") == std::string::npos)
        std::abort();
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
    CheckFiles(data, size, ok, events.size());
    return 0;
}
