// stdin_sizes.cpp -- "%d %d" from standard input for the table sizes. Started
// from a terminal the program must not wait for typed numbers, so a terminal
// (or a closed or unreadable standard input) gives no input. Any other input
// is read with a bound on bytes and on waiting: four pairs of numbers need a
// few dozen bytes, and an input that never ends or never sends (`yes |`,
// `sleep 30 |`) must not hold the start.
#include "scene/stdin_sizes.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>

#include "platform/system.h"

constexpr size_t STDIN_BYTE_LIMIT = 4096;  // four pairs take well under 100 bytes
constexpr int STDIN_QUIET_MS = 1000;       // no data for this long ends the input
constexpr int STDIN_TOTAL_MS = 3000;       // all reads of one load together

const char* sceneStdinText;
static const char* stdinTextCursor;  // scratch: next byte of sceneStdinText
static bool realStdinUsable;         // W: StartStdinSizes; cleared when the input ends
static unsigned char stdinBytes[STDIN_BYTE_LIMIT];
static size_t stdinHeld, stdinTaken;  // bytes read so far; bytes of them consumed
static std::chrono::steady_clock::time_point stdinDeadline;

void StartStdinSizes() {
    stdinTextCursor = sceneStdinText;
    realStdinUsable = !sceneStdinText && Sys_StdinReadable();
    stdinHeld = stdinTaken = 0;
    stdinDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(STDIN_TOTAL_MS);
}

// Waits for more bytes of the real standard input, within the bounds; false
// when it has ended (end of file, error, silence, the byte or time bound).
static bool FillStdinBytes() {
    while (realStdinUsable && stdinHeld < STDIN_BYTE_LIMIT) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        stdinDeadline - std::chrono::steady_clock::now())
                        .count();
        int wait = (int)std::min<long long>(STDIN_QUIET_MS, std::max<long long>(0, left));
        long got = Sys_ReadStdin(stdinBytes + stdinHeld, STDIN_BYTE_LIMIT - stdinHeld, wait);
        if (got < 0) continue;
        if (got == 0) break;
        stdinHeld += (size_t)got;
        return true;
    }
    realStdinUsable = false;
    return false;
}

// The next input byte, or EOF.
static int NextByte() {
    if (sceneStdinText) return *stdinTextCursor ? (unsigned char)*stdinTextCursor++ : EOF;
    if (stdinTaken == stdinHeld && !FillStdinBytes()) return EOF;
    return stdinBytes[stdinTaken++];
}

// Gives back the byte just taken (scanf leaves the byte that ends a number).
static void GiveBack(int byte) {
    if (byte == EOF) return;
    if (sceneStdinText) --stdinTextCursor;
    else --stdinTaken;
}

static bool IsSpace(int byte) {
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\v' || byte == '\f' ||
           byte == '\r';
}

// One %d: white space, sign, decimal digits. Values beyond int saturate.
static bool ReadDecimalInt(int& target) {
    int byte = NextByte();
    while (IsSpace(byte)) byte = NextByte();
    bool negative = byte == '-';
    if (byte == '-' || byte == '+') byte = NextByte();
    if (byte < '0' || byte > '9') {
        GiveBack(byte);
        return false;
    }
    long long value = 0;
    for (; byte >= '0' && byte <= '9'; byte = NextByte()) {
        if (value <= INT_MAX) value = value * 10 + (byte - '0');
    }
    GiveBack(byte);
    if (negative) value = -value;
    target = value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : (int)value;
    return true;
}

void ReadStdinSizes(int& first, int& second) {
    if (ReadDecimalInt(first)) ReadDecimalInt(second);
}
