// scene_text.cpp -- positions in the text being read, as lines and columns.
#include "scene/scene_reader.h"

void TextPosition(SceneReader& r, const char* at, int* line, int* column) {
    if (!r.countedUpTo || at < r.countedUpTo) {
        r.countedUpTo = r.countedLineStart = r.text;
        r.countedLine = 1;
    }
    for (const char* p = r.countedUpTo; p < at; ++p) {
        if (*p == '\n') {
            ++r.countedLine;
            r.countedLineStart = p + 1;
        }
    }
    r.countedUpTo = at;
    *line = r.countedLine;
    *column = (int)(at - r.countedLineStart) + 1;
}
