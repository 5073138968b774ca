// scene_reader.cpp -- the scene file's number and name fields, read in one
// pass over the text held in memory (scene_text.cpp).
#include "scene/scene_reader.h"

#include <bit>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

const char* readCursor = "";
const char* readTokenStart = "";
int readStatus;
ReadFailureHook readFailureHook;

// The bytes C's isspace accepts in the "C" locale.
static const struct SpaceTable {
    bool is[256];
    SpaceTable() : is() {
        for (unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'}) is[c] = true;
    }
} spaceTable;

// The first byte at or after p that is not white space.
static inline const char* SkipSpace(const char* p) {
    while (spaceTable.is[(unsigned char)*p]) ++p;
    return p;
}
static inline bool IsDigit(char c) { return (unsigned char)(c - '0') < 10; }
// The value of a hexadecimal digit, or -1.
static inline int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    unsigned lower = (unsigned char)c | 0x20;
    return lower - 'a' < 6 ? (int)(lower - 'a' + 10) : -1;
}

void FailRead(int status, SceneField field, const char* at, long long value, long long limit) {
    readCursor = readEnd;
    if (readStatus != READ_OK) return;
    readStatus = status;
    if (readFailureHook) readFailureHook(status, field, at, value, limit);
}

// ---- Eight digits at a time. The common numbers of a scene file are runs
// of fewer than eight digits; taking their length and value from one 8-byte
// load avoids a branch per digit (the zero bytes after readEnd make the load
// safe anywhere up to readEnd).

