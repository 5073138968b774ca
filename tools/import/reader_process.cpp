// reader_process.cpp -- the reading process: forked, stripped of
// descriptors, limited and filtered before it reads a byte of the model;
// and the importer's side, which takes its records against a deadline and
// tells how it ended.
#include "tools/import/reader_process.h"

#include <fcntl.h>
#include <poll.h>
#include <seccomp.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "scene/memory_budget.h"
#include "tools/import/model_wire.h"

#if defined(__SANITIZE_ADDRESS__)
constexpr bool SANITIZED = true;  // vast shadow mappings: no address-space limit fits
#else
constexpr bool SANITIZED = false;
#endif

namespace {

using Clock = std::chrono::steady_clock;

constexpr int RECORDS_FD = 3;  // the pipe, in the reading process
// How the reading process ends when it cannot do its work; 0 is all sent.
enum { READER_SEND_FAILED = 3, READER_UNCONFINED = 4, READER_OUT_OF_MEMORY = 5 };

// ---- the reading process ----

class FdWriter : public RecordWriter {
  public:
    bool Send(WireKind kind, const Payload& payload) override {
        std::string header = WireHeader(kind, payload.Size());
        return WriteAll(header.data(), header.size()) && payload.Each(WriteAll);
    }

  private:
    static bool WriteAll(const char* bytes, size_t size) {
        size_t done = 0;
        while (done < size) {
            ssize_t n = write(RECORDS_FD, bytes + done, size - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += (size_t)n;
        }
        return true;
    }
};

// Standard input, output and error on /dev/null, the pipe on RECORDS_FD,
// and every other descriptor closed. The sanitizer builds keep standard
// error, where their reports go.
void KeepOnlyThePipe(int pipeFd) {
    if (dup2(pipeFd, RECORDS_FD) < 0) _exit(READER_UNCONFINED);
    int null = open("/dev/null", O_RDWR);  // never RECORDS_FD, which is taken now
    if (null < 0) _exit(READER_UNCONFINED);
    dup2(null, 0);
    dup2(null, 1);
    if (!SANITIZED) dup2(null, 2);
    if (close_range(RECORDS_FD + 1, ~0u, 0) != 0) {
        for (int fd = RECORDS_FD + 1; fd < 65536; fd++) close(fd);
    }
}

void Limit(int resource, rlim_t soft, rlim_t hard) {
    struct rlimit limit = {soft, hard};
    setrlimit(resource, &limit);
}

// The address space the process has now, in bytes.
rlim_t AddressSpaceInUse() {
    FILE* f = std::fopen("/proc/self/statm", "r");
    unsigned long pages = 0;
    if (f) {
        if (std::fscanf(f, "%lu", &pages) != 1) pages = 0;
        std::fclose(f);
    }
    return (rlim_t)pages * (rlim_t)sysconf(_SC_PAGESIZE);
}

void LimitResources(double seconds) {
    // The scene reader's budget on top of what the program itself maps:
    // no model needs more to be read, and the rest is a bomb.
    if (!SANITIZED) {
        rlim_t space = AddressSpaceInUse() + SCENE_MEMORY_BUDGET;
        Limit(RLIMIT_AS, space, space);
    }
    Limit(RLIMIT_CORE, 0, 0);    // a crash leaves no core file behind
    Limit(RLIMIT_FSIZE, 0, 0);   // and no file can grow, should one open for writing
    // A second stop behind the importer's own clock (SIGXCPU, then SIGKILL).
    rlim_t cpu = (rlim_t)std::ceil(seconds) + 1;
    Limit(RLIMIT_CPU, cpu, cpu + 1);
}

// System call argument number arg compared by op with a; for
// SCMP_CMP_MASKED_EQ, a is the mask and b the value.
scmp_arg_cmp Arg(unsigned arg, scmp_compare op, scmp_datum_t a, scmp_datum_t b = 0) { return {arg, op, a, b}; }

// The system calls the reader may make. Everything not listed ends it with
// SIGSYS; a few that a library might try and cope with are refused with an
// error instead.
bool Confine() {
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_KILL_PROCESS);
    if (!filter) return false;
    bool ok = true;
    auto rule = [&](uint32_t action, int call, unsigned count, scmp_arg_cmp a = {}, scmp_arg_cmp b = {}) {
        int r = count == 0 ? seccomp_rule_add(filter, action, call, 0)
                : count == 1 ? seccomp_rule_add(filter, action, call, 1, a)
                             : seccomp_rule_add(filter, action, call, 2, a, b);
        // A call this libseccomp does not know is one no library here makes.
        if (r != 0 && r != -EDOM && r != -EFAULT) ok = false;
    };
    const int harmless[] = {
        // reading what is open, and learning about files
        SCMP_SYS(read), SCMP_SYS(pread64), SCMP_SYS(readv), SCMP_SYS(preadv), SCMP_SYS(lseek),
        SCMP_SYS(close), SCMP_SYS(fstat), SCMP_SYS(stat), SCMP_SYS(lstat), SCMP_SYS(newfstatat),
        SCMP_SYS(statx), SCMP_SYS(access), SCMP_SYS(faccessat), SCMP_SYS(faccessat2),
        SCMP_SYS(getdents64), SCMP_SYS(readlink), SCMP_SYS(readlinkat), SCMP_SYS(getcwd), SCMP_SYS(fcntl),
        // memory
        SCMP_SYS(brk), SCMP_SYS(munmap), SCMP_SYS(mremap), SCMP_SYS(madvise),
        // the process itself
        SCMP_SYS(exit), SCMP_SYS(exit_group), SCMP_SYS(rt_sigreturn), SCMP_SYS(rt_sigprocmask),
        SCMP_SYS(rt_sigaction), SCMP_SYS(sigaltstack), SCMP_SYS(getpid), SCMP_SYS(gettid),
        SCMP_SYS(futex), SCMP_SYS(sched_yield), SCMP_SYS(sched_getaffinity), SCMP_SYS(getrlimit),
        SCMP_SYS(getrusage), SCMP_SYS(uname), SCMP_SYS(sysinfo), SCMP_SYS(getrandom),
        SCMP_SYS(clock_gettime), SCMP_SYS(clock_getres), SCMP_SYS(gettimeofday), SCMP_SYS(time),
        SCMP_SYS(nanosleep), SCMP_SYS(clock_nanosleep),
    };
    for (int call : harmless) rule(SCMP_ACT_ALLOW, call, 0);

