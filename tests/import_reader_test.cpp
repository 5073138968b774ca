// import_reader_test.cpp -- the model's read apart from the importer. A
// reader that crashes, hangs, runs out of memory, or tries to write a file,
// connect, run a program or signal the importer is stopped and reported on
// one line; whatever records it sends are checked before use; and a model
// comes through the records exactly as Assimp gave it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <thread>

#include "tests/import_support.h"
#include "tools/import/import_run.h"
#include "tools/import/reader_process.h"

#if defined(__SANITIZE_ADDRESS__)
constexpr bool SANITIZED = true;  // the sanitizers take crash signals themselves, and set no memory cap
#else
constexpr bool SANITIZED = false;
#endif

namespace {

// A source that hands out a model made here.
class FixedSource : public ModelSource {
  public:
    FixedSource(RawModel model, std::vector<RawTexture> textures)
        : model_(std::move(model)), textures_(std::move(textures)) {}
    bool Model(RawModel* model, std::string*) override { return *model = model_, true; }
    bool Texture(size_t k, RawTexture* texture, std::string*) override { return *texture = textures_.at(k), true; }
    bool Finish(std::string*) override { return true; }

  private:
    RawModel model_;
    std::vector<RawTexture> textures_;
};

// A textured quad and a vertex-coloured triangle, the triangle placed
// twice, with a camera and an ambient light: every part the records carry.
RawModel SmallModel() {
    RawModel m;
    m.polygonsRead = 3;
    m.trianglesRead = 4;
    m.pointsAndLines = 1;
    m.meshCount = 2;
    m.scale = 10;
    m.up = 'z';
    m.unitSource = UNIT_FROM_FILE;
    m.hasBackground = true;
    m.background[0] = 0.25;
    m.background[1] = 0.5;
    m.background[2] = 1;
    m.cameras.push_back({{1, -17, 3}, 45});
    m.materials.resize(2);
    m.materials[0].texture = 0;
    m.materials[1].colour[0] = 0.9f;
    m.textures = {"brick.png"};
    RawMesh quad;
    quad.positions = {0, 0, 0, 4, 0, 0, 4, 3, 0, 0, 3, 0};
    quad.texCoords = {0, 0, 1, 0, 1, 1, 0, 1};
    quad.corners = {0, 1, 2, 0, 2, 3};
    quad.shading = {FACE_FLAT, FACE_SMOOTH};
    RawMesh tri;
    tri.material = 1;
    tri.positions = {0, 0, 1, 1, 0, 1, 0, 1, 1.5f};
    tri.colours = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    tri.corners = {0, 1, 2};
    tri.shading = {FACE_NO_NORMALS};
    m.meshes = {quad, tri};
    RawInstance a, b;
    for (int k = 0; k < 4; k++) a.world[k * 5] = b.world[k * 5] = 1;
    b.mesh = a.mesh = 1;
    b.world[3] = 20;  // moved 20 along x
    RawInstance q = a;
    q.mesh = 0;
    m.instances = {q, a, b};
    return m;
}

RawTexture SmallTexture() {
    RawTexture t;
    t.picture.width = 2;
    t.picture.height = 1;
    t.picture.rgb = {1, 2, 3, 4, 5, 6};
    t.originalWidth = 4;
    t.originalHeight = 2;
    return t;
}

MemoryRecords RecordsOf(const RawModel& model, const std::vector<RawTexture>& textures) {
    FixedSource source(model, textures);
    MemoryRecords records;
    EXPECT_TRUE(SendModel(source, "m.obj", records));
    return records;
}

// The records taken as the importer takes them: "" when all pass, else its
// error; the model and textures read.
std::string Take(RecordReader& records, RawModel* model = nullptr, std::vector<RawTexture>* textures = nullptr) {
    std::unique_ptr<ModelSource> source = MakeWireSource(records, "m.obj", nullptr);
    RawModel got;
    std::string error;
    if (!source->Model(&got, &error)) return error;
    for (size_t k = 0; k < got.textures.size(); k++) {
        RawTexture texture;
        if (!source->Texture(k, &texture, &error)) return error;
        if (textures) textures->push_back(texture);
    }
    if (!source->Finish(&error)) return error;
    if (model) *model = got;
    return "";
}

std::string Take(const RawModel& model, const std::vector<RawTexture>& textures) {
    MemoryRecords records = RecordsOf(model, textures);
    return Take(records);
}

bool SameTriangles(const std::vector<Triangle>& a, const std::vector<Triangle>& b) {
    if (a.size() != b.size()) return false;
    for (size_t k = 0; k < a.size(); k++)
        for (int c = 0; c < 3; c++)
            if (a[k].p[c].x != b[k].p[c].x || a[k].p[c].y != b[k].p[c].y || a[k].p[c].z != b[k].p[c].z ||
                a[k].s[c] != b[k].s[c] || a[k].t[c] != b[k].t[c] || a[k].colour[c] != b[k].colour[c] ||
                a[k].texture != b[k].texture || a[k].mesh != b[k].mesh)
                return false;
    return true;
}

}  // namespace

