// stdin_sizes.cpp -- "%d %d" from standard input for the table sizes. Started
// from a terminal the program must not wait for typed numbers, so a terminal
// (or a closed or unreadable standard input) gives no input.
#include "scene/stdin_sizes.h"

#include <unistd.h>

#include <climits>
#include <cstdio>

const char* sceneStdinText;
static const char* stdinTextCursor;  // scratch: next byte of sceneStdinText
static bool realStdinUsable;         // W: StartStdinSizes

void StartStdinSizes() {
    stdinTextCursor = sceneStdinText;
    realStdinUsable = !sceneStdinText && !isatty(STDIN_FILENO);
}

// The next input byte, or EOF.
static int NextByte() {
    if (sceneStdinText) return *stdinTextCursor ? (unsigned char)*stdinTextCursor++ : EOF;
    return realStdinUsable ? std::getc(stdin) : EOF;
}

// Gives back the byte just taken (scanf leaves the byte that ends a number).
static void GiveBack(int byte) {
    if (byte == EOF) return;
    if (sceneStdinText) --stdinTextCursor;
    else std::ungetc(byte, stdin);
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
