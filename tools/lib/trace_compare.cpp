// trace_compare.cpp -- token by token comparison of two traces.
#include "tools/lib/trace_compare.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// A number token at s[i]: its length, whether it is written as an integer,
// and its value. Zero length when none starts there.
struct Number {
    size_t length = 0;
    bool integer = true;
    double value = 0;
};

Number ReadNumber(const std::string& s, size_t i) {
    Number n;
    static const struct { const char* word; double value; } WORDS[] = {
        {"NaN", NAN}, {"Infinity", INFINITY}, {"-Infinity", -INFINITY}};
    for (const auto& w : WORDS) {
        if (s.compare(i, strlen(w.word), w.word) == 0) {
            n = {strlen(w.word), false, w.value};
            return n;
        }
    }
    if (i >= s.size() || !(isdigit((unsigned char)s[i]) || s[i] == '-')) return n;
    char* end;
    n.value = strtod(s.c_str() + i, &end);
    n.length = (size_t)(end - (s.c_str() + i));
    n.integer = s.substr(i, n.length).find_first_of(".eE") == std::string::npos;
    return n;
}

bool NumbersAgree(const std::string& a, const Number& x, const std::string& b, const Number& y,
                  size_t i, size_t j) {
    if (x.integer || y.integer) return a.compare(i, x.length, b, j, y.length) == 0;
    if (std::isnan(x.value) || std::isnan(y.value)) return std::isnan(x.value) && std::isnan(y.value);
    if (std::isinf(x.value) || std::isinf(y.value)) return x.value == y.value;
    double scale = std::fmax(std::fabs(x.value), std::fabs(y.value));
    return std::fabs(x.value - y.value) <= TRACE_DOUBLE_TOLERANCE * scale;
}

bool WithinFloat(const Number& x, const Number& y, double tolerance) {
    if (std::isnan(x.value) || std::isnan(y.value)) return std::isnan(x.value) && std::isnan(y.value);
    if (std::isinf(x.value) || std::isinf(y.value)) return x.value == y.value;
    double scale = std::fmax(1.0, std::fmax(std::fabs(x.value), std::fabs(y.value)));
    return std::fabs(x.value - y.value) <= tolerance * scale;
}

constexpr const char MODELVIEW_KEY[] = "\"modelview\": [";

// The text from offset i of s, enough to find the place.
std::string Around(const std::string& s, size_t i) { return i < s.size() ? s.substr(i, 60) : ""; }

}  // namespace

bool TracesAgree(const std::string& a, const std::string& b, std::string* where,
                 double modelviewTolerance) {
    size_t i = 0, j = 0, line = 1;
    bool inModelview = false;
    while (i < a.size() || j < b.size()) {
        if (modelviewTolerance > 0 && a.compare(i, sizeof MODELVIEW_KEY - 1, MODELVIEW_KEY) == 0 &&
            b.compare(j, sizeof MODELVIEW_KEY - 1, MODELVIEW_KEY) == 0) {
            inModelview = true;
            i += sizeof MODELVIEW_KEY - 1;
            j += sizeof MODELVIEW_KEY - 1;
            continue;
        }
        Number x = ReadNumber(a, i), y = ReadNumber(b, j);
        // A number follows a separator, never a letter (field names hold digits).
        bool numberHere = x.length && y.length && (i == 0 || !isalpha((unsigned char)a[i - 1]));
        if (numberHere) {
            bool agree = inModelview ? WithinFloat(x, y, modelviewTolerance)
                                     : NumbersAgree(a, x, b, y, i, j);
            if (!agree) break;
            i += x.length;
            j += y.length;
            continue;
        }
        if (i >= a.size() || j >= b.size() || a[i] != b[j]) break;
        if (a[i] == ']') inModelview = false;
        if (a[i] == '\n') line++;
        i++;
        j++;
    }
    if (i >= a.size() && j >= b.size()) return true;
    if (where)
        *where = "line " + std::to_string(line) + ": \"" + Around(a, i) + "\" against \"" +
                 Around(b, j) + "\"";
    return false;
}