TEST(ImportRecords, AModelComesThroughExactlyAndConvertsAsInProcess) {
    RawModel sent = SmallModel(), got;
    std::vector<RawTexture> textures;
    MemoryRecords records = RecordsOf(sent, {SmallTexture()});
    ASSERT_EQ(Take(records, &got, &textures), "");
    ASSERT_EQ(textures.size(), 1u);
    EXPECT_EQ(textures[0].picture.rgb, SmallTexture().picture.rgb);
    EXPECT_EQ(textures[0].originalWidth, 4);

    ModelData direct, through;
    ImportLog log;
    std::string error;
    ASSERT_TRUE(ConvertModel(sent, "m.obj", &direct, &log, &error)) << error;
    ASSERT_TRUE(ConvertModel(got, "m.obj", &through, &log, &error)) << error;
    ASSERT_EQ(direct.triangles.size(), 4u);
    EXPECT_TRUE(SameTriangles(direct.triangles, through.triangles));
    EXPECT_EQ(through.polygonsRead, 3);
    EXPECT_EQ(through.pointsAndLines, 1);
    EXPECT_EQ(through.unitSource, "the file's unit");
    EXPECT_EQ(through.up, 'z');
    ASSERT_EQ(through.cameras.size(), 1u);
    EXPECT_EQ(through.cameras[0].heading, 45);
    EXPECT_TRUE(through.hasBackground);
    EXPECT_EQ(through.background[2], 1);
    // The second use of the triangle is 20 model units along x, z up: the
    // scene's x, 10 units to the model's one.
    EXPECT_EQ(through.triangles[3].p[0].x - through.triangles[2].p[0].x, 200);
    EXPECT_EQ(through.triangles[0].texture, 0);
    EXPECT_EQ(through.triangles[2].texture, -1);
    EXPECT_NEAR(through.triangles[2].colour[0], 1.0 / 3, 1e-7) << "the corners' colours averaged";
}

