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

constexpr int STDIN_QUIET_MS = 1000;  // no data for this long ends the input
constexpr int STDIN_TOTAL_MS = 3000;  // all reads of one load together

void StartStdinSizes(StdinSizes& input, const char* text) {
    input.text = text;
    input.realUsable = !text && Sys_StdinReadable();
    input.held = input.taken = 0;
    input.deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(STDIN_TOTAL_MS);
}

// Waits for more bytes of the real standard input, within the bounds; false
// when it has ended (end of file, error, silence, the byte or time bound).
static bool FillStdinBytes(StdinSizes& in) {
    while (in.realUsable && in.held < STDIN_BYTE_LIMIT) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        in.deadline - std::chrono::steady_clock::now())
                        .count();
        int wait = (int)std::min<long long>(STDIN_QUIET_MS, std::max<long long>(0, left));
        long got = Sys_ReadStdin(in.bytes + in.held, STDIN_BYTE_LIMIT - in.held, wait);
        if (got < 0) continue;
        if (got == 0) break;
        in.held += (size_t)got;
        return true;
    }
    in.realUsable = false;
    return false;
}

// The next input byte, or EOF.
static int NextByte(StdinSizes& in) {
    if (in.text) return *in.text ? (unsigned char)*in.text++ : EOF;
    if (in.taken == in.held && !FillStdinBytes(in)) return EOF;
    return in.bytes[in.taken++];
}

// Gives back the byte just taken (scanf leaves the byte that ends a number).
static void GiveBack(StdinSizes& in, int byte) {
    if (byte == EOF) return;
    if (in.text) --in.text;
    else --in.taken;
}

static bool IsSpace(int byte) {
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\v' || byte == '\f' ||
           byte == '\r';
}

// One %d: white space, sign, decimal digits. Values beyond int saturate.
static bool ReadDecimalInt(StdinSizes& in, int& target) {
    int byte = NextByte(in);
    while (IsSpace(byte)) byte = NextByte(in);
    bool negative = byte == '-';
    if (byte == '-' || byte == '+') byte = NextByte(in);
    if (byte < '0' || byte > '9') {
        GiveBack(in, byte);
        return false;
    }
    long long value = 0;
    for (; byte >= '0' && byte <= '9'; byte = NextByte(in)) {
        if (value <= INT_MAX) value = value * 10 + (byte - '0');
    }
    GiveBack(in, byte);
    if (negative) value = -value;
    target = value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : (int)value;
    return true;
}

void ReadStdinSizes(StdinSizes& input, int& first, int& second) {
    if (ReadDecimalInt(input, first)) ReadDecimalInt(input, second);
}
