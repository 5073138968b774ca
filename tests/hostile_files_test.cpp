// hostile_files_test.cpp -- the real programs against files that are not
// plain files, files that change while they are read, sparse files whose
// counts claim more than memory, and standard input that never ends or
// asks for too much. Each program must go on (or refuse) with a message,
// promptly, never killed by a signal and never holding memory that the
// file only claims.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "scene/scene.h"
#include "tests/support/temp_scene.h"
#include "tools/lib/bitmap_writer.h"
#include "tools/lib/scene_writer.h"

namespace {

const std::string BIN = AMBLER_BIN_DIR;

struct ProcessRun {
    int status;         // as wait gives it
    double seconds;     // wall time
    long peakKb;        // the process's peak resident size
    std::string error;  // its standard error
};

// Runs a shell command (which should exec the program, so that the peak
// size is the program's) with standard error kept.
ProcessRun RunShell(const std::string& command) {
    TempDir dir("hostile-files-run");
    std::string errPath = dir.File("err");
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int out = open("/dev/null", O_WRONLY);
        dup2(err, STDERR_FILENO);
        dup2(out, STDOUT_FILENO);
        execl("/bin/bash", "bash", "-c", command.c_str(), (char*)nullptr);
        _exit(127);
    }
    ProcessRun run = {};
    struct rusage usage = {};
    wait4(pid, &run.status, 0, &usage);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKb = usage.ru_maxrss;
    run.error = ReadWholeFile(errPath);
    return run;
}

// `timeout` guards every run, so a hang fails the test instead of stalling it.
std::string Replay(const std::string& dir, const std::string& more = "") {
    return "exec timeout -k 2 30 " + BIN + "/ambler-replay " + dir + " --steps 2 " + more;
}
std::string Check(const std::string& target) {
    return "exec timeout -k 2 30 " + BIN + "/ambler-check " + target;
}

bool ExitedWith(const ProcessRun& run, int status) {
    return WIFEXITED(run.status) && WEXITSTATUS(run.status) == status;
}

// The address sanitizer reserves terabytes of address space, so a limit on
// it cannot be set in the sanitizer build; the peak sizes are compared there
// all the same.
#if defined(__SANITIZE_ADDRESS__)
const char* ADDRESS_LIMIT = "";
#else
const char* ADDRESS_LIMIT = "ulimit -v 2000000; ";  // 2 GB: half the sparse file
#endif

TEST(HostileFiles, SceneFilesThatAreNotPlainFilesRunAnEmptyScene) {
    TempDir root("hostile-special");
    struct Case {
        const char* name;
        const char* checkSays;
        const char* programSays;
    } cases[] = {
        {"fifo", "a FIFO", "not a regular file"},
        {"zero", "a device", "not a regular file"},
        {"folder", "a folder", "not a regular file"},
        {"dangling", "a link to a missing file", "cannot be created"},
    };
    for (const Case& c : cases) ASSERT_EQ(mkdir(root.File(c.name).c_str(), 0700), 0);
    ASSERT_EQ(mkfifo(root.File("fifo/Hod.pro").c_str(), 0600), 0);
    ASSERT_EQ(symlink("/dev/zero", root.File("zero/Hod.pro").c_str()), 0);
    ASSERT_EQ(mkdir(root.File("folder/Hod.pro").c_str(), 0700), 0);
    ASSERT_EQ(symlink("../outside/Hod.pro", root.File("dangling/Hod.pro").c_str()), 0);
    for (const Case& c : cases) {
        ProcessRun replay = RunShell(Replay(root.File(c.name)) + " < /dev/null");
        EXPECT_TRUE(ExitedWith(replay, 0)) << c.name << ": status " << replay.status;
        EXPECT_NE(replay.error.find(c.programSays), std::string::npos) << c.name << replay.error;
        ProcessRun check = RunShell(Check(root.File(c.name)) + " > " + root.File("check.txt"));
        EXPECT_TRUE(ExitedWith(check, 2)) << c.name;
        std::string said = ReadWholeFile(root.File("check.txt"));
        EXPECT_NE(said.find(c.checkSays), std::string::npos) << c.name << ": " << said;
        EXPECT_NE(said.find("empty scene"), std::string::npos) << c.name << ": " << said;
    }
    EXPECT_FALSE(FileExists(root.File("outside"))) << "a file was made through the link";
}

TEST(HostileFiles, EventsFilesThatAreNotPlainFilesAreRefused) {
    TempDir root("hostile-events");
    ASSERT_TRUE(SaveTextFile(root.File("Hod.pro"), ""));
    ASSERT_EQ(mkfifo(root.File("fifo").c_str(), 0600), 0);
    ASSERT_EQ(mkdir(root.File("folder").c_str(), 0700), 0);
    for (std::string events : {std::string("/dev/zero"), root.File("fifo"), root.File("folder")}) {
        ProcessRun run = RunShell(Replay(root.path, "--events " + events) + " < /dev/null");
        EXPECT_TRUE(ExitedWith(run, 2)) << events << ": status " << run.status;
        EXPECT_NE(run.error.find("not a regular file"), std::string::npos) << run.error;
        EXPECT_LT(run.seconds, 20) << events;
    }
}

