// file_read_test.cpp -- the safe whole-file read, the creation of an empty
// scene file, and the memory budget: what is refused, where a text ends,
// and that a load past the budget leaves an empty scene and no memory held.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "scene/file_read.h"
#include "scene/memory_budget.h"
#include "scene/scene.h"
#include "scene/scene_file.h"
#include "scene/scene_reader.h"
#include "scene/stdin_sizes.h"
#include "tests/support/temp_scene.h"

namespace {

const FileReadOptions TEXT = {(size_t)64 << 20, true, true};

// The bytes ReadWholeFile gives for path, with the result in *result.
std::string ReadBytes(const std::string& path, const FileReadOptions& options,
                      FileReadResult* result) {
    FileBytes bytes;
    *result = ReadWholeFile(path.c_str(), options, &bytes);
    std::string text = bytes.data ? std::string(bytes.data, bytes.length) : "";
    for (size_t k = 0; bytes.data && k < FILE_PADDING; ++k)
        EXPECT_EQ(bytes.data[bytes.length + k], 0) << "padding byte " << k;
    ReleaseFileBytes(&bytes);
    return text;
}

TEST(FileRead, OnlyRegularFilesAreRead) {
    TempDir dir("file-read-special");
    ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
    ASSERT_EQ(symlink("/dev/zero", dir.File("zero").c_str()), 0);
    ASSERT_EQ(mkdir(dir.File("folder").c_str(), 0700), 0);
    ASSERT_TRUE(SaveTextFile(dir.File("plain"), "1 2 3\n"));
    ASSERT_EQ(symlink("plain", dir.File("link").c_str()), 0);
    FileReadResult result;
    for (const char* name : {"fifo", "zero", "folder"}) {
        EXPECT_EQ(ReadBytes(dir.File(name), TEXT, &result), "") << name;
        EXPECT_EQ(result, FILE_NOT_REGULAR) << name;
    }
    ReadBytes(dir.File("none"), TEXT, &result);
    EXPECT_EQ(result, FILE_MISSING);
    // A link to a regular file is read like the file: only creation refuses links.
    EXPECT_EQ(ReadBytes(dir.File("link"), TEXT, &result), "1 2 3\n");
    EXPECT_EQ(result, FILE_READ_OK);
}

TEST(FileRead, TextEndsWhereAPageOfZeroBytesStarts) {
    TempDir dir("file-read-zeros");
    std::string shortRun = "abc" + std::string(4095, '\0') + "def";
    std::string page = "abc" + std::string(4096, '\0') + "def";
    // Runs that straddle the reads: the reads are 2 MB long.
    std::string head((2u << 20) - 100, '7');
    std::string straddling = head + std::string(5000, '\0') + "tail";
    std::string shortStraddling = head + std::string(4000, '\0') + "tail";
    ASSERT_TRUE(SaveTextFile(dir.File("short"), shortRun));
    ASSERT_TRUE(SaveTextFile(dir.File("page"), page));
    ASSERT_TRUE(SaveTextFile(dir.File("straddling"), straddling));
    ASSERT_TRUE(SaveTextFile(dir.File("short-straddling"), shortStraddling));
    int fd = open(dir.File("sparse").c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "0 1 2\n", 6), 6);
    ASSERT_EQ(ftruncate(fd, (off_t)1 << 32), 0);  // a 4 GB hole after the text
    close(fd);
    FileReadResult result;
    EXPECT_EQ(ReadBytes(dir.File("short"), TEXT, &result), shortRun);
    EXPECT_EQ(ReadBytes(dir.File("page"), TEXT, &result), "abc");
    EXPECT_EQ(ReadBytes(dir.File("straddling"), TEXT, &result), head);
    EXPECT_EQ(ReadBytes(dir.File("short-straddling"), TEXT, &result), shortStraddling);
    EXPECT_EQ(ReadBytes(dir.File("sparse"), TEXT, &result), "0 1 2\n");
    EXPECT_EQ(result, FILE_READ_OK);
    // Bitmaps are binary: zero bytes are data there.
    FileReadOptions binary = {(size_t)64 << 20, false, false};
    EXPECT_EQ(ReadBytes(dir.File("page"), binary, &result), page);
}

TEST(FileRead, TheLimitIsExactAndNothingStaysCharged) {
    TempDir dir("file-read-limit");
    std::string text(3u << 20, 'x');  // more than one read
    ASSERT_TRUE(SaveTextFile(dir.File("text"), text));
    size_t before = sceneMemory.inUse;
    FileReadResult result;
    FileReadOptions exact = {text.size(), true, true};
    EXPECT_EQ(ReadBytes(dir.File("text"), exact, &result), text);
    EXPECT_EQ(result, FILE_READ_OK);
    FileReadOptions under = {text.size() - 1, true, true};
    ReadBytes(dir.File("text"), under, &result);
    EXPECT_EQ(result, FILE_TOO_LARGE);
    EXPECT_EQ(sceneMemory.inUse, before);
    // The budget bounds a charged read as the limit does.
    sceneMemory.budget = before + (1u << 20);
    ReadBytes(dir.File("text"), TEXT, &result);
    sceneMemory.budget = SCENE_MEMORY_BUDGET;
    EXPECT_EQ(result, FILE_TOO_LARGE);
    EXPECT_EQ(sceneMemory.inUse, before);
}

