// scene_reader.h -- the character-level reader of the scene file: integer,
// decimal and texture-name fields over the whole file held in one buffer,
// and the state of one read of one text into one scene.
//
// The reader has one failed state. The first end of file, malformed token or
// rejected count sets status; from then on every read leaves its target
// unchanged (the cursor is parked at the end of the text).
#pragma once

#include <cstddef>
#include <vector>

#include "scene/scene.h"
#include "scene/scene_diagnostics.h"
#include "scene/scene_fields.h"
#include "scene/scene_file.h"

enum ReadStatus {
    READ_OK = 0,
    READ_END_OF_FILE,   // a field found no more input
    READ_MALFORMED,     // a token that is not a number of its kind
    READ_OUT_OF_RANGE,  // a count the tables cannot or the file could not hold
};

constexpr int INT_FIELD_WIDTH = 15;  // characters of one integer field, sign and prefix included
constexpr int DECIMAL_FIELD_WIDTH = 28;             // characters of one decimal field
constexpr int TEX_NAME_LENGTH = TEX_NAME_SIZE - 1;  // the slot keeps a terminating zero

// The text being read ends in TEXT_SLACK zero bytes: scanning loops stop
// there without a bounds test, and sixteen bytes can be loaded at once from
// any position up to its end.
constexpr int TEXT_SLACK = 16;

// The loader's loop cursors, which name the record a diagnostic is about.
struct RecordCursors {
    int texPolyIndex = 0, flatPolyIndex = 0, avatarPolyIndex = 0, partIndex = 0;
    int actorIndex = -1, jointIndex = -1, obstacleIndex = 0, waypointIndex = 0;
    int poseIndex = 0;
};

struct StdinSizes;

// One read of one text into one scene, pmove-style: the scene filled, the
// text and where the reading stands, how it has gone, and where its
// findings go.
struct SceneReader {
    Scene& scene;
    const char* text;        // the first byte
    const char* end;         // the byte after the last; TEXT_SLACK zero bytes follow
    const char* cursor;      // the next unread byte
    const char* tokenStart;  // first byte of the last integer or name token
    int status = READ_OK;    // a ReadStatus
    // Takes this read's diagnostics; null: the checks are not even made.
    std::vector<SceneDiagnostic>* diagnostics = nullptr;
    RecordCursors at;
    StdinSizes* stdinSizes = nullptr;  // the "%d %d" reads; null: none
    bool keepSideKeyMode = false;      // the second build: sideKeyMode as the file gives it
    int flatSplitVertices = FLAT_SPLIT_VERTICES;  // plain lists this long are read by two threads
    bool flatSplitKept = false;        // the second thread's half was kept
    long long waypointRowLimit = 2;    // most waypoints the whole text can hold
    // Positions are asked for in increasing order while a file is checked,
    // so the line count continues from the last answer.
    const char* countedUpTo = nullptr;  // null: count from the start
    int countedLine = 1;
    const char* countedLineStart = nullptr;

    SceneReader(Scene& target, const char* first, size_t length)
        : scene(target), text(first), end(first + length), cursor(first), tokenStart(first) {}
    bool Checking() const { return diagnostics != nullptr; }
};

// One integer field, C %i rules: sign, 0x hexadecimal, leading-0 octal, at
// most 15 characters; the byte that ends the number is left unread. A
// malformed token (or a value outside 32 bits) stores 0 and fails.
void ReadInt(SceneReader& r, int& target, SceneField field);
// One decimal field: sign, digits with one point, exponent, at most 28
// characters. A malformed token keeps the target, except that a lone sign or
// point stores 0.0; either way the reader fails.
void ReadDecimal(SceneReader& r, double& target, SceneField field);
// Skips white space, drops one marker byte and stores the rest of the line
// (at most 199 bytes; the rest of a longer line is consumed, CRLF is one line
// end) in the scene's name pool.
void ReadTextureName(SceneReader& r, TexName& target, SceneField field);

// Enters the failed state at position at (the first failure wins); the
// first failure is reported as a diagnostic while checking.
void FailRead(SceneReader& r, int status, SceneField field, const char* at, long long value,
              long long limit);
// Bytes not yet read.
inline size_t BytesLeft(const SceneReader& r) { return (size_t)(r.end - r.cursor); }
// The first non-blank byte at or after the cursor; the end when none.
const char* NextContent(const SceneReader& r);
// 1-based line and column (in bytes) of a position in the text.
void TextPosition(SceneReader& r, const char* at, int* line, int* column);

// A double converted to int without overflow: saturates at the int range,
// NaN gives 0.
int SaturateToInt(double value);
