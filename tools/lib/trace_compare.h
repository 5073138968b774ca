// trace_compare.h -- compares two replay traces as the Windows and Linux
// builds write them: the same text, except that two C libraries may round a
// double differently in its last bits.
#pragma once

#include <string>

// Relative tolerance for doubles; integers and everything else must match.
constexpr double TRACE_DOUBLE_TOLERANCE = 1e-9;

// True when the traces agree: every integer, name and punctuation the same,
// every double within the tolerance (NaN matches NaN, an infinity itself).
// Otherwise *where says where they first part (line, column and both texts).
// With a modelview tolerance, the numbers of "modelview" arrays agree when
// within it relative to the larger of 1 and their size, written as integers
// or not: a GL that keeps the camera in single precision rounds its own way.
bool TracesAgree(const std::string& a, const std::string& b, std::string* where,
                 double modelviewTolerance = 0);

// Single precision, after the few operations a camera takes.
constexpr double TRACE_FLOAT_MODELVIEW_TOLERANCE = 1e-5;
