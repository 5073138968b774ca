// open_window_test.cpp -- opening by name and by drop in a real window:
// `ambler MODEL` imports the model once into the cache and shows it, a
// second open uses the cache, a changed model is imported again (also
// while it runs, with --watch), a broken model fails as the importer does,
// and the cache keeps its bound; a folder or model dropped onto the window
// opens, and a broken drop keeps the running scene.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "app/model_open.h"
#include "tests/import_support.h"
#include "tests/support/desktop.h"
#include "tests/support/image_compare.h"
#include "tests/support/xwd_image.h"
#include "tests/walk_scene.h"
#include "scene/scene.h"

namespace {

namespace fs = std::filesystem;

// Starts ambler from the root folder with the cache in cache, stdin from
// /dev/null and stderr into errPath; drop, when given, is dropped onto the
// window once it is open.
int StartAmbler(const std::vector<std::string>& args, const std::string& cache, const std::string& errPath,
                const std::string& drop = "") {
    std::vector<std::pair<std::string, std::string>> env{{"XDG_CACHE_HOME", cache}};
    if (!drop.empty()) env.push_back({"AMBLER_TEST_DROP", drop});
    return StartProgramLogged(std::string(AMBLER_BIN_DIR) + "/ambler", args, errPath, env);
}

// The one scene folder in the cache, "" when there is none or more.
std::string CachedScene(const std::string& cache) {
    std::vector<std::string> folders;
    for (const auto& entry : fs::directory_iterator(cache + "/ambler"))
        if (entry.is_directory()) folders.push_back(entry.path().string());
    return folders.size() == 1 ? folders[0] : "";
}

// Which file Hod.pro is now: a new import writes a new one.
std::string Identity(const std::string& file) {
    struct stat info;
    if (stat(file.c_str(), &info) != 0) return "none";
    return std::to_string(info.st_ino) + "/" + std::to_string(info.st_mtim.tv_nsec) + "/" +
           std::to_string(info.st_mtim.tv_sec);
}

RgbImage WindowPicture(const std::string& window) {
    RgbImage screen;
    std::string error;
    EXPECT_TRUE(CaptureScreen(&screen, &error)) << error;
    WindowGeometry g = GetGeometry(window);
    return CropImage(screen, g.x, g.y, g.width, g.height);
}

// Distinct colours in the window: the room's walls and ground, not one sky.
long WindowColours(const std::string& window) {
    RgbImage picture = WindowPicture(window);
    std::set<long> colours;
    for (size_t k = 0; k + 2 < picture.rgb.size(); k += 3)
        colours.insert(picture.rgb[k] << 16 | picture.rgb[k + 1] << 8 | picture.rgb[k + 2]);
    return (long)colours.size();
}

// Waits until the window shows more than the clear colour and one other
// (the room's ground and a wall); the colours then.
long WaitForModel(const std::string& window) {
    long colours = 0;
    for (int waited = 0; waited < 10000 && (colours = WindowColours(window)) <= 2; waited += 200) PauseMs(200);
    return colours;
}

// Waits until the log holds text; the log then.
std::string WaitForLog(const std::string& err, const std::string& text) {
    std::string log;
    for (int waited = 0; waited < 60000; waited += 100) {
        log = ReadWholeFile(err);
        if (log.find(text) != std::string::npos) break;
        PauseMs(100);
    }
    return log;
}

// Opens the model, checks that it is on screen and closes it again.
void OpenAndClose(const std::string& model, const std::string& cache, const std::string& err) {
    MovePointer(5, 5);
    int pid = StartAmbler({model}, cache, err);
    std::string window = WaitForWindow(pid, 60000);  // the import comes first
    ASSERT_FALSE(window.empty()) << "no window appeared: " << ReadWholeFile(err);
    EXPECT_GT(WaitForModel(window), 2) << "the model is drawn";
    SendKey(window, "Escape");
    EXPECT_EQ(WaitForExit(pid, 5000), 0) << ReadWholeFile(err);
}

}  // namespace

