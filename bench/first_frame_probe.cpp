// first_frame_probe.cpp -- preloaded into `ambler` by first_frame_bench: at
// the first buffer swap it writes the monotonic clock to the file named by
// AMBLER_FIRST_FRAME_FILE and ends the process, so the start is measured
// from outside without a hook in the program.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

extern "C" void SDL_GL_SwapWindow(void* window) {
    using Swap = void (*)(void*);
    static Swap real = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    if (real) real(window);
    // The steady clock is the system's monotonic one, shared with the bench.
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    long long ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
    if (const char* path = getenv("AMBLER_FIRST_FRAME_FILE")) {
        char text[64];
        int length = snprintf(text, sizeof text, "%lld.%09lld\n", ns / 1000000000, ns % 1000000000);
        int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd >= 0 && write(fd, text, (size_t)length) == length) close(fd);
    }
    _exit(0);
}