static inline uint64_t LoadEight(const char* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Number of leading decimal digits in the eight bytes (0..8). After the XOR
// a digit byte holds 0..9 and every other byte 10 or more; adding 0x76 sets
// the high bit of the latter (or it was set already). A carry out of a
// non-digit byte can only disturb the bytes after it.
static inline int LeadingDigits(uint64_t word) {
    uint64_t values = word ^ 0x3030303030303030ull;
    uint64_t stops = ((values + 0x7676767676767676ull) | values) & 0x8080808080808080ull;
    return std::countr_zero(stops) >> 3;  // 64 / 8 when none stops
}

// The value of the first n (0..8) digits of the eight bytes.
static inline uint64_t DigitsValue(uint64_t word, int n) {
    int shift = 4 * (8 - n);  // applied twice: a shift by 64 would be undefined
    uint64_t v = ((word & 0x0F0F0F0F0F0F0F0Full) << shift) << shift;  // leading zeros fill in
    v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FFull;
    v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFFull;
    return (v * 10000 + (v >> 32)) & 0xFFFFFFFFull;
}

// Flags the bytes below '!' (white space, line ends, the zero bytes after
// the text) in their high bits. Only the lowest flag is exact (a borrow can
// flag bytes after it), and only the lowest is used.
static inline uint64_t EndBytes(uint64_t word) {
    return (word - 0x2121212121212121ull) & ~word & 0x8080808080808080ull;
}

// Bytes before the first byte below '!' in the 16 bytes from p (16 when
// none). The next token's position depends on this alone, so it is found in
// a few steps without branches, whatever the number looks like.
static inline int TokenLength(const char* p) {
    int first = std::countr_zero(EndBytes(LoadEight(p))) >> 3;
    int second = std::countr_zero(EndBytes(LoadEight(p + 8))) >> 3;
    return first < 8 ? first : 8 + second;
}

static const uint64_t POWERS_OF_TEN[9] = {1,      10,      100,      1000,     10000,
                                          100000, 1000000, 10000000, 100000000};

// The end of the width of a field of `width` characters starting at p.
static inline const char* WidthLimit(const char* p, int width) {
    return readEnd - p > width ? p + width : readEnd;
}

// Integer digits of one base from p up to limit; false when none.
static bool ScanDigits(const char*& p, const char* limit, int base, long long& value) {
    const char* first = p;
    if (base == 16) {
        for (int d; p < limit && (d = HexValue(*p)) >= 0; ++p) value = value * 16 + d;
    } else {
        for (; p < limit && IsDigit(*p) && *p - '0' < base; ++p) value = value * base + (*p - '0');
    }
    return p != first;
}

// Any integer field from its first byte p, with every prefix and width rule.
[[gnu::noinline]] static void ReadIntGeneral(int& target, SceneField field, const char* p) {
    if (p == readEnd) return FailRead(READ_END_OF_FILE, field, p, 0, 0);
    readTokenStart = p;
    const char* limit = WidthLimit(p, INT_FIELD_WIDTH);
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    // At most 15 characters: even 13 hexadecimal digits fit in 64 bits.
    long long value = 0;
    bool digits;
    if (p < limit && *p == '0' && p + 2 < limit && (p[1] | 0x20) == 'x' && HexValue(p[2]) >= 0) {
        p += 2;
        digits = ScanDigits(p, limit, 16, value);
    } else {
        digits = ScanDigits(p, limit, *p == '0' ? 8 : 10, value);
    }
    if (negative) value = -value;
    if (!digits || value < INT_MIN || value > INT_MAX) {
        target = 0;
        return FailRead(READ_MALFORMED, field, readTokenStart, 0, 0);
    }
    target = (int)value;
    readCursor = p;
}

// The common shape is taken here: a token of an optional minus and fewer
// than eight decimal digits without a leading zero (or a lone 0), followed
// by white space.
void ReadInt(int& target, SceneField field) {
    const char* p = SkipSpace(readCursor);
    readTokenStart = p;
    if (IsDigit(p[0]) && (unsigned char)p[1] <= ' ') {  // flags and end marks: one digit
        target = p[0] - '0';
        readCursor = p + 1;
        return;
    }
    const char* end = p + TokenLength(p);
    const char* digits = p + (*p == '-');
    uint64_t word = LoadEight(digits);
    int n = LeadingDigits(word);
    bool plain = n >= 1 && n < 8 && digits + n == end && (*digits != '0' || n == 1);
    if (!plain) return ReadIntGeneral(target, field, p);
    int value = (int)DigitsValue(word, n);
    target = *p == '-' ? -value : value;
    readCursor = end;
}

// strtod on a copy of [first, last): for the rare exponents that from_chars
// reports as out of range, where strtod gives infinity or a rounded tiny value.
static double ConvertOutOfRange(const char* first, const char* last) {
    char copy[DECIMAL_FIELD_WIDTH + 1];
    size_t length = (size_t)(last - first);
    std::memcpy(copy, first, length);
    copy[length] = '\0';
    return std::strtod(copy, nullptr);
}

// The powers of ten that a double holds exactly.
static const double EXACT_POWERS_OF_TEN[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                               1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                               1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The value of the digits [first, last) (no sign) as strtod rounds it. Most
// scene numbers have few digits: a mantissa below 2^53 scaled by an exact
// power of ten is then one correctly rounded operation; from_chars takes
// the rest.
static double ConvertDecimal(const char* first, const char* last, uint64_t mantissa, int digits,
                             int scale) {
    if (digits <= 19 && mantissa <= (1ull << 53) && scale >= -22 && scale <= 22) {
        double m = (double)mantissa;
        return scale < 0 ? m / EXACT_POWERS_OF_TEN[-scale] : m * EXACT_POWERS_OF_TEN[scale];
    }
    double value = 0.0;
    std::from_chars_result result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) value = ConvertOutOfRange(first, last);
    return value;
}

// Exponent digits after an 'e' at p: the value, or p unchanged when no digit
// follows (the 'e' then belongs to the next field).
static const char* ScanExponent(const char* p, const char* limit, int& exponent) {
    const char* e = p + 1;
    bool negative = e < limit && *e == '-';
    if (e < limit && (*e == '-' || *e == '+')) ++e;
    if (e >= limit || !IsDigit(*e)) return p;
    int value = 0;
    for (; e < limit && IsDigit(*e); ++e)
        if (value < 100000) value = value * 10 + (*e - '0');  // far past any double's range
    exponent = negative ? -value : value;
    return e;
}

// Any decimal field from its first byte p, with every rule: width, exponent,
// long mantissas, malformed tokens and the end of the file.
[[gnu::noinline]] static void ReadDecimalGeneral(double& target, SceneField field, const char* p) {
    if (p == readEnd) return FailRead(READ_END_OF_FILE, field, p, 0, 0);
    readTokenStart = p;
    const char* limit = WidthLimit(p, DECIMAL_FIELD_WIDTH);
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    const char* number = p;
    uint64_t mantissa = 0;  // wraps past 19 digits; those go to from_chars
    for (; p < limit && IsDigit(*p); ++p) mantissa = mantissa * 10 + (uint64_t)(*p - '0');
    int digits = (int)(p - number), fractionDigits = 0;
    if (p < limit && *p == '.') {
        const char* fraction = ++p;
        for (; p < limit && IsDigit(*p); ++p) mantissa = mantissa * 10 + (uint64_t)(*p - '0');
        fractionDigits = (int)(p - fraction);
        digits += fractionDigits;
    }
    if (digits == 0) {
        if (p != readTokenStart) target = 0.0;  // a lone sign or point
        return FailRead(READ_MALFORMED, field, readTokenStart, 0, 0);
    }
    int exponent = 0;
    if (p < limit && (*p | 0x20) == 'e') p = ScanExponent(p, limit, exponent);
    double value = ConvertDecimal(number, p, mantissa, digits, exponent - fractionDigits);
    target = negative ? -value : value;
    readCursor = p;
}

// The common shape is taken here: a token of a sign, fewer than eight digits
// before and after one point, and no exponent, followed by white space; its
// value is one correctly rounded division of exact doubles.
void ReadDecimal(double& target, SceneField field) {
    const char* p = SkipSpace(readCursor);
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
    if (!plain) return ReadDecimalGeneral(target, field, p);
    double value = (double)mantissa / EXACT_POWERS_OF_TEN[fraction];
    // The sign goes on as a bit: signs in a scene follow no pattern, and a
    // branch on them is mispredicted half the time.
    uint64_t sign = (uint64_t)(*p == '-') << 63;
    target = std::bit_cast<double>(std::bit_cast<uint64_t>(value) ^ sign);
    readCursor = end;
}

void ReadTextureName(TexName& target, SceneField field) {
    const char* p = SkipSpace(readCursor);
    if (p == readEnd) return FailRead(READ_END_OF_FILE, field, p, 0, 0);
    readTokenStart = p;
    const char* name = p + 1;  // the marker byte is dropped
    const char* lineEnd =
        static_cast<const char*>(std::memchr(name, '\n', (size_t)(readEnd - name)));
    const char* next = lineEnd ? lineEnd + 1 : readEnd;
    if (!lineEnd)
        lineEnd = readEnd;
    else if (lineEnd > name && lineEnd[-1] == '\r')
        --lineEnd;  // CRLF is one line end
    size_t length = (size_t)(lineEnd - name);
    if (length > (size_t)TEX_NAME_LENGTH) length = TEX_NAME_LENGTH;
    std::memcpy(target.text, name, length);
    target.text[length] = '\0';
    readCursor = next;
}

const char* NextContent() { return SkipSpace(readCursor); }

int SaturateToInt(double value) {
    if (std::isnan(value)) return 0;
    if (value >= (double)INT_MAX) return INT_MAX;
    if (value <= (double)INT_MIN) return INT_MIN;
    return (int)value;
}