TEST(FileRead, EmptySceneFileIsMadeOnlyAsANewFileInItsFolder) {
    TempDir dir("file-read-create");
    ASSERT_EQ(mkdir(dir.File("inside").c_str(), 0700), 0);
    ASSERT_EQ(symlink("../outside.pro", dir.File("inside/dangling").c_str()), 0);
    EXPECT_FALSE(CreateEmptyFile(dir.File("inside/dangling").c_str()));
    EXPECT_FALSE(FileExists(dir.File("outside.pro"))) << "the link's target was created";
    ASSERT_TRUE(SaveTextFile(dir.File("inside/kept"), "5"));
    EXPECT_FALSE(CreateEmptyFile(dir.File("inside/kept").c_str()));
    EXPECT_EQ(ReadWholeFile(dir.File("inside/kept")), "5");
    EXPECT_TRUE(CreateEmptyFile(dir.File("inside/new").c_str()));
    struct stat info;
    ASSERT_EQ(lstat(dir.File("inside/new").c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_size, 0);
}

// ---- The scene loader on files it cannot use and claims past the budget.

// The scene as an empty file leaves it (counts at their defaults).
void ExpectEmptyScene(const Scene& s, const char* what) {
    EXPECT_EQ(s.texPolyVertexCount, 0) << what;
    EXPECT_EQ(s.flatPolyVertexCount, 0) << what;
    EXPECT_EQ(s.avatarPolyVertexCount, 0) << what;
    EXPECT_EQ(s.actorLastIndex, -1) << what;
    EXPECT_EQ(s.obstacleCount, 0) << what;
    EXPECT_LE(s.actorWaypointX.rows * s.actorWaypointX.cols, 3u * 50) << what;
}

TEST(SceneFileOutcome, UnusableFilesGiveAMessageAndAnEmptyScene) {
    TempDir dir("scene-outcome");
    ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
    ASSERT_EQ(symlink("../nowhere/Hod.pro", dir.File("dangling").c_str()), 0);
    struct Case {
        const char* name;
        bool create;
        SceneFileOutcome outcome;
        bool message;
    } cases[] = {
        {"fifo", true, SCENE_NOT_REGULAR, true},
        {"dangling", true, SCENE_NOT_CREATED, true},
        {"missing", false, SCENE_MISSING, false},
        {"created", true, SCENE_READ, false},
    };
    auto scene = std::make_unique<Scene>();
    for (const Case& c : cases) {
        SceneReadResult read =
            ReadSceneFile(*scene, dir.File(c.name).c_str(), c.create, SceneReadOptions());
        EXPECT_EQ(read.outcome, c.outcome) << c.name;
        EXPECT_EQ(SceneFileMessage(read.outcome) != nullptr, c.message) << c.name;
        ExpectEmptyScene(*scene, c.name);
    }
    EXPECT_TRUE(FileExists(dir.File("created")));
    EXPECT_FALSE(FileExists(dir.path + "/../nowhere"));
}

// Counts that pass the file-size bound but not the budget, from the file and
// from standard input: "Out of memory.", an empty scene, nothing kept.
TEST(SceneFileOutcome, ClaimsPastTheBudgetEndAsAnEmptySceneWithNothingHeld) {
    // 400,000 plain vertices fit in the file's 2 MB of blanks (4 bytes each),
    // but their tables take about 21 MB.
    std::string claim = "0 400000 0 -1 1\n" + std::string(2u << 20, ' ');
    // Standard input asks for waypoint rows as many as the file could hold.
    std::string actors = "0 0 0 49 1\n" + std::string(2u << 20, ' ');
    struct Case {
        const char* what;
        const std::string* text;
        const char* stdinText;
    } cases[] = {
        {"file count", &claim, ""},
        {"stdin sizes", &actors, "1 1 49 2000000000"},
    };
    auto scene = std::make_unique<Scene>();
    SceneReadOptions options;
    for (const Case& c : cases) {
        size_t before = sceneMemory.inUse;
        sceneMemory.budget = before + (8u << 20);
        options.stdinText = c.stdinText;
        SceneReadResult read = ReadSceneFromMemory(*scene, c.text->data(), c.text->size(), options);
        sceneMemory.budget = SCENE_MEMORY_BUDGET;
        EXPECT_EQ(read.outcome, SCENE_OUT_OF_MEMORY) << c.what;
        ASSERT_NE(SceneFileMessage(read.outcome), nullptr);
        EXPECT_STREQ(SceneFileMessage(read.outcome), "Out of memory.");
        ExpectEmptyScene(*scene, c.what);
        EXPECT_LE(sceneMemory.inUse, before + (1u << 20)) << c.what << ": memory kept";
        // The same within the budget reads on.
        read = ReadSceneFromMemory(*scene, c.text->data(), c.text->size(), options);
        EXPECT_EQ(read.outcome, SCENE_READ) << c.what;
        ResetScene(*scene);
    }
}

}  // namespace

namespace {

// Lengths about the edges of the first buffer (sized from the file's size)
// and of the reads, read alone and ahead of the second thread.
TEST(FileRead, LengthsAtTheBufferEdgesReadWhole) {
    TempDir dir("file-read-edges");
    const size_t mb2 = (size_t)2 << 20;
    for (size_t length : {mb2 - FILE_PADDING - 1, mb2 - FILE_PADDING, mb2 - FILE_PADDING + 1,
                          2 * mb2, 3 * mb2 + 7}) {
        std::string text(length, 'x');
        for (size_t k = 0; k < length; k += 4093) text[k] = (char)('a' + k % 26);
        ASSERT_TRUE(SaveTextFile(dir.File("f"), text));
        for (bool prefault : {false, true}) {
            FileReadOptions options = TEXT;
            options.prefault = prefault;
            FileReadResult result;
            EXPECT_TRUE(ReadBytes(dir.File("f"), options, &result) == text) << length;
            EXPECT_EQ(result, FILE_READ_OK) << length;
        }
    }
}

}  // namespace