TEST(ImportRecords, DamagedRecordsAreRefusedBeforeUse) {
    struct Damage {
        const char* what;
        std::function<void(RawModel&, RawTexture&)> apply;
    };
    const Damage DAMAGES[] = {
        {"corner past the vertices", [](RawModel& m, RawTexture&) { m.meshes[0].corners[4] = 4; }},
        {"corner far past", [](RawModel& m, RawTexture&) { m.meshes[1].corners[0] = 0xffffffffu; }},
        {"mesh without material", [](RawModel& m, RawTexture&) { m.meshes[1].material = 2; }},
        {"material naming no texture", [](RawModel& m, RawTexture&) { m.materials[1].texture = 1; }},
        {"material below -1", [](RawModel& m, RawTexture&) { m.materials[1].texture = -2; }},
        {"node using no mesh", [](RawModel& m, RawTexture&) { m.instances[1].mesh = 2; }},
        {"unknown shading", [](RawModel& m, RawTexture&) { m.meshes[0].shading[1] = 3; }},
        {"shading short", [](RawModel& m, RawTexture&) { m.meshes[0].shading.pop_back(); }},
        {"texture coordinates short", [](RawModel& m, RawTexture&) { m.meshes[0].texCoords.pop_back(); }},
        {"NaN background", [](RawModel& m, RawTexture&) { m.background[1] = NAN; }},
        {"background past 1", [](RawModel& m, RawTexture&) { m.background[1] = 2; }},
        {"camera at infinity", [](RawModel& m, RawTexture&) { m.cameras[0].position.y = INFINITY; }},
        {"camera heading NaN", [](RawModel& m, RawTexture&) { m.cameras[0].heading = NAN; }},
        {"zero scale", [](RawModel& m, RawTexture&) { m.scale = 0; }},
        {"NaN scale", [](RawModel& m, RawTexture&) { m.scale = NAN; }},
        {"x up", [](RawModel& m, RawTexture&) { m.up = 'x'; }},
        {"unknown unit", [](RawModel& m, RawTexture&) { m.unitSource = UNIT_SOURCE_COUNT; }},
        {"negative count", [](RawModel& m, RawTexture&) { m.trianglesRead = -1; }},
        {"texture past the GL's side", [](RawModel&, RawTexture& t) {
             t.picture.width = t.originalWidth = MAX_TEXTURE_SIDE + 1;
             t.picture.rgb.resize((size_t)t.picture.width * 3);
         }},
        {"pixels short", [](RawModel&, RawTexture& t) { t.picture.rgb.pop_back(); }},
        {"grown past its original", [](RawModel&, RawTexture& t) { t.originalWidth = 1; }},
        {"empty picture", [](RawModel&, RawTexture& t) { t.picture = DecodedTexture(); }},
    };
    for (const Damage& d : DAMAGES) {
        SCOPED_TRACE(d.what);
        RawModel model = SmallModel();
        RawTexture texture = SmallTexture();
        d.apply(model, texture);
        std::string error = Take(model, {texture});
        EXPECT_EQ(error.rfind("m.obj: the model reader sent damaged data (", 0), 0u) << error;
    }
    // A picture that could not be had travels as its reason.
    RawTexture missing;
    missing.problem = "file not found";
    EXPECT_EQ(Take(SmallModel(), {missing}), "");
}

TEST(ImportRecords, CutOrOutOfOrderRecordsFailWithoutClaimingMemory) {
    MemoryRecords whole = RecordsOf(SmallModel(), {SmallTexture()});
    ASSERT_EQ(Take(whole), "");
    for (size_t cut = 0; cut < whole.bytes.size(); cut++) {
        MemoryRecords part;
        part.bytes = whole.bytes.substr(0, cut);
        ASSERT_NE(Take(part), "") << "cut at " << cut;
    }
    // Each record after the first moved to the front.
    std::vector<std::string> records;
    for (size_t at = 0; at < whole.bytes.size();) {
        uint32_t kind;
        uint64_t length;
        ASSERT_TRUE(ParseWireHeader(whole.bytes.data() + at, &kind, &length));
        records.push_back(whole.bytes.substr(at, WIRE_HEADER_BYTES + length));
        at += WIRE_HEADER_BYTES + length;
    }
    for (size_t k = 1; k < records.size(); k++) {
        MemoryRecords moved;
        moved.bytes = records[k];
        for (size_t j = 0; j < records.size(); j++)
            if (j != k) moved.bytes += records[j];
        EXPECT_NE(Take(moved).find("damaged data (a record out of order)"), std::string::npos) << k;
    }
    // Counts that claim more than the record holds: refused on the count,
    // not after allocating for it.
    MemoryRecords claim;
    for (std::string record : records) {
        uint32_t kind;
        uint64_t length;
        ParseWireHeader(record.data(), &kind, &length);
        uint32_t vertices = 0x7fffffff;  // 24 GB of positions
        if (kind == (uint32_t)WireKind::MESH) std::memcpy(&record[WIRE_HEADER_BYTES + 4], &vertices, 4);
        claim.bytes += record;
    }
    struct rusage before, after;
    getrusage(RUSAGE_SELF, &before);
    EXPECT_NE(Take(claim).find("a mesh record of the wrong length"), std::string::npos);
    getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 100 * 1024) << "kilobytes";
}

