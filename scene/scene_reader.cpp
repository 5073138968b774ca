// scene_reader.cpp -- the scene file's number and name fields, read in one
// pass over the text held in memory (scene_text.cpp).
#include "scene/scene_reader.h"

#include <charconv>
#include <climits>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "scene/plain_numbers.h"

// The value of a hexadecimal digit, or -1.
static inline int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    unsigned lower = (unsigned char)c | 0x20;
    return lower - 'a' < 6 ? (int)(lower - 'a' + 10) : -1;
}

void FailRead(SceneReader& r, int status, SceneField field, const char* at, long long value,
              long long limit) {
    r.cursor = r.end;
    if (r.status != READ_OK) return;
    r.status = status;
    if (!r.Checking()) return;
    DiagnosticKind kind = status == READ_END_OF_FILE ? DIAG_END_OF_FILE
                          : status == READ_MALFORMED ? DIAG_MALFORMED
                                                     : DIAG_COUNT_RANGE;
    ReportSceneDiagnostic(r, kind, field, at, value, limit);
}

// The end of the width of a field of `width` characters starting at p.
static inline const char* WidthLimit(const SceneReader& r, const char* p, int width) {
    return r.end - p > width ? p + width : r.end;
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
[[gnu::noinline]] static void ReadIntGeneral(SceneReader& r, int& target, SceneField field,
                                             const char* p) {
    if (p == r.end) return FailRead(r, READ_END_OF_FILE, field, p, 0, 0);
    r.tokenStart = p;
    const char* limit = WidthLimit(r, p, INT_FIELD_WIDTH);
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
        return FailRead(r, READ_MALFORMED, field, r.tokenStart, 0, 0);
    }
    target = (int)value;
    r.cursor = p;
}

void ReadInt(SceneReader& r, int& target, SceneField field) {
    if (!TryPlainInt(r.cursor, target, &r.tokenStart)) ReadIntGeneral(r, target, field, r.tokenStart);
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
[[gnu::noinline]] static void ReadDecimalGeneral(SceneReader& r, double& target, SceneField field,
                                                 const char* p) {
    if (p == r.end) return FailRead(r, READ_END_OF_FILE, field, p, 0, 0);
    r.tokenStart = p;
    const char* limit = WidthLimit(r, p, DECIMAL_FIELD_WIDTH);
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
        if (p != r.tokenStart) target = 0.0;  // a lone sign or point
        return FailRead(r, READ_MALFORMED, field, r.tokenStart, 0, 0);
    }
    int exponent = 0;
    if (p < limit && (*p | 0x20) == 'e') p = ScanExponent(p, limit, exponent);
    double value = ConvertDecimal(number, p, mantissa, digits, exponent - fractionDigits);
    target = negative ? -value : value;
    r.cursor = p;
}

void ReadDecimal(SceneReader& r, double& target, SceneField field) {
    if (!TryPlainDecimal(r.cursor, target)) ReadDecimalGeneral(r, target, field, SkipSpace(r.cursor));
}

void ReadTextureName(SceneReader& r, TexName& target, SceneField field) {
    const char* p = SkipSpace(r.cursor);
    if (p == r.end) return FailRead(r, READ_END_OF_FILE, field, p, 0, 0);
    r.tokenStart = p;
    const char* name = p + 1;  // the marker byte is dropped
    const char* lineEnd = static_cast<const char*>(std::memchr(name, '\n', (size_t)(r.end - name)));
    const char* next = lineEnd ? lineEnd + 1 : r.end;
    if (!lineEnd)
        lineEnd = r.end;
    else if (lineEnd > name && lineEnd[-1] == '\r')
        --lineEnd;  // CRLF is one line end
    size_t length = (size_t)(lineEnd - name);
    if (length > (size_t)TEX_NAME_LENGTH) length = TEX_NAME_LENGTH;
    target.offset = r.scene.texNames.Intern(name, length);
    r.cursor = next;
}

const char* NextContent(const SceneReader& r) { return SkipSpace(r.cursor); }

int SaturateToInt(double value) {
    if (std::isnan(value)) return 0;
    if (value >= (double)INT_MAX) return INT_MAX;
    if (value <= (double)INT_MIN) return INT_MIN;
    return (int)value;
}
