// scene_text.cpp -- the whole scene file in memory for the reader, read
// with plain reads into a buffer with zero bytes after the text; and
// positions as lines and columns.
#include <cstring>

#include "scene/file_read.h"
#include "scene/memory_budget.h"
#include "scene/scene_reader.h"

static_assert(FILE_PADDING >= (size_t)TEXT_SLACK, "the reader loads 16 bytes past any position");

static char emptyText[TEXT_SLACK];
static FileBytes textBytes;  // owned: the text and the zero bytes at readEnd

const char* readText = emptyText;
const char* readEnd = emptyText;

// Positions are asked for in increasing order while a file is checked, so
// the line count continues from the last answer instead of the start.
static const char* countedUpTo;  // null: count from the start
static int countedLine;
static const char* countedLineStart;

// Starts reading a text of length bytes at text (TEXT_SLACK zero bytes follow).
static void StartText(const char* text, size_t length) {
    readText = text;
    readEnd = text + length;
    readCursor = readTokenStart = text;
    readStatus = READ_OK;
    countedUpTo = nullptr;
}

// The status stays, so that callers can see how the last text ended.
void CloseSceneText() {
    int status = readStatus;
    ReleaseFileBytes(&textBytes);
    StartText(emptyText, 0);
    readStatus = status;
}

FileReadResult OpenSceneText(const char* path, bool createWhenMissing) {
    CloseSceneText();
    readStatus = READ_OK;
    // The text counts against the scene's budget like the tables it sizes.
    FileReadOptions options = {sceneMemoryBudget, true, true, true};
    FileReadResult result = ReadWholeFile(path, options, &textBytes);
    if (result == FILE_MISSING && createWhenMissing && CreateEmptyFile(path)) return FILE_READ_OK;
    if (result == FILE_READ_OK) StartText(textBytes.data, textBytes.length);
    return result;
}

void UseSceneText(const char* text, size_t length) {
    CloseSceneText();
    readStatus = READ_OK;
    if (!CopyToFileBytes(text, length, &textBytes)) throw SceneOutOfMemory();
    StartText(textBytes.data, length);
}

void TextPosition(const char* at, int* line, int* column) {
    if (!countedUpTo || at < countedUpTo) {
        countedUpTo = countedLineStart = readText;
        countedLine = 1;
    }
    for (const char* p = countedUpTo; p < at; ++p) {
        if (*p == '\n') {
            ++countedLine;
            countedLineStart = p + 1;
        }
    }
    countedUpTo = at;
    *line = countedLine;
    *column = (int)(at - countedLineStart) + 1;
}