// A sparse file of 4 GB, and a count of 100,000,000 plain vertices over a
// 400 MB hole: the peak size stays near an empty scene's.
TEST(HostileFiles, SparseFilesClaimNoMemory) {
    TempDir root("hostile-sparse");
    for (const char* name : {"empty", "sparse", "hole"})
        ASSERT_EQ(mkdir(root.File(name).c_str(), 0700), 0);
    ASSERT_TRUE(SaveTextFile(root.File("empty/Hod.pro"), ""));
    ASSERT_EQ(truncate(root.File("sparse/Hod.pro").c_str(), 0), -1);  // not there yet
    ASSERT_TRUE(SaveTextFile(root.File("sparse/Hod.pro"), ""));
    ASSERT_EQ(truncate(root.File("sparse/Hod.pro").c_str(), (off_t)4 << 30), 0);
    ASSERT_TRUE(SaveTextFile(root.File("hole/Hod.pro"), "0 100000000 0 -1 1\n"));
    ASSERT_EQ(truncate(root.File("hole/Hod.pro").c_str(), (off_t)400 << 20), 0);

    ProcessRun empty = RunShell(std::string(ADDRESS_LIMIT) + Replay(root.File("empty")) + " < /dev/null");
    ASSERT_TRUE(ExitedWith(empty, 0)) << empty.error;
    for (const char* name : {"sparse", "hole"}) {
        ProcessRun run = RunShell(std::string(ADDRESS_LIMIT) + Replay(root.File(name)) + " < /dev/null");
        EXPECT_TRUE(ExitedWith(run, 0)) << name << ": status " << run.status << run.error;
        EXPECT_LT(run.peakKb, empty.peakKb + 16 * 1024)
            << name << ": " << run.peakKb << " KB against " << empty.peakKb << " KB empty";
        ProcessRun check = RunShell(std::string(ADDRESS_LIMIT) + Check(root.File(name)));
        EXPECT_TRUE(ExitedWith(check, 2)) << name << ": the claim is an error";
        EXPECT_LT(check.peakKb, 64 * 1024) << name;
    }
}

TEST(HostileFiles, StandardInputIsBoundedInBytesWaitingAndMemory) {
    TempDir root("hostile-stdin");
    ASSERT_TRUE(SaveTextFile(root.File("Hod.pro"), ""));
    // Never ends, never sends: the start goes on after about a second.
    for (std::string feed : {std::string("yes ''"), std::string("sleep 20")}) {
        ProcessRun run = RunShell(Replay(root.path) + " < <(" + feed + ")");
        EXPECT_TRUE(ExitedWith(run, 0)) << feed << ": status " << run.status;
        EXPECT_LT(run.seconds, 8) << feed;
    }
    // Sizes that ask for waypoint tables far past memory (the file's blanks
    // let the rows reach 2,000,000 per actor; 50 actors of them are 1.6 GB).
    ASSERT_EQ(mkdir(root.File("big").c_str(), 0700), 0);
    ASSERT_TRUE(SaveTextFile(root.File("big/Hod.pro"), "0 0 0 49 1\n" + std::string(8000000, ' ')));
    std::string sizes = root.File("sizes");
    ASSERT_TRUE(SaveTextFile(sizes, "49 2000000000 49 2000000000 49 2000000000 49 2000000000\n"));
    ProcessRun run = RunShell(Replay(root.File("big")) + " < " + sizes);
    EXPECT_TRUE(ExitedWith(run, 0)) << "status " << run.status << run.error;
    EXPECT_NE(run.error.find("Out of memory."), std::string::npos) << run.error;
    EXPECT_LT(run.peakKb, 400 * 1024);
}

// A writer cuts, grows and rewrites a large scene and its bitmap while the
// programs read them: every run ends by itself, none by a signal.
TEST(HostileFiles, FilesChangingWhileReadNeverKillAProgram) {
    TempDir root("hostile-changing");
    SceneShape shape;
    shape.texVertices = 20000;
    shape.flatVertices = 60000;
    shape.actors = 4;
    shape.partVertices = 500;
    shape.actorJoints = 4;
    shape.textureNames = 1;
    SceneDescription scene;
    GenerateScene(scene, shape);
    ASSERT_TRUE(WriteSceneFile(root.File("whole.pro"), scene));
    std::string whole = ReadWholeFile(root.File("whole.pro"));
    ASSERT_GT(whole.size(), 2000000u);
    std::vector<unsigned char> rgb(64 * 64 * 3, 200);
    ASSERT_TRUE(WriteBitmap24(root.File("texture0.bmp").c_str(), rgb.data(), 64, 64));
    std::string bitmap = ReadWholeFile(root.File("texture0.bmp"));

    pid_t writer = fork();
    if (writer == 0) {
        std::string scenePath = root.File("Hod.pro"), bitmapPath = root.File("texture0.bmp");
        int scene = open(scenePath.c_str(), O_RDWR | O_CREAT, 0600);
        int bmp = open(bitmapPath.c_str(), O_RDWR);
        for (unsigned k = 1;; ++k) {
            size_t cut = (size_t)(k * 2654435761u) % whole.size();
            if (pwrite(scene, whole.data(), whole.size(), 0) < 0) _exit(1);
            if (ftruncate(scene, (off_t)cut) != 0) _exit(1);
            if (pwrite(scene, whole.data(), whole.size() / 3, (off_t)cut) < 0) _exit(1);
            if (ftruncate(bmp, (off_t)(k % bitmap.size())) != 0) _exit(1);
            if (pwrite(bmp, bitmap.data(), bitmap.size(), 0) < 0) _exit(1);
        }
    }
    ASSERT_GT(writer, 0);
    for (int round = 0; round < 4; ++round) {
        ProcessRun check = RunShell(Check(root.path));
        EXPECT_TRUE(WIFEXITED(check.status)) << "ambler-check killed by signal "
                                              << WTERMSIG(check.status);
        ProcessRun replay = RunShell(Replay(root.path) + " < /dev/null");
        EXPECT_TRUE(ExitedWith(replay, 0)) << "ambler-replay: status " << replay.status;
    }
    kill(writer, SIGKILL);
    waitpid(writer, nullptr, 0);
}

}  // namespace