    // Files open for reading only: Assimp opens the model and what it names
    // (materials, buffers, other parts) and the pictures are found after
    // the read, so no list of files can be opened beforehand.
    const scmp_datum_t WRITING[] = {O_WRONLY, O_RDWR, O_CREAT, O_TRUNC, O_APPEND};
    scmp_datum_t writing = 0;
    for (scmp_datum_t bit : WRITING) writing |= bit;
    rule(SCMP_ACT_ALLOW, SCMP_SYS(openat), 1, Arg(2, SCMP_CMP_MASKED_EQ, writing, 0));
    rule(SCMP_ACT_ALLOW, SCMP_SYS(open), 1, Arg(1, SCMP_CMP_MASKED_EQ, writing, 0));
    for (scmp_datum_t bit : WRITING) {
        rule(SCMP_ACT_ERRNO(EACCES), SCMP_SYS(openat), 1, Arg(2, SCMP_CMP_MASKED_EQ, bit, bit));
        rule(SCMP_ACT_ERRNO(EACCES), SCMP_SYS(open), 1, Arg(1, SCMP_CMP_MASKED_EQ, bit, bit));
    }
    rule(SCMP_ACT_ERRNO(EACCES), SCMP_SYS(creat), 0);
    rule(SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(openat2), 0);  // its flags are out of the filter's sight: openat it is

