// flat_split_fuzz.cpp -- libFuzzer target: the plain list read by two
// threads against one. Every input is read once with the list on one
// thread and once with any list of two or more vertices split between two;
// the plain list's tables, the reader's status and every diagnostic (which
// carry the reader's final position) must be the same.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "tests/support/flat_snapshot.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    FlatSnapshot one = ReadFlatSnapshot(text, size, INT_MAX);
    FlatSnapshot two = ReadFlatSnapshot(text, size, 2);
    if (!SameFlatSnapshot(one, two)) std::abort();
    return 0;
}
