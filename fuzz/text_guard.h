// text_guard.h -- poisons what follows the reader's zero slack (see
// text_guard.cpp); only in targets linked with --wrap=mmap,--wrap=munmap.
#pragma once

#include <cstddef>

// The next anonymous mapping of a whole number of pages that can hold a
// text of length bytes and its slack is taken to be that text's buffer.
void GuardNextSceneText(size_t length);
