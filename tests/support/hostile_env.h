// hostile_env.h -- test helpers for hostile environments: a giant bitmap
// that costs no disk, a scene naming one texture, and starting a program
// whose standard input never ends, then signalling it and timing its end.
#pragma once

#include <string>
#include <vector>

// A valid 24-bit bitmap of width x height whose pixel data is a hole in the
// file (all black): gigabytes of picture in a few kilobytes of disk.
void WriteGiantBitmap(const std::string& path, int width, int height);
// Writes dir/Hod.pro: a small lit scene whose textured polygons name texture.
void WriteSceneNaming(const std::string& dir, const std::string& texture);

// A program started for a test; its standard input is a pipe that the test
// holds open and never writes to, unless it was started with /dev/null.
struct Started {
    int pid = -1;
    int stdinWriter = -1;  // closed by EndOf
};
// environment: NAME=VALUE settings added to the program's.
Started StartIn(const std::string& dir, const std::vector<std::string>& argv, bool stdinNeverEnds,
                const std::string& stderrPath = "/dev/null",
                const std::vector<std::string>& environment = {});
// The environment (for StartIn) that holds a program for good at a call on
// one file, with tests/preload/hold_io.c: the first `after` calls of `call`
// ("read" or "fputs") on file go through, the next one holds, and the file
// sign is made.
std::vector<std::string> HoldEnvironment(const std::string& file, const char* call, int after,
                                         const std::string& sign);
// Waits for the file sign to appear (up to a bound no machine should need);
// true when it did.
bool WaitForHold(const std::string& sign);
// Sends sig and waits up to timeoutMs for the end; the exit status (128 +
// the signal for one that killed it), or -1 after a timeout (then it is
// killed). *elapsedMs: from the signal to the end.
int SignalAndWait(Started& program, int sig, int timeoutMs, double* elapsedMs);
// Waits up to timeoutMs for the program to end by itself; as above.
int WaitForEnd(Started& program, int timeoutMs);
// Processes whose parent is pid.
std::vector<int> ChildrenOf(int pid);
// Destroys an X window (id in any C notation) from a client of its own, as
// a hostile or confused client would; false without a display.
bool DestroyWindowFromOutside(const std::string& window);
// Tells an X window that it stands at (x, y) on the screen, wherever it
// is, as a window manager's synthetic ConfigureNotify does; false without a
// display or such a window.
bool TellWindowItStandsAt(const std::string& window, int x, int y);