    // Writes reach only /dev/null and the pipe. The sanitizers test whether
    // memory is readable by writing it into a pipe of their own.
    if (SANITIZED) {
        for (int call : {SCMP_SYS(write), SCMP_SYS(writev), SCMP_SYS(pipe), SCMP_SYS(pipe2)})
            rule(SCMP_ACT_ALLOW, call, 0);
    } else {
        rule(SCMP_ACT_ALLOW, SCMP_SYS(write), 1, Arg(0, SCMP_CMP_LE, RECORDS_FD));
        rule(SCMP_ACT_ALLOW, SCMP_SYS(writev), 1, Arg(0, SCMP_CMP_LE, RECORDS_FD));
        rule(SCMP_ACT_ERRNO(EBADF), SCMP_SYS(write), 1, Arg(0, SCMP_CMP_GT, RECORDS_FD));
        rule(SCMP_ACT_ERRNO(EBADF), SCMP_SYS(writev), 1, Arg(0, SCMP_CMP_GT, RECORDS_FD));
    }

    // Memory, but never executable: code the file smuggles in cannot run.
    for (int call : {SCMP_SYS(mmap), SCMP_SYS(mprotect)}) {
        rule(SCMP_ACT_ALLOW, call, 1, Arg(2, SCMP_CMP_MASKED_EQ, PROT_EXEC, 0));
        rule(SCMP_ACT_ERRNO(EACCES), call, 1, Arg(2, SCMP_CMP_MASKED_EQ, PROT_EXEC, PROT_EXEC));
    }
    // Signals to itself only (abort raises SIGABRT).
    scmp_datum_t self = (scmp_datum_t)getpid();
    rule(SCMP_ACT_ALLOW, SCMP_SYS(kill), 1, Arg(0, SCMP_CMP_EQ, self));
    rule(SCMP_ACT_ALLOW, SCMP_SYS(tgkill), 1, Arg(0, SCMP_CMP_EQ, self));
    rule(SCMP_ACT_ALLOW, SCMP_SYS(tkill), 1, Arg(0, SCMP_CMP_EQ, self));
    // Whether a descriptor is a terminal, and nothing else a terminal does
    // (TIOCSTI would type into the user's shell).
    rule(SCMP_ACT_ALLOW, SCMP_SYS(ioctl), 1, Arg(1, SCMP_CMP_EQ, TCGETS));
    rule(SCMP_ACT_ERRNO(ENOTTY), SCMP_SYS(ioctl), 1, Arg(1, SCMP_CMP_NE, TCGETS));
    // Limits may be read, never raised.
    rule(SCMP_ACT_ALLOW, SCMP_SYS(prlimit64), 1, Arg(2, SCMP_CMP_EQ, 0));

    ok = ok && seccomp_load(filter) == 0;
    seccomp_release(filter);
    return ok;
}

// The reading process from fork to exit; never returns.
[[noreturn]] void RunReader(const ImportOptions& options, int pipeFd, pid_t importer, const ReaderWork& work) {
    // Dies with the importer, however the importer ends.
    if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != importer) _exit(READER_UNCONFINED);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);  // the importer's quit signals end the reader too
    signal(SIGPIPE, SIG_IGN);                  // an importer that stopped listening is a failed write
    KeepOnlyThePipe(pipeFd);
    LimitResources(options.timeLimit);
    if (!Confine()) _exit(READER_UNCONFINED);

    FdWriter out;
    bool sent = false;
    try {
        // Assimp's progress, sent when it moves by a twentieth: each record
        // wakes the importer.
        int shown = -1;
        ProgressFn progress = [&](const char*, double f) {
            int step = (int)(f * 20);
            if (step == shown) return;
            shown = step;
            out.Send(WireKind::PROGRESS, ProgressPayload((float)f));
        };
        if (work) {
            sent = work(out);
        } else {
            std::unique_ptr<ModelSource> source = MakeAssimpSource(options, progress);
            sent = SendModel(*source, options.model, out);
        }
    } catch (const std::bad_alloc&) {
        sent = out.Send(WireKind::FAILED, FailurePayload(ReadFailure::OUT_OF_MEMORY, ""));
        if (!sent) _exit(READER_OUT_OF_MEMORY);
    } catch (const std::exception& e) {
        sent = out.Send(WireKind::FAILED, FailurePayload(ReadFailure::EXCEPTION, e.what()));
    } catch (...) {
        sent = out.Send(WireKind::FAILED, FailurePayload(ReadFailure::EXCEPTION, "an exception of no known kind"));
    }
    // No destructors, no atexit handlers: what the reader leaves is the
    // kernel's to clean up.
    _exit(sent ? 0 : READER_SEND_FAILED);
}

