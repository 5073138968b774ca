// plain_numbers.h -- the reader's fast paths for the common shapes of
// numbers. They touch no reader state, so that a second thread can read a
// part of the text with them. Each Try... function either reads the token
// at the cursor exactly as the full reader would and moves the cursor past
// it, or returns false, having changed nothing; the full reader then decides.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <initializer_list>

// The bytes C's isspace accepts in the "C" locale.
inline constexpr struct SpaceTable {
    bool is[256];
    constexpr SpaceTable() : is() {
        for (unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'}) is[c] = true;
    }
} spaceTable;

// The first byte at or after p that is not white space.
inline const char* SkipSpace(const char* p) {
    while (spaceTable.is[(unsigned char)*p]) ++p;
    return p;
}
inline bool IsDigit(char c) { return (unsigned char)(c - '0') < 10; }

// ---- Eight digits at a time. The common numbers of a scene file are runs
// of fewer than eight digits; taking their length and value from one 8-byte
// load avoids a branch per digit (the zero bytes after readEnd make the load
// safe anywhere up to readEnd).

inline uint64_t LoadEight(const char* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Number of leading decimal digits in the eight bytes (0..8). After the XOR
// a digit byte holds 0..9 and every other byte 10 or more; adding 0x76 sets
// the high bit of the latter (or it was set already). A carry out of a
// non-digit byte can only disturb the bytes after it.
inline int LeadingDigits(uint64_t word) {
    uint64_t values = word ^ 0x3030303030303030ull;
    uint64_t stops = ((values + 0x7676767676767676ull) | values) & 0x8080808080808080ull;
    return std::countr_zero(stops) >> 3;  // 64 / 8 when none stops
}

// The value of the first n (0..8) digits of the eight bytes.
inline uint64_t DigitsValue(uint64_t word, int n) {
    int shift = 4 * (8 - n);  // applied twice: a shift by 64 would be undefined
    uint64_t v = ((word & 0x0F0F0F0F0F0F0F0Full) << shift) << shift;  // leading zeros fill in
    v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FFull;
    v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFFull;
    return (v * 10000 + (v >> 32)) & 0xFFFFFFFFull;
}

// Flags the bytes below '!' (white space, line ends, the zero bytes after
// the text) in their high bits. Only the lowest flag is exact (a borrow can
// flag bytes after it), and only the lowest is used.
inline uint64_t EndBytes(uint64_t word) {
    return (word - 0x2121212121212121ull) & ~word & 0x8080808080808080ull;
}

// Bytes before the first byte below '!' in the 16 bytes from p (16 when
// none). The next token's position depends on this alone, so it is found in
// a few steps without branches, whatever the number looks like.
inline int TokenLength(const char* p) {
    int first = std::countr_zero(EndBytes(LoadEight(p))) >> 3;
    int second = std::countr_zero(EndBytes(LoadEight(p + 8))) >> 3;
    return first < 8 ? first : 8 + second;
}

inline constexpr uint64_t POWERS_OF_TEN[9] = {1,      10,      100,      1000,     10000,
                                              100000, 1000000, 10000000, 100000000};

// The powers of ten that a double holds exactly.
inline constexpr double EXACT_POWERS_OF_TEN[23] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The common integer shape: an optional minus and fewer than eight decimal
// digits without a leading zero (or a lone 0), ending at a byte below '!'.
// *start is the token's first byte, whatever the answer.
// Both are always inlined: a call per field would cost a tenth of a load.
[[gnu::always_inline]] inline bool TryPlainInt(const char*& cursor, int& target, const char** start) {
    const char* p = SkipSpace(cursor);
    *start = p;
    if (IsDigit(p[0]) && (unsigned char)p[1] <= ' ') {  // flags and end marks: one digit
        target = p[0] - '0';
        cursor = p + 1;
        return true;
    }
    const char* end = p + TokenLength(p);
    const char* digits = p + (*p == '-');
    uint64_t word = LoadEight(digits);
    int n = LeadingDigits(word);
    bool plain = n >= 1 && n < 8 && digits + n == end && (*digits != '0' || n == 1);
    if (!plain) return false;
    int value = (int)DigitsValue(word, n);
    target = *p == '-' ? -value : value;
    cursor = end;
    return true;
}

// The common decimal shape: a sign, fewer than eight digits before and
// after one point, no exponent, ending at a byte below '!'. Its value is one
// correctly rounded division of exact doubles.
[[gnu::always_inline]] inline bool TryPlainDecimal(const char*& cursor, double& target) {
    const char* p = SkipSpace(cursor);
    const char* end = p + TokenLength(p);
    const char* q = p + (*p == '-' || *p == '+');
    uint64_t word = LoadEight(q);
    int whole = LeadingDigits(word);
    bool point = q[whole] == '.';
    const char* f = q + whole + point;
    uint64_t fractionWord = LoadEight(f);
    int fraction = point ? LeadingDigits(fractionWord) : 0;
    uint64_t mantissa;
    if (whole + fraction <= 8) {  // the usual case: both runs joined into one word
        int shift = 4 * whole;    // applied twice: a shift by 64 would be undefined
        uint64_t fractionBytes = (fractionWord << shift) << shift;
        uint64_t wholeBytes = word & ~((~0ull << shift) << shift);
        mantissa = DigitsValue(wholeBytes | fractionBytes, whole + fraction);
    } else {
        mantissa = DigitsValue(word, whole) * POWERS_OF_TEN[fraction] +
                   DigitsValue(fractionWord, fraction);
    }
    bool plain = whole + fraction >= 1 && whole < 8 && fraction < 8 && f + fraction == end;
    if (!plain) return false;
    double value = (double)mantissa / EXACT_POWERS_OF_TEN[fraction];
    // The sign goes on as a bit: signs in a scene follow no pattern, and a
    // branch on them is mispredicted half the time.
    uint64_t sign = (uint64_t)(*p == '-') << 63;
    target = std::bit_cast<double>(std::bit_cast<uint64_t>(value) ^ sign);
    cursor = end;
    return true;
}