TEST(ImportRecords, TextFromTheModelPrintsOnOneSafeLine) {
    EXPECT_EQ(PrintableText("plain words"), "plain words");
    EXPECT_EQ(PrintableText("two\nlines\r"), "two?lines?");
    EXPECT_EQ(PrintableText("\x1b]0;owned\x07\x1b[2J"), "?]0;owned??[2J");
    EXPECT_EQ(PrintableText("caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8f\xa0"), "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8f\xa0");
    EXPECT_EQ(PrintableText("\xc2\x9b" "31m"), "??31m") << "a C1 control in UTF-8";
    EXPECT_EQ(PrintableText("\xc0\xaf \xed\xa0\x80 \xff"), "?? ??? ?") << "overlong, surrogate, stray";
    EXPECT_EQ(PrintableText(std::string(1000, 'a'), 300).size(), 300u);
    EXPECT_EQ(PrintableText("ab\xe2\x82\xac", 4), "ab?") << "a character is not cut in half";
}

namespace {

struct ReaderEnd {
    bool read = false;
    std::string error;
};

// Runs work in a reading process, as the importer runs Assimp, and takes
// what it sends.
ReaderEnd RunReader(const ReaderWork& work, double seconds = 30) {
    ImportOptions options;
    options.model = "hostile.obj";
    options.timeLimit = seconds;
    ReaderEnd end;
    std::unique_ptr<ModelSource> source = StartReaderProcess(options, nullptr, &end.error, work);
    if (!source) return end;
    RawModel model;
    end.read = source->Model(&model, &end.error);
    for (size_t k = 0; end.read && k < model.textures.size(); k++) {
        RawTexture texture;
        end.read = source->Texture(k, &texture, &end.error);
    }
    end.read = end.read && source->Finish(&end.error);
    return end;
}

// Work that reports a finding as a failure's message.
bool Report(RecordWriter& out, const std::string& finding) {
    return out.Send(WireKind::FAILED, FailurePayload(ReadFailure::UNREADABLE, finding));
}

}  // namespace

TEST(ImportReader, AReaderThatSendsTheModelIsRead) {
    ReaderEnd end = RunReader([](RecordWriter& out) {
        FixedSource source(SmallModel(), {SmallTexture()});
        return SendModel(source, "hostile.obj", out);
    });
    EXPECT_TRUE(end.read) << end.error;
}

TEST(ImportReader, TheSceneIsTheSameWhicheverProcessReadTheModel) {
    const std::string MODELS = "/usr/share/assimp/models/";
    if (!FileExists(MODELS + "OBJ/spider.obj")) GTEST_SKIP() << "assimp-testmodels is not installed";
    TempDir temp("import-reader-same");
    const char* const CASES[] = {
        "OBJ/spider.obj",                                       // pictures in files
        "glTF2/BoxTextured-glTF-Binary/BoxTextured.glb",        // a picture inside
        "glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb",  // meshes used many times
        "Collada/duck.dae",                                     // a camera
        "PLY/Wuson.ply",
    };
    for (const char* model : CASES) {
        SCOPED_TRACE(model);
        std::string scene[2];
        for (int k = 0; k < 2; k++) {
            ImportOptions options;
            options.model = MODELS + model;
            options.outDir = temp.File(std::to_string(k));
            options.force = true;
            ImportResult result;
            ASSERT_EQ(ImportModel(options, k == 0 ? ReadPlace::READER_PROCESS : ReadPlace::IN_PROCESS,
                                  [](const char*, double) {}, &result),
                      EXIT_WRITTEN)
                << result.error;
            for (const std::string& name : FolderNames(options.outDir))
                scene[k] += name + "\n" + ReadWholeFile(options.outDir + "/" + name);
        }
        EXPECT_GT(scene[0].size(), 1000u);
        EXPECT_TRUE(scene[0] == scene[1]) << "every file of the scene folder, byte for byte";
    }
}