// ---- the importer's side ----

// Records from the pipe, read against the deadline.
class PipeReader : public RecordReader {
  public:
    PipeReader(int fd, Clock::time_point deadline) : fd_(fd), deadline_(deadline) {}
    bool timedOut = false;
    bool ended = false;  // the pipe closed or failed: the reader is gone or going

    bool Next(uint32_t* kind, uint64_t* length, std::string* error) override {
        char header[WIRE_HEADER_BYTES];
        if (!Read(header, sizeof header, error)) return false;
        if (!ParseWireHeader(header, kind, length)) return *error = "a damaged record", false;
        return true;
    }

    // Small reads come from a buffer; large ones go straight to their place.
    bool Read(void* out, size_t size, std::string* error) override {
        char* to = static_cast<char*>(out);
        size_t from = std::min(size, buffered_.size() - at_);
        std::memcpy(to, buffered_.data() + at_, from);
        at_ += from;
        to += from;
        size -= from;
        if (size == 0) return true;
        if (size >= BUFFER) return Fill(to, size, size, error) == size;
        buffered_.resize(BUFFER);
        size_t got = Fill(buffered_.data(), size, BUFFER, error);
        buffered_.resize(got);
        if (got < size) return false;
        std::memcpy(to, buffered_.data(), size);
        at_ = size;
        return true;
    }

  private:
    static constexpr size_t BUFFER = 64 * 1024;

    // Reads at least least and at most most bytes into out before the
    // deadline; returns how many came (fewer than least on a failure).
    size_t Fill(char* out, size_t least, size_t most, std::string* error) {
        size_t done = 0;
        while (done < least) {
            long left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()).count();
            if (left <= 0) {
                timedOut = true;
                *error = "the time limit passed";
                return done;
            }
            struct pollfd p = {fd_, POLLIN, 0};
            int r = poll(&p, 1, (int)std::min<long>(left, 1000));
            if (r < 0 && errno != EINTR) {
                ended = true;
                *error = std::string("poll: ") + std::strerror(errno);
                return done;
            }
            if (r <= 0) continue;
            ssize_t n = read(fd_, out + done, most - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                ended = true;
                *error = "the records end early";
                return done;
            }
            done += (size_t)n;
        }
        return done;
    }

    std::string buffered_;
    size_t at_ = 0;
  private:
    int fd_;
    Clock::time_point deadline_;
};

const char* SignalWords(int sig) {
    switch (sig) {
        case SIGSEGV: return "segmentation fault";
        case SIGBUS: return "bus error";
        case SIGABRT: return "abort";
        case SIGFPE: return "arithmetic error";
        case SIGILL: return "illegal instruction";
        case SIGTRAP: return "trap";
        default: return nullptr;
    }
}

