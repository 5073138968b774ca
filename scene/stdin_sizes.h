// stdin_sizes.h -- the loader's four "%d %d" reads of table sizes from the
// process's standard input, or from a text that tests put in its place.
#pragma once

// Text read in place of standard input when not null ("" = no input).
// Set before LoadScene by tests and fuzzers so that none reads the real one.
extern const char* sceneStdinText;

// Starts a load: the next read begins at the start of sceneStdinText, and the
// real standard input counts only when it is not a terminal.
void StartStdinSizes();
// Reads two integers as "%d %d" into first and second. A value stays as it
// was when the input has no number for it; a read that fails leaves the
// offending character for the next read, as scanf does.
void ReadStdinSizes(int& first, int& second);