TEST(ModelOpenWindow, ImportedOnceShownAndImportedAgainWhenChanged) {
    TempDir dir("model-open");
    std::string model = dir.File("room.obj"), cache = dir.File("cache"), err = dir.File("stderr");
    ASSERT_TRUE(SaveTextFile(model, RoomObj()));
    OpenAndClose(model, cache, err);
    std::string scene = CachedScene(cache);
    ASSERT_NE(scene, "") << "one scene folder in $XDG_CACHE_HOME/ambler";
    std::string first = Identity(scene + "/Hod.pro");

    OpenAndClose(model, cache, err);
    EXPECT_EQ(Identity(scene + "/Hod.pro"), first) << "an unchanged model is not imported again";

    ASSERT_TRUE(SaveTextFile(model, RoomObj() + "# saved again\n"));
    OpenAndClose(model, cache, err);
    EXPECT_EQ(CachedScene(cache), scene) << "the same model keeps its one folder";
    EXPECT_NE(Identity(scene + "/Hod.pro"), first) << "a changed model is imported again";
}

TEST(ModelOpenWindow, WatchImportsTheModelAgainWhenItIsSaved) {
    TempDir dir("model-watch");
    std::string model = dir.File("room.obj"), cache = dir.File("cache"), err = dir.File("stderr");
    ASSERT_TRUE(SaveTextFile(model, RoomObj()));
    int pid = StartAmbler({"--watch", model}, cache, err);
    std::string window = WaitForWindow(pid, 60000);
    ASSERT_FALSE(window.empty()) << ReadWholeFile(err);
    std::string scene = CachedScene(cache), first = Identity(scene + "/Hod.pro");
    ASSERT_TRUE(SaveTextFile(model, RoomObj() + "# moved a wall\n"));
    std::string log = WaitForLog(err, "reloaded");
    EXPECT_NE(log.find("imported " + model + " again"), std::string::npos) << log;
    EXPECT_NE(log.find("reloaded"), std::string::npos) << log;
    EXPECT_NE(Identity(scene + "/Hod.pro"), first);
    EXPECT_GT(WaitForModel(window), 2) << "the new scene runs";
    SendKey(window, "Escape");
    EXPECT_EQ(WaitForExit(pid, 5000), 0) << ReadWholeFile(err);
}

TEST(ModelOpenWindow, ABrokenModelFailsAsTheImporterDoesWithoutAWindow) {
    TempDir dir("model-broken");
    std::string model = dir.File("broken.gltf"), cache = dir.File("cache"), err = dir.File("stderr");
    ASSERT_TRUE(SaveTextFile(model, "{ \"asset\": { \"version\": \"2.0\" }, \"meshes\": [ {"));
    int pid = StartAmbler({model}, cache, err);
    EXPECT_EQ(WaitForExit(pid, 60000), 2);
    std::string log = ReadWholeFile(err);
    EXPECT_NE(log.find("ambler-import: " + model + ":"), std::string::npos) << log;
    EXPECT_EQ(CachedScene(cache), "") << "no scene is left in the cache";
}

TEST(ModelCache, TheLeastRecentlyOpenedScenesGoPastTheBound) {
    TempDir dir("model-cache");
    std::string cache = dir.File("ambler");
    const char* names[] = {"old", "middle", "kept", "new"};
    for (int k = 0; k < 4; k++) {
        std::string folder = cache + "/" + names[k];
        fs::create_directories(folder);
        ASSERT_TRUE(SaveTextFile(folder + "/Hod.pro", std::string(1000, 'x')));
        ASSERT_TRUE(SaveTextFile(folder + ".key", "key"));
        // Opened in the order of the names, "kept" the longest ago.
        int age = k == 2 ? 100 : 10 - k;
        fs::last_write_time(folder + ".key", fs::file_time_type::clock::now() - std::chrono::hours(age));
    }
    TrimModelCache(cache, 2500, cache + "/kept");
    EXPECT_TRUE(fs::exists(cache + "/kept/Hod.pro")) << "the scene being opened stays";
    EXPECT_TRUE(fs::exists(cache + "/new/Hod.pro"));
    EXPECT_FALSE(fs::exists(cache + "/old")) << "the oldest goes first";
    EXPECT_FALSE(fs::exists(cache + "/old.key"));
    EXPECT_FALSE(fs::exists(cache + "/middle"));
    TrimModelCache(cache, 1u << 30, "");
    EXPECT_TRUE(fs::exists(cache + "/new/Hod.pro")) << "nothing goes below the bound";
}

namespace {

// A walk scene of nothing but its clear colour.
std::string ClearScene(double r, double g, double b) {
    SceneDescription scene;
    CopyDefaultSettings(scene);
    for (const auto& [name, value] : WalkSceneBase()) SetSettingByName(scene, name, value);
    scene.clear[0] = r;
    scene.clear[1] = g;
    scene.clear[2] = b;
    return FormatScene(scene);
}

double Mean(const RgbImage& image, int channel) { return MeanChannel(image, channel, 0, 0, image.width, image.height); }

}  // namespace

