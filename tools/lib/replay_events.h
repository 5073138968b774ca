// replay_events.h -- the replay tool's input timeline: one event per line,
// "STEP KIND ARGS...".
#pragma once

#include <string>
#include <vector>

enum ReplayEventKind { EV_DOWN, EV_UP, EV_MOVE, EV_LBDOWN, EV_LBUP, EV_SIZE };

struct ReplayEvent {
    long step;
    ReplayEventKind kind;
    unsigned key;  // virtual-key code for down and up
    int x, y;      // position for the mouse events, size for size
    int line;      // line of the events file, for messages
};

// Parses the whole text. On a malformed line returns false with a message
// naming the line (and keeps the events before it).
bool ParseReplayEvents(const char* text, size_t length, std::vector<ReplayEvent>* events,
                       std::string* error);
// Reads and parses a file; the message names the file and the line.
bool LoadReplayEvents(const char* path, std::vector<ReplayEvent>* events, std::string* error);
