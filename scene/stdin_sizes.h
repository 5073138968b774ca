// stdin_sizes.h -- the loader's four "%d %d" reads of table sizes from the
// process's standard input, or from a text that stands in for it.
#pragma once

#include <chrono>
#include <cstddef>

constexpr size_t STDIN_BYTE_LIMIT = 4096;  // four pairs take well under 100 bytes

// The input of one load's reads.
struct StdinSizes {
    const char* text = "";         // read in place of standard input; null: the real one
    bool realUsable = false;       // the real input may still give bytes
    unsigned char bytes[STDIN_BYTE_LIMIT];
    size_t held = 0, taken = 0;    // bytes read so far; bytes of them consumed
    std::chrono::steady_clock::time_point deadline;
};

// Starts a load's reads from text ("" = no input), or from the real
// standard input when text is null, which counts only when it is not a
// terminal.
void StartStdinSizes(StdinSizes& input, const char* text);
// Reads two integers as "%d %d" into first and second. A value stays as it
// was when the input has no number for it; a read that fails leaves the
// offending character for the next read, as scanf does.
void ReadStdinSizes(StdinSizes& input, int& first, int& second);