TEST(ImportReader, EveryWayAReaderEndsBadlyIsOneLineAndNoHarm) {
    pid_t importer = getpid();
    struct Case {
        const char* what;
        ReaderWork work;
        const char* said;
        bool sanitizerTakesIt;  // the sanitizers catch the signal and report it themselves
    };
    const Case CASES[] = {
        {"segmentation fault", [](RecordWriter&) {
             *reinterpret_cast<volatile int*>(std::strtoul("16", nullptr, 10)) = 1;
             return true;
         },
         "hostile.obj: the model reader crashed (segmentation fault); the file is damaged or not a model it can read",
         true},
        {"abort", [](RecordWriter&) -> bool { abort(); }, "the model reader crashed (abort)", true},
        {"exception", [](RecordWriter&) -> bool { throw std::runtime_error("the file lied"); },
         "hostile.obj: the model reader failed: the file lied", false},
        {"memory", [](RecordWriter&) {
             // Claimed, not touched: the limit is on address space.
             std::vector<std::unique_ptr<char[]>> hoard;
             for (;;) {
                 hoard.emplace_back(new char[(size_t)64 << 20]);
                 hoard.back()[0] = 'x';
             }
             return true;
         },
         "the model reader ran out of memory (its limit is 1 GiB)", true},
        {"a socket", [](RecordWriter&) { return socket(AF_INET, SOCK_STREAM, 0), true; },
         "hostile.obj: the model reader tried what it may not (a system call its filter refuses) and was stopped",
         false},
        {"a program", [](RecordWriter&) { return execl("/bin/true", "true", (char*)nullptr), true; },
         "tried what it may not", false},
        {"a process", [](RecordWriter&) { return fork(), true; }, "tried what it may not", false},
        {"signal the importer", [importer](RecordWriter&) { return kill(importer, SIGTERM), true; },
         "tried what it may not", false},
        {"garbage", [](RecordWriter& out) { return out.Send(WireKind::MODEL, Payload(std::string("not a model"))); },
         "hostile.obj: the model reader sent damaged data (", false},
        {"silence", [](RecordWriter&) { return true; }, "hostile.obj: the records end early", false},
    };
    for (const Case& c : CASES) {
        SCOPED_TRACE(c.what);
        if (SANITIZED && c.sanitizerTakesIt) continue;
        ReaderEnd end = RunReader(c.work);
        EXPECT_FALSE(end.read);
        EXPECT_NE(end.error.find(c.said), std::string::npos) << end.error;
        EXPECT_EQ(end.error.find('\n'), std::string::npos) << end.error;
    }
}

TEST(ImportReader, AHungReaderIsStoppedAtTheTimeLimitEvenWithItsPipeClosed) {
    for (bool closePipe : {false, true}) {
        SCOPED_TRACE(closePipe);
        ReaderEnd end = RunReader(
            [closePipe](RecordWriter&) {
                if (closePipe) close(3);
                volatile bool forever = true;
                while (forever) {
                }
                return true;
            },
            0.5);
        EXPECT_NE(end.error.find("hostile.obj: the model reader took longer than 0.5 s and was stopped (--time-limit)"),
                  std::string::npos)
            << end.error;
    }
}

TEST(ImportReader, TheReaderCanReadButNeitherWriteNorKeepTheImportersFiles) {
    TempDir temp("import-reader-files");
    std::string kept = temp.File("kept.txt"), made = temp.File("made.txt");
    SaveTextFile(kept, "the importer's own file");
    int opened = open(kept.c_str(), O_RDONLY);
    int inherited = fcntl(opened, F_DUPFD, 10);  // no FD_CLOEXEC: a fork would keep it
    close(opened);
    ASSERT_GE(inherited, 10);
    ReaderEnd end = RunReader([&](RecordWriter& out) {
        std::string finding;
        for (int fd = 4; fd < 1024; fd++)
            if (fcntl(fd, F_GETFD) != -1) finding += "open descriptor " + std::to_string(fd) + "; ";
        int readable = open(kept.c_str(), O_RDONLY);
        if (readable < 0) finding += "cannot read; ";
        char byte;
        if (write(readable, &byte, 1) >= 0) finding += "wrote to a file open for reading; ";
        for (int flags : {O_WRONLY | O_CREAT, O_RDWR, O_RDONLY | O_CREAT, O_RDONLY | O_TRUNC, O_WRONLY | O_APPEND})
            if (open(made.c_str(), flags, 0644) >= 0 || open(kept.c_str(), flags, 0644) >= 0)
                finding += "opened for writing with flags " + std::to_string(flags) + "; ";
        if (mmap(nullptr, 4096, PROT_READ | PROT_WRITE | PROT_EXEC, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) != MAP_FAILED)
            finding += "executable memory; ";
        struct stat out1, null;
        if (fstat(1, &out1) != 0 || stat("/dev/null", &null) != 0 || out1.st_rdev != null.st_rdev)
            finding += "standard output is not /dev/null; ";
        return Report(out, finding.empty() ? "all as it should be" : finding);
    });
    close(inherited);
    EXPECT_EQ(end.error, "hostile.obj: all as it should be");
    EXPECT_FALSE(FileExists(made));
    EXPECT_EQ(ReadWholeFile(kept), "the importer's own file");
}

