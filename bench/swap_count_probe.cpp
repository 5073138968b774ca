// swap_count_probe.cpp -- preloaded into `ambler` by smooth_display_bench:
// counts buffer swaps and, every 100 ms of them, writes the count and the
// monotonic clock to the file named by AMBLER_SWAP_COUNT_FILE, so the frame
// rate of the real window is measured from outside without a hook in the
// program.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

extern "C" void SDL_GL_SwapWindow(void* window) {
    using Swap = void (*)(void*);
    static Swap real = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    static long long swaps = 0, lastWrite = 0;
    if (real) real(window);
    swaps++;
    long long ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                       .count();
    const char* path = getenv("AMBLER_SWAP_COUNT_FILE");
    if (!path || ns - lastWrite < 100000000) return;
    lastWrite = ns;
    char text[64];
    int length = snprintf(text, sizeof text, "%lld %.6f\n", swaps, ns / 1e9);
    // Written beside and renamed over, so a reader never sees it empty.
    char temp[4096];
    snprintf(temp, sizeof temp, "%s.new", path);
    int fd = open(temp, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) return;
    bool whole = write(fd, text, (size_t)length) == length;
    close(fd);
    if (whole) rename(temp, path);
}
