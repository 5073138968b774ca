// scene_reader.h -- the character-level reader of the scene file: integer,
// decimal and texture-name fields over the whole file held in one buffer.
//
// The reader has one failed state. The first end of file, malformed token or
// rejected count sets readStatus; from then on every read leaves its target
// unchanged (the cursor is parked at the end of the text).
#pragma once

#include <cstddef>

#include "scene/file_read.h"
#include "scene/scene.h"
#include "scene/scene_fields.h"

enum ReadStatus {
    READ_OK = 0,
    READ_END_OF_FILE,   // a field found no more input
    READ_MALFORMED,     // a token that is not a number of its kind
    READ_OUT_OF_RANGE,  // a count the tables cannot or the file could not hold
};

constexpr int INT_FIELD_WIDTH = 15;  // characters of one integer field, sign and prefix included
constexpr int DECIMAL_FIELD_WIDTH = 28;             // characters of one decimal field
constexpr int TEX_NAME_LENGTH = TEX_NAME_SIZE - 1;  // the slot keeps a terminating zero

// The text being read. readEnd points at TEXT_SLACK zero bytes that end the
// buffer: scanning loops stop there without a bounds test, and sixteen
// bytes can be loaded at once from any position up to readEnd.
constexpr int TEXT_SLACK = 16;
extern const char* readText;        // W: OpenSceneText, UseSceneText
extern const char* readEnd;         // W: OpenSceneText, UseSceneText
extern const char* readCursor;      // W: every read; the next unread byte
extern const char* readTokenStart;  // W: integer and name reads; first byte of that token
extern int readStatus;              // W: FailRead; a ReadStatus

// Called once, at the first failure, with the field and the position where it
// happened; value and limit describe a rejected count. Null: no report.
typedef void (*ReadFailureHook)(int status, SceneField field, const char* at, long long value,
                                long long limit);
extern ReadFailureHook readFailureHook;

// Reads the whole regular file into the buffer (see ReadWholeFile). Creates
// an empty file when it is missing and createWhenMissing is set (the text is
// then empty). Anything but FILE_READ_OK leaves the text empty.
FileReadResult OpenSceneText(const char* path, bool createWhenMissing);
// Reads from a copy of the given bytes instead of a file (tests, fuzzing);
// throws SceneOutOfMemory past the budget.
void UseSceneText(const char* text, size_t length);
// Releases the buffer; the reader then holds an empty text, and readStatus
// still tells how the released one ended.
void CloseSceneText();

// One integer field, C %i rules: sign, 0x hexadecimal, leading-0 octal, at
// most 15 characters; the byte that ends the number is left unread. A
// malformed token (or a value outside 32 bits) stores 0 and fails.
void ReadInt(int& target, SceneField field);
// One decimal field: sign, digits with one point, exponent, at most 28
// characters. A malformed token keeps the target, except that a lone sign or
// point stores 0.0; either way the reader fails.
void ReadDecimal(double& target, SceneField field);
// Skips white space, drops one marker byte and stores the rest of the line
// (at most 199 bytes; the rest of a longer line is consumed, CRLF is one line
// end).
void ReadTextureName(TexName& target, SceneField field);

// Enters the failed state at position at (the first failure wins).
void FailRead(int status, SceneField field, const char* at, long long value, long long limit);
// Bytes not yet read.
inline size_t BytesLeft() { return (size_t)(readEnd - readCursor); }
// The first non-blank byte at or after the cursor; readEnd when none.
const char* NextContent();
// 1-based line and column (in bytes) of a position in the text.
void TextPosition(const char* at, int* line, int* column);

// A double converted to int without overflow: saturates at the int range,
// NaN gives 0.
int SaturateToInt(double value);