TEST(DropWindow, AFolderAndAModelDroppedOpenFromTheirStart) {
    TempDir dir("drop-open");
    std::string err = dir.File("stderr"), cache = dir.File("cache");
    fs::create_directories(dir.File("red"));
    fs::create_directories(dir.File("blue"));
    ASSERT_TRUE(SaveTextFile(dir.File("red/Hod.pro"), ClearScene(1, 0, 0)));
    ASSERT_TRUE(SaveTextFile(dir.File("blue/Hod.pro"), ClearScene(0, 0, 1)));
    ASSERT_TRUE(SaveTextFile(dir.File("room.obj"), RoomObj()));
    // A folder: the window turns blue.
    MovePointer(5, 5);
    int pid = StartAmbler({dir.File("red")}, cache, err, dir.File("blue"));
    std::string window = WaitForWindow(pid, 5000);
    ASSERT_FALSE(window.empty());
    std::string log = WaitForLog(err, "reloaded");
    PauseMs(300);
    RgbImage blue = WindowPicture(window);
    EXPECT_GT(Mean(blue, 2), 200) << log;
    EXPECT_LT(Mean(blue, 0), 50);
    SendKey(window, "Escape");
    EXPECT_EQ(WaitForExit(pid, 5000), 0) << ReadWholeFile(err);

    // A model: imported into the cache, then walked.
    pid = StartAmbler({dir.File("red")}, cache, err, dir.File("room.obj"));
    window = WaitForWindow(pid, 5000);
    ASSERT_FALSE(window.empty());
    log = WaitForLog(err, "reloaded");
    EXPECT_GT(WaitForModel(window), 2) << log;
    EXPECT_NE(CachedScene(cache), "");
    SendKey(window, "Escape");
    EXPECT_EQ(WaitForExit(pid, 5000), 0) << ReadWholeFile(err);
}

TEST(DropWindow, ABrokenDropKeepsTheRunningSceneAndSaysWhy) {
    TempDir dir("drop-broken");
    std::string err = dir.File("stderr"), cache = dir.File("cache");
    fs::create_directories(dir.File("red"));
    fs::create_directories(dir.File("broken"));
    ASSERT_TRUE(SaveTextFile(dir.File("red/Hod.pro"), ClearScene(1, 0, 0)));
    ASSERT_TRUE(SaveTextFile(dir.File("broken/Hod.pro"), "0\n0\nzero\n"));
    MovePointer(5, 5);
    int pid = StartAmbler({"--watch", dir.File("red")}, cache, err, dir.File("broken"));
    std::string window = WaitForWindow(pid, 5000);
    ASSERT_FALSE(window.empty());
    std::string log = WaitForLog(err, ": error");
    EXPECT_NE(log.find("broken/Hod.pro:3:1: error"), std::string::npos) << log;
    PauseMs(500);
    RgbImage kept = WindowPicture(window);
    EXPECT_GT(MeanChannel(kept, 0, 0, 0, kept.width, kept.height / 2), 200) << "the red scene runs on";
    // Still in the red scene's folder: a save there reloads it.
    ASSERT_TRUE(SaveTextFile(dir.File("red/Hod.pro"), ClearScene(0, 1, 0)));
    log = WaitForLog(err, "reloaded");
    PauseMs(300);
    EXPECT_GT(Mean(WindowPicture(window), 1), 200) << log;
    SendKey(window, "Escape");
    EXPECT_EQ(WaitForExit(pid, 5000), 0) << ReadWholeFile(err);

    // A file that is neither a scene nor a model the importer reads.
    ASSERT_TRUE(SaveTextFile(dir.File("notes.txt"), "not a model"));
    pid = StartAmbler({dir.File("red")}, cache, err, dir.File("notes.txt"));
    window = WaitForWindow(pid, 5000);
    ASSERT_FALSE(window.empty());
    log = WaitForLog(err, "old scene kept");
    EXPECT_NE(log.find("notes.txt"), std::string::npos) << log;
    PauseMs(300);
    EXPECT_GT(Mean(WindowPicture(window), 1), 200) << "the green scene runs on";
    SendKey(window, "Escape");
    EXPECT_EQ(WaitForExit(pid, 5000), 0) << ReadWholeFile(err);
}