namespace {

// The processes whose parent is pid.
std::vector<pid_t> ChildrenOf(pid_t pid) {
    std::vector<pid_t> children;
    for (const std::string& name : FolderNames("/proc")) {
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::string stat = ReadWholeFile("/proc/" + name + "/stat");
        size_t close = stat.rfind(')');
        int parent = 0;
        if (close != std::string::npos && std::sscanf(stat.c_str() + close + 1, " %*c %d", &parent) == 1 &&
            parent == pid)
            children.push_back(std::atoi(name.c_str()));
    }
    return children;
}

}  // namespace

TEST(ImportReader, TheReaderDiesWithTheImporter) {
    // Orphans come to this process, so the reader can be waited for here.
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    pid_t importer = fork();
    if (importer == 0) {
        ImportOptions options;
        options.model = "hostile.obj";
        std::string error;
        auto source = StartReaderProcess(options, nullptr, &error, [](RecordWriter&) {
            volatile bool forever = true;  // no sleeping call: the filter allows none
            while (forever) {
            }
            return true;
        });
        RawModel model;
        if (source) source->Model(&model, &error);
        _exit(0);
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::vector<pid_t> readers;
    while ((readers = ChildrenOf(importer)).empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(readers.size(), 1u);
    kill(importer, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(importer, &status, 0), importer);
    // The reader, killed by the kernel as its parent died, is reaped here.
    ASSERT_EQ(waitpid(readers[0], &status, 0), readers[0]);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    prctl(PR_SET_CHILD_SUBREAPER, 0);
}

TEST(ImportReader, AModelThatNeverArrivesIsStoppedAndAQuitRemovesTheFolderUnderWay) {
    TempDir temp("import-reader-fifo");
    // A named pipe with no writer: opening it blocks the reader for good.
    std::string model = temp.File("endless.obj");
    ASSERT_EQ(mkfifo(model.c_str(), 0600), 0);
    std::string report;
    EXPECT_EQ(RunImport("--time-limit 0.5 " + model + " " + temp.File("out"), &report), 2);
    EXPECT_EQ(report, "ambler-import: " + model +
                          ": the model reader took longer than 0.5 s and was stopped (--time-limit); the file is "
                          "damaged or too large to read in time\n");
    EXPECT_EQ(FolderNames(temp.path), std::vector<std::string>{"endless.obj"});

    // A quit while it waits: the reader goes, and so does the folder.
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    pid_t importer = fork();
    if (importer == 0) {
        int null = open("/dev/null", O_RDWR);
        dup2(null, 1);
        dup2(null, 2);
        execl((std::string(AMBLER_BIN_DIR) + "/ambler-import").c_str(), "ambler-import", model.c_str(),
              temp.File("out").c_str(), (char*)nullptr);
        _exit(127);
    }
    // Waits for the folder under way, the sign that the read has begun.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (FolderNames(temp.path).size() < 2 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(FolderNames(temp.path).size(), 2u);
    kill(importer, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(importer, &status, 0), importer);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGTERM) << status;
    EXPECT_EQ(FolderNames(temp.path), std::vector<std::string>{"endless.obj"});
    // No reader is left: every orphan came here and has ended.
    while (waitpid(-1, &status, 0) > 0) {
    }
    EXPECT_EQ(errno, ECHILD);
    prctl(PR_SET_CHILD_SUBREAPER, 0);
}