// The reading process, seen from the importer.
class ReaderProcess : public ModelSource {
  public:
    ReaderProcess(const ImportOptions& options, const ProgressFn& progress, pid_t pid, int fd)
        : options_(options), pid_(pid), fd_(fd), pidFd_((int)syscall(SYS_pidfd_open, pid, 0)),
          deadline_(Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                       std::chrono::duration<double>(options.timeLimit))),
          pipe_(fd, deadline_), wire_(MakeWireSource(pipe_, options.model, progress)) {}

    ~ReaderProcess() override {
        if (pid_ > 0) Stop();
        close(fd_);
        if (pidFd_ >= 0) close(pidFd_);
    }

    bool Model(RawModel* model, std::string* error) override {
        return wire_->Model(model, error) || Explain(error);
    }
    bool Texture(size_t index, RawTexture* texture, std::string* error) override {
        return wire_->Texture(index, texture, error) || Explain(error);
    }
    bool Finish(std::string* error) override {
        if (!wire_->Finish(error)) return Explain(error);
        // All was sent; the reader's end must be as clean.
        int status = Wait();
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
        return Ended(status, error);
    }

  private:
    // The read went wrong: says how, from the reader's end where it has one.
    bool Explain(std::string* error) {
        if (pipe_.timedOut) {
            Stop();
            return TimeLimit(error);
        }
        if (!pipe_.ended) {
            Stop();  // a failure it reported, or records it damaged: either way it is done
            return false;
        }
        int status = Wait();
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return false;  // the wire's own message
        return Ended(status, error);
    }

    bool Ended(int status, std::string* error) {
        const std::string& name = options_.model;
        if (status == STOPPED_AT_LIMIT) return TimeLimit(error);
        if (WIFSIGNALED(status)) {
            int sig = WTERMSIG(status);
            if (sig == SIGXCPU) return TimeLimit(error);  // its own CPU limit
            if (sig == SIGSYS)
                *error = name + ": the model reader tried what it may not (a system call its filter refuses) "
                                "and was stopped; the file may be malicious";
            else if (sig == SIGKILL)
                *error = name + ": the model reader was killed (by the system, perhaps short of memory)";
            else if (const char* words = SignalWords(sig))
                *error = name + ": the model reader crashed (" + words +
                         "); the file is damaged or not a model it can read";
            else
                *error = name + ": the model reader was ended by signal " + std::to_string(sig);
        } else if (WIFEXITED(status) && WEXITSTATUS(status) == READER_UNCONFINED) {
            *error = name + ": the model reader could not be confined (no seccomp filter here); nothing was read";
        } else if (WIFEXITED(status) && WEXITSTATUS(status) == READER_OUT_OF_MEMORY) {
            *error = name + ": the model reader ran out of memory (its limit is 1 GiB); the file is damaged or too large";
        } else if (WIFEXITED(status)) {
            *error = name + ": the model reader stopped with status " + std::to_string(WEXITSTATUS(status)) +
                     "; the file is damaged or not a model it can read";
        }
        return false;
    }

    bool TimeLimit(std::string* error) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%g", options_.timeLimit);
        *error = options_.model + ": the model reader took longer than " + seconds +
                 " s and was stopped (--time-limit); the file is damaged or too large to read in time";
        return false;
    }

    static constexpr int STOPPED_AT_LIMIT = -1;

    // The reader's status once it has ended, stopping it at the deadline.
    int Wait() {
        if (pid_ <= 0) return status_;
        for (;;) {
            pid_t r = waitpid(pid_, &status_, WNOHANG);
            if (r == pid_ || (r < 0 && errno != EINTR)) break;
            long left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()).count();
            if (left <= 0) {
                Stop();
                return status_ = STOPPED_AT_LIMIT;
            }
            // The process descriptor turns readable when the reader ends;
            // without one (a kernel before 5.3), a short sleep.
            struct pollfd p = {pidFd_, POLLIN, 0};
            if (pidFd_ < 0 || poll(&p, 1, (int)std::min<long>(left, 1000)) < 0) usleep(2000);
        }
        pid_ = 0;
        return status_;
    }

    void Stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        while (waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
        }
        pid_ = 0;
    }

    ImportOptions options_;
    pid_t pid_;
    int fd_;
    int pidFd_;
    int status_ = 0;
    Clock::time_point deadline_;
    PipeReader pipe_;
    std::unique_ptr<ModelSource> wire_;
};

}  // namespace

std::unique_ptr<ModelSource> StartReaderProcess(const ImportOptions& options, const ProgressFn& progress,
                                                std::string* error, const ReaderWork& work) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return *error = std::string("pipe: ") + std::strerror(errno), nullptr;
    // A larger pipe lets the reader run ahead while the importer checks.
    fcntl(fds[0], F_SETPIPE_SZ, 1 << 20);
    std::fflush(nullptr);  // nothing buffered is written twice
    pid_t importer = getpid();
    pid_t pid = fork();
    if (pid < 0) {
        *error = std::string("cannot start the model reader: ") + std::strerror(errno);
        close(fds[0]);
        close(fds[1]);
        return nullptr;
    }
    if (pid == 0) RunReader(options, fds[1], importer, work);
    close(fds[1]);
    return std::make_unique<ReaderProcess>(options, progress, pid, fds[0]);
}
