// command_line_test.cpp -- the scene argument and options of ambler,
// ambler-replay and ambler-check: a folder or its Hod.pro, --help and
// --version, and usage with status 2 before any window for anything else.
#include <gtest/gtest.h>

#include <string>

#include "app/command_line.h"
#include "app/paths.h"
#include "tests/support/desktop.h"
#include "tests/support/replay_harness.h"
#include "tests/support/temp_scene.h"

namespace {

std::string Program(const char* name) { return std::string(AMBLER_BIN_DIR) + "/" + name; }

struct ProgramRun {
    int status = -1;
    std::string out, err;
};

// Runs a program with no display at all: anything that got as far as
// opening a window would fail differently from a usage error.
ProgramRun RunWithoutDisplay(const std::string& program, const std::string& args,
                      const std::string& cwd = "/") {
    TempDir capture("cmdline-out");
    std::string errFile = capture.File("stderr");
    ProgramRun run;
    int status = 0;
    run.out = Shell("cd '" + cwd + "' && env -u DISPLAY -u WAYLAND_DISPLAY '" + program + "' " +
                        args + " 2>'" + errFile + "' </dev/null",
                    &status);
    run.status = status;
    run.err = ReadWholeFile(errFile);
    return run;
}

AmblerCommandLine Parse(std::vector<std::string> args, std::string* error) {
    std::vector<char*> argv{const_cast<char*>("ambler")};
    for (std::string& a : args) argv.push_back(a.data());
    AmblerCommandLine line;
    *error = ParseAmblerCommandLine((int)argv.size(), argv.data(), &line);
    return line;
}

TEST(CommandLine, SceneIsAFolderOrItsHodPro) {
    TempDir dir("cmdline");
    ASSERT_TRUE(SaveTextFile(dir.File("Hod.pro"), "0\n"));
    ASSERT_TRUE(SaveTextFile(dir.File("other.pro"), "0\n"));
    std::string folder;
    EXPECT_EQ(SceneFolderOf(dir.path, &folder), "");
    EXPECT_EQ(folder, dir.path);
    folder.clear();
    EXPECT_EQ(SceneFolderOf(dir.File("Hod.pro"), &folder), "");
    EXPECT_EQ(folder, dir.path);
    TempDir empty("cmdline-empty");
    folder.clear();
    EXPECT_EQ(SceneFolderOf(empty.File("Hod.pro"), &folder), "")
        << "a folder without a scene is opened: the program makes the file";
    EXPECT_EQ(folder, empty.path);
    EXPECT_NE(SceneFolderOf(dir.File("other.pro"), &folder), "") << "only Hod.pro is ever read";
    EXPECT_NE(SceneFolderOf(dir.File("missing"), &folder), "");
    EXPECT_NE(SceneFolderOf(dir.File("missing/Hod.pro"), &folder), "");
    EXPECT_NE(SceneFolderOf("", &folder), "");
}

TEST(CommandLine, OptionsAndTheirErrors) {
    TempDir dir("cmdline");
    std::string error;
    AmblerCommandLine line = Parse({}, &error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(line.sceneDir, "") << "no argument: the working folder";
    line = Parse({"--watch", dir.path}, &error);
    EXPECT_EQ(error, "");
    EXPECT_TRUE(line.watch);
    EXPECT_EQ(line.sceneDir, dir.path);
    Parse({"--fast"}, &error);
    EXPECT_NE(error.find("unknown option --fast"), std::string::npos) << error;
    Parse({dir.path, dir.path}, &error);
    EXPECT_NE(error, "");
    Parse({dir.File("nowhere")}, &error);
    EXPECT_NE(error, "");
    // Any other file is a model for the importer; a missing one is nothing.
    ASSERT_TRUE(SaveTextFile(dir.File("house.glb"), "glTF"));
    line = Parse({dir.File("house.glb")}, &error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(line.model, dir.File("house.glb"));
    EXPECT_EQ(line.sceneDir, "");
    line = Parse({dir.File("Hod.pro")}, &error);
    EXPECT_EQ(line.model, "") << "a Hod.pro is a scene, never a model";
    line = Parse({dir.File("nowhere"), "--help"}, &error);
    EXPECT_EQ(error, "") << "--help answers whatever else is given";
    EXPECT_TRUE(line.help);
    // Smooth display is on unless the steps alone are asked to draw.
    EXPECT_FALSE(Parse({dir.path}, &error).designPacing);
    EXPECT_TRUE(Parse({"--pacing", "design", dir.path}, &error).designPacing);
    EXPECT_EQ(error, "");
    EXPECT_FALSE(Parse({"--pacing", "smooth"}, &error).designPacing);
    EXPECT_EQ(error, "");
    for (std::vector<std::string> bad : {std::vector<std::string>{"--pacing"},
                                         std::vector<std::string>{"--pacing", "fast"},
                                         std::vector<std::string>{"--pacing", dir.path}}) {
        Parse(bad, &error);
        EXPECT_NE(error.find("--pacing needs smooth or design"), std::string::npos) << error;
    }
}

TEST(CommandLine, AmblerPrintsUsageAndExitsTwoBeforeAnyWindow) {
    for (const char* program : {"ambler", "ambler-keep-side-key-mode"}) {
        SCOPED_TRACE(program);
        for (const char* args :
             {"--bogus", "/no/such/folder", "/no/such/folder/Hod.pro", "a b", "--pacing sometimes"}) {
            ProgramRun run = RunWithoutDisplay(Program(program), args);
            EXPECT_EQ(run.status, 2) << args << ": " << run.err;
            EXPECT_NE(run.err.find("usage: ambler"), std::string::npos) << args;
        }
        ProgramRun help = RunWithoutDisplay(Program(program), "--help");
        EXPECT_EQ(help.status, 0);
        EXPECT_NE(help.out.find("usage: ambler"), std::string::npos);
        EXPECT_NE(help.out.find("--watch"), std::string::npos);
        EXPECT_NE(help.out.find("--pacing design"), std::string::npos);
        ProgramRun version = RunWithoutDisplay(Program(program), "--version");
        EXPECT_EQ(version.status, 0);
        EXPECT_EQ(version.out.rfind("ambler ", 0), 0u) << version.out;
    }
}

TEST(CommandLine, ReplayAndCheckAcceptTheSameForms) {
    std::string demo = std::string(AMBLER_SOURCE_DIR) + "/scenes/walk";
    ReplayResult byFolder = RunReplayTool(demo, 2, "");
    ReplayResult byFile = RunReplayTool(demo + "/Hod.pro", 2, "");
    ASSERT_EQ(byFile.status, 0) << byFile.errors;
    EXPECT_EQ(byFolder.traceText, byFile.traceText);

    ProgramRun replayVersion = RunWithoutDisplay(Program("ambler-replay"), "--version");
    EXPECT_EQ(replayVersion.status, 0);
    EXPECT_EQ(replayVersion.out.rfind("ambler-replay ", 0), 0u) << replayVersion.out;
    ProgramRun replayHelp = RunWithoutDisplay(Program("ambler-replay"), "--help");
    EXPECT_EQ(replayHelp.status, 0);
    EXPECT_NE(replayHelp.out.find("usage: ambler-replay"), std::string::npos);
    for (std::string args : {"'" + demo + "' --watch", std::string("/no/such/folder"),
                             "'" + demo + "' --bogus"}) {
        ProgramRun run = RunWithoutDisplay(Program("ambler-replay"), args);
        EXPECT_EQ(run.status, 2) << args << ": " << run.err;
        EXPECT_NE(run.err.find("usage: ambler-replay"), std::string::npos) << args;
    }

    ProgramRun checkVersion = RunWithoutDisplay(Program("ambler-check"), "--version");
    EXPECT_EQ(checkVersion.status, 0);
    EXPECT_EQ(checkVersion.out.rfind("ambler-check ", 0), 0u) << checkVersion.out;
    ProgramRun checkBogus = RunWithoutDisplay(Program("ambler-check"), "--bogus");
    EXPECT_EQ(checkBogus.status, 2);
    EXPECT_NE(checkBogus.err.find("usage: ambler-check"), std::string::npos) << checkBogus.err;
    ProgramRun checkFile = RunWithoutDisplay(Program("ambler-check"), "'" + demo + "/Hod.pro'");
    ProgramRun checkFolder = RunWithoutDisplay(Program("ambler-check"), "'" + demo + "'");
    EXPECT_EQ(checkFile.status, checkFolder.status);
    EXPECT_EQ(checkFile.out, checkFolder.out);
}

// The Windows programs take "C:\scenes\walk\hod.pro" as a Linux one takes
// "/scenes/walk/Hod.pro": both forms are split here on any host.
TEST(CommandLine, PathsSplitInBothForms) {
    struct Case {
        const char* path;
        PathStyle style;
        const char *parent, *name;
        bool absolute;
    } cases[] = {
        {"Hod.pro", PATH_POSIX, ".", "Hod.pro", false},
        {"/Hod.pro", PATH_POSIX, "/", "Hod.pro", true},
        {"a/b/Hod.pro", PATH_POSIX, "a/b", "Hod.pro", false},
        {"a\\Hod.pro", PATH_POSIX, ".", "a\\Hod.pro", false},
        {"C:/x", PATH_POSIX, "C:", "x", false},
        {"a\\b\\Hod.pro", PATH_WINDOWS, "a\\b", "Hod.pro", false},
        {"a/b\\Hod.pro", PATH_WINDOWS, "a/b", "Hod.pro", false},
        {"C:\\Hod.pro", PATH_WINDOWS, "C:\\", "Hod.pro", true},
        {"C:\\scenes\\walk\\Hod.pro", PATH_WINDOWS, "C:\\scenes\\walk", "Hod.pro", true},
        {"z:/tmp/trace", PATH_WINDOWS, "z:/tmp", "trace", true},
        {"C:Hod.pro", PATH_WINDOWS, "C:.", "Hod.pro", true},
        {"\\Hod.pro", PATH_WINDOWS, "\\", "Hod.pro", true},
        {"1:x", PATH_WINDOWS, ".", "1:x", false},
    };
    for (const Case& c : cases) {
        std::string parent, name;
        SplitPath(c.path, &parent, &name, c.style);
        EXPECT_EQ(parent, c.parent) << c.path;
        EXPECT_EQ(name, c.name) << c.path;
        EXPECT_EQ(IsAbsolutePath(c.path, c.style), c.absolute) << c.path;
    }
    // A folder with its trailing separators, as a shell's completion leaves it.
    EXPECT_EQ(FolderForm("scenes\\walk\\", PATH_WINDOWS), "scenes\\walk");
    EXPECT_EQ(FolderForm("Z:/scenes/walk//", PATH_WINDOWS), "Z:/scenes/walk");
    EXPECT_EQ(FolderForm("C:\\", PATH_WINDOWS), "C:\\");
    EXPECT_EQ(FolderForm("\\", PATH_WINDOWS), "\\");
    EXPECT_EQ(FolderForm("C:", PATH_WINDOWS), "C:");
    EXPECT_EQ(FolderForm("scenes/walk/", PATH_POSIX), "scenes/walk/");
    EXPECT_TRUE(SameFileName("hod.PRO", "Hod.pro", PATH_WINDOWS));
    EXPECT_FALSE(SameFileName("hod.pro", "Hod.pro", PATH_POSIX));
    EXPECT_FALSE(SameFileName("Hod.pr", "Hod.pro", PATH_WINDOWS));
}

}  // namespace
