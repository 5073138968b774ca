// web_compat.h -- what the browser toolchain's C++ library (libc++ 13)
// lacks of the C++20 the program is written in; included ahead of every
// file of the browser build.
#pragma once

#ifdef __cplusplus
#include <bit>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <string>
#include <version>

#ifndef __cpp_lib_bit_cast
namespace std {
template <class To, class From>
constexpr To bit_cast(const From& from) noexcept {
    return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif

// Decimal text to double, correctly rounded by the C library's strtod; the
// library has from_chars for integers only.
#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 20000
namespace std {
inline from_chars_result from_chars(const char* first, const char* last, double& value,
                                    chars_format = chars_format::general) {
    std::string copy(first, last);
    char* end = nullptr;
    errno = 0;
    double parsed = std::strtod(copy.c_str(), &end);
    from_chars_result result{first + (end - copy.c_str()), errc()};
    if (end == copy.c_str()) result = {first, errc::invalid_argument};
    else if (errno == ERANGE) result.ec = errc::result_out_of_range;
    else value = parsed;
    return result;
}
}  // namespace std
#endif
#endif
