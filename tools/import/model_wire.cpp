// model_wire.cpp -- the reading process's records: written from what Assimp
// read, and read back by the importer with every count, index and number
// checked, so that a reader gone wrong can make the import fail but never
// make the importer misbehave.
#include "tools/import/model_wire.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace {

constexpr size_t MAX_NAME_BYTES = 4096;     // a texture reference
constexpr size_t MAX_MESSAGE_BYTES = 4096;  // a failure's message
constexpr uint32_t MAX_MESHES = 1u << 24;   // well past any real file; each costs the importer a little

// ---- writing ----

Payload ModelPayload(const RawModel& m) {
    Payload b;
    b.Put(m.polygonsRead);
    b.Put(m.trianglesRead);
    b.Put(m.pointsAndLines);
    b.Put(m.scale);
    b.Put(m.up);
    b.Put(m.unitSource);
    b.Put((uint8_t)m.hasBackground);
    for (double c : m.background) b.Put(c);
    b.Put((uint32_t)m.cameras.size());
    for (const ModelCamera& c : m.cameras) {
        b.Put(c.position.x);
        b.Put(c.position.y);
        b.Put(c.position.z);
        b.Put(c.heading);
    }
    b.Put((uint32_t)m.materials.size());
    for (const RawMaterial& material : m.materials) {
        for (float c : material.colour) b.Put(c);
        b.Put(material.texture);
    }
    b.Put((uint32_t)m.textures.size());
    for (const std::string& name : m.textures) b.PutString(name, MAX_NAME_BYTES);
    b.Put((uint32_t)m.meshes.size());
    return b;
}

Payload MeshPayload(const RawMesh& mesh) {
    Payload b;
    b.Put(mesh.material);
    b.Put((uint32_t)(mesh.positions.size() / 3));
    b.Put((uint8_t)!mesh.texCoords.empty());
    b.Put((uint8_t)!mesh.colours.empty());
    b.Put((uint32_t)mesh.shading.size());
    b.PutArray(mesh.positions);
    b.PutArray(mesh.texCoords);
    b.PutArray(mesh.colours);
    b.PutArray(mesh.corners);
    b.PutArray(mesh.shading);
    return b;
}

Payload InstancesPayload(const std::vector<RawInstance>& instances) {
    Payload b;
    b.Put((uint32_t)instances.size());
    for (const RawInstance& use : instances) {
        b.Put(use.mesh);
        for (float v : use.world) b.Put(v);
    }
    return b;
}

Payload TexturePayload(uint32_t index, const RawTexture& t) {
    Payload b;
    b.Put(index);
    bool pixels = t.problem.empty();
    b.Put((int32_t)(pixels ? t.picture.width : 0));
    b.Put((int32_t)(pixels ? t.picture.height : 0));
    b.Put((int32_t)t.originalWidth);
    b.Put((int32_t)t.originalHeight);
    b.PutString(t.problem, MAX_MESSAGE_BYTES);
    if (pixels) b.PutArray(t.picture.rgb);
    return b;
}

// ---- reading ----

// Maps the pages of a large array about to be filled in one call: fresh
// memory otherwise faults in a page at a time, each fault a trip through
// the kernel that costs microseconds on a virtual machine, and an array
// the reading process sent is memory a single process would have reused.
void MapAhead(void* at, size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    const uintptr_t PAGE = (uintptr_t)sysconf(_SC_PAGESIZE);
    if (bytes < 64 * PAGE) return;  // a few faults are cheaper than the call
    uintptr_t begin = ((uintptr_t)at + PAGE - 1) & ~(PAGE - 1), end = ((uintptr_t)at + bytes) & ~(PAGE - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);  // a hint only
#else
    (void)at, (void)bytes;
#endif
}

// Reads a record's payload front to back from the reader; a read past the
// record's end, or a count that would need more bytes than are left,
// clears ok and reads zeros. Arrays are read straight into place, a piece
// at a time, so a count the record claims but never sends costs nothing.
class Cursor {
  public:
    Cursor(RecordReader& reader, uint64_t length) : reader_(reader), left_(length) {}
    template <class T>
    T Get() {
        T v{};
        Take(&v, sizeof v);
        return v;
    }
    template <class T>
    void GetArray(std::vector<T>* out, uint64_t count) {
        out->clear();
        if (!ok || count > left_ / sizeof(T)) {
            ok = false;
            return;
        }
        const uint64_t PIECE = ((uint64_t)16 << 20) / sizeof(T);
        out->reserve((size_t)std::min(count, 4 * PIECE));
        MapAhead(out->data(), out->capacity() * sizeof(T));
        while (ok && out->size() < count) {
            size_t at = out->size(), n = (size_t)std::min(PIECE, count - at);
            out->resize(at + n);
            Take(out->data() + at, n * sizeof(T));
        }
    }
    std::string GetString(size_t max) {
        uint32_t n = Get<uint32_t>();
        if (n > max || n > left_) {
            ok = false;
            return "";
        }
        std::string s(n, '\0');
        Take(s.data(), n);
        return s;
    }
    bool Whole() const { return ok && left_ == 0; }
    uint64_t Left() const { return left_; }
    bool ok = true;
    std::string readError;  // the reader's, when a read failed

  private:
    void Take(void* out, uint64_t n) {
        if (!ok || n > left_) {
            ok = false;
            return;
        }
        if (n > 0 && !reader_.Read(out, (size_t)n, &readError)) {
            ok = false;
            return;
        }
        left_ -= n;
    }
    RecordReader& reader_;
    uint64_t left_;
};

bool InUnit(double v) { return v >= 0 && v <= 1; }  // false for NaN

// Everything but the meshes; *meshes is how many MESH records follow.
bool ReadModelPayload(Cursor& c, RawModel* m, uint32_t* meshes, std::string* why) {
    m->polygonsRead = c.Get<int64_t>();
    m->trianglesRead = c.Get<int64_t>();
    m->pointsAndLines = c.Get<int64_t>();
    m->scale = c.Get<double>();
    m->up = c.Get<char>();
    m->unitSource = c.Get<uint8_t>();
    uint8_t background = c.Get<uint8_t>();
    for (double& v : m->background) v = c.Get<double>();
    if (m->polygonsRead < 0 || m->trianglesRead < 0 || m->pointsAndLines < 0) return *why = "negative counts", false;
    if (!(std::isfinite(m->scale) && m->scale > 0)) return *why = "a scale that is no positive number", false;
    if ((m->up != 'y' && m->up != 'z') || m->unitSource >= UNIT_SOURCE_COUNT || background > 1)
        return *why = "an unknown axis, unit or flag", false;
    m->hasBackground = background == 1;
    if (m->hasBackground && !(InUnit(m->background[0]) && InUnit(m->background[1]) && InUnit(m->background[2])))
        return *why = "a background colour outside 0..1", false;

    uint32_t cameras = c.Get<uint32_t>();
    for (uint32_t k = 0; c.ok && k < cameras; k++) {
        ModelCamera camera;
        camera.position.x = c.Get<double>();
        camera.position.y = c.Get<double>();
        camera.position.z = c.Get<double>();
        camera.heading = c.Get<double>();
        if (!InSceneRange(camera.position) || !(std::fabs(camera.heading) <= 360))
            return *why = "a camera outside the scene", false;
        m->cameras.push_back(camera);
    }
    uint32_t materials = c.Get<uint32_t>();
    uint32_t textures = 0;
    for (uint32_t k = 0; c.ok && k < materials; k++) {
        RawMaterial material;
        for (float& v : material.colour) v = c.Get<float>();
        material.texture = c.Get<int32_t>();
        m->materials.push_back(material);
    }
    textures = c.Get<uint32_t>();
    for (uint32_t k = 0; c.ok && k < textures; k++) m->textures.push_back(c.GetString(MAX_NAME_BYTES));
    for (const RawMaterial& material : m->materials)
        if (material.texture < -1 || (material.texture >= 0 && (uint32_t)material.texture >= textures))
            return *why = "a material naming no texture", false;
    *meshes = c.Get<uint32_t>();
    if (*meshes > MAX_MESHES) return *why = "too many meshes", false;
    m->meshCount = (int32_t)*meshes;
    if (!c.Whole()) return *why = "a model record of the wrong length", false;
    return true;
}

bool ReadMeshPayload(Cursor& c, const RawModel& model, RawMesh* mesh, std::string* why) {
    mesh->material = c.Get<uint32_t>();
    uint32_t vertices = c.Get<uint32_t>();
    uint8_t texCoords = c.Get<uint8_t>(), colours = c.Get<uint8_t>();
    uint32_t triangles = c.Get<uint32_t>();
    if (!c.ok || mesh->material >= model.materials.size() || texCoords > 1 || colours > 1)
        return *why = "a mesh with no material", false;
    c.GetArray(&mesh->positions, (uint64_t)vertices * 3);
    if (texCoords) c.GetArray(&mesh->texCoords, (uint64_t)vertices * 2);
    if (colours) c.GetArray(&mesh->colours, (uint64_t)vertices * 3);
    c.GetArray(&mesh->corners, (uint64_t)triangles * 3);
    c.GetArray(&mesh->shading, triangles);
    if (!c.Whole()) return *why = "a mesh record of the wrong length", false;
    for (uint32_t corner : mesh->corners)
        if (corner >= vertices) return *why = "a triangle corner past its mesh's vertices", false;
    for (uint8_t s : mesh->shading)
        if (s >= FACE_SHADING_COUNT) return *why = "an unknown face shading", false;
    return true;
}

bool ReadInstancesPayload(Cursor& c, RawModel* model, std::string* why) {
    uint32_t count = c.Get<uint32_t>();
    if (count > c.Left() / (sizeof(uint32_t) + 16 * sizeof(float))) return *why = "too many mesh uses", false;
    model->instances.resize(count);
    for (RawInstance& use : model->instances) {
        use.mesh = c.Get<uint32_t>();
        for (float& v : use.world) v = c.Get<float>();
        if (c.ok && use.mesh >= model->meshes.size()) return *why = "a node using no mesh", false;
    }
    if (!c.Whole()) return *why = "an instance record of the wrong length", false;
    return true;
}

bool ReadTexturePayload(Cursor& c, uint32_t expected, RawTexture* t, std::string* why) {
    uint32_t index = c.Get<uint32_t>();
    int32_t width = c.Get<int32_t>(), height = c.Get<int32_t>();
    t->originalWidth = c.Get<int32_t>();
    t->originalHeight = c.Get<int32_t>();
    t->problem = PrintableText(c.GetString(MAX_MESSAGE_BYTES));
    if (!c.ok || index != expected) return *why = "a texture out of order", false;
    if (!t->problem.empty()) {
        if (width != 0 || height != 0 || !c.Whole()) return *why = "a missing texture with pixels", false;
        return true;
    }
    if (width < 1 || height < 1 || width > MAX_TEXTURE_SIDE || height > MAX_TEXTURE_SIDE ||
        t->originalWidth < width || t->originalHeight < height)
        return *why = "a texture of an impossible size", false;
    t->picture.width = width;
    t->picture.height = height;
    c.GetArray(&t->picture.rgb, (uint64_t)width * height * 3);
    if (!c.Whole()) return *why = "a texture record of the wrong length", false;
    return true;
}

// The records' source: checks each one and keeps to their order.
class WireSource : public ModelSource {
  public:
    WireSource(RecordReader& reader, const std::string& name, const ProgressFn& progress)
        : reader_(reader), name_(name), progress_(progress) {}

    bool Model(RawModel* model, std::string* error) override {
        uint64_t length = 0, total = 0;
        if (!Next(WireKind::MODEL, &length, error)) return false;
        uint32_t meshes = 0;
        std::string why;
        Cursor head(reader_, length);
        if (!ReadModelPayload(head, model, &meshes, &why)) return Refused(head, why, error);
        for (uint32_t k = 0; k < meshes; k++) {
            if (!Next(WireKind::MESH, &length, error)) return false;
            if ((total += length) > MAX_WIRE_MODEL_BYTES) return Damaged("a model past the reader's memory", error);
            model->meshes.emplace_back();
            Cursor mesh(reader_, length);
            if (!ReadMeshPayload(mesh, *model, &model->meshes.back(), &why)) return Refused(mesh, why, error);
        }
        if (!Next(WireKind::INSTANCES, &length, error)) return false;
        if ((total += length) > MAX_WIRE_MODEL_BYTES) return Damaged("a model past the reader's memory", error);
        Cursor uses(reader_, length);
        if (!ReadInstancesPayload(uses, model, &why)) return Refused(uses, why, error);
        return true;
    }

    bool Texture(size_t index, RawTexture* texture, std::string* error) override {
        uint64_t length;
        std::string why;
        if (!Next(WireKind::TEXTURE, &length, error)) return false;
        Cursor c(reader_, length);
        if (!ReadTexturePayload(c, (uint32_t)index, texture, &why)) return Refused(c, why, error);
        return true;
    }

    bool Finish(std::string* error) override {
        uint64_t length;
        if (!Next(WireKind::END, &length, error)) return false;
        return length == 0 || Damaged("an end with a payload", error);
    }

  private:
    // The next record that is not progress, which must be of the kind
    // wanted; a failure's message becomes the error.
    bool Next(WireKind wanted, uint64_t* length, std::string* error) {
        for (;;) {
            uint32_t kind;
            if (!reader_.Next(&kind, length, error)) return *error = name_ + ": " + *error, false;
            if (kind == (uint32_t)WireKind::PROGRESS) {
                Cursor c(reader_, *length);
                float f = c.Get<float>();
                if (!c.Whole() || !(f >= 0 && f <= 1)) return Refused(c, "a progress that is no fraction", error);
                if (progress_) progress_("reading", f);
                continue;
            }
            if (kind == (uint32_t)WireKind::FAILED) return Failed(*length, error);
            if (kind != (uint32_t)wanted) return Damaged("a record out of order", error);
            return true;
        }
    }

    bool Failed(uint64_t length, std::string* error) {
        Cursor c(reader_, length);
        uint8_t kind = c.Get<uint8_t>();
        std::string message = PrintableText(c.GetString(MAX_MESSAGE_BYTES));
        if (!c.Whole()) return Refused(c, "a failure of the wrong length", error);
        switch ((ReadFailure)kind) {
            case ReadFailure::UNREADABLE: *error = name_ + ": " + message; break;
            case ReadFailure::OUT_OF_MEMORY:
                *error = name_ + ": the model reader ran out of memory (its limit is 1 GiB); the file is damaged or too large";
                break;
            case ReadFailure::EXCEPTION: *error = name_ + ": the model reader failed: " + message; break;
            default: return Damaged("an unknown failure", error);
        }
        return false;
    }

    // A record that did not pass: cut short by the reader, or damaged.
    bool Refused(const Cursor& c, const std::string& why, std::string* error) {
        if (c.readError.empty()) return Damaged(why, error);
        *error = name_ + ": " + c.readError;
        return false;
    }

    bool Damaged(const std::string& why, std::string* error) {
        *error = name_ + ": the model reader sent damaged data (" + why + ")";
        return false;
    }

    RecordReader& reader_;
    std::string name_;
    ProgressFn progress_;
};

// The length of a UTF-8 sequence that starts with byte b and encodes no
// control character, 0 when it is none.
size_t SequenceLength(const unsigned char* p, size_t left) {
    unsigned char b = p[0];
    if (b >= 0x20 && b < 0x7f) return 1;
    size_t n = b >= 0xc2 && b <= 0xdf ? 2 : b >= 0xe0 && b <= 0xef ? 3 : b >= 0xf0 && b <= 0xf4 ? 4 : 0;
    if (n == 0 || n > left) return 0;
    for (size_t k = 1; k < n; k++)
        if ((p[k] & 0xc0) != 0x80) return 0;
    if (b == 0xc2 && p[1] < 0xa0) return 0;                  // U+0080..U+009F: C1 controls
    if ((b == 0xe0 && p[1] < 0xa0) || (b == 0xf0 && p[1] < 0x90)) return 0;  // overlong
    if ((b == 0xed && p[1] >= 0xa0) || (b == 0xf4 && p[1] >= 0x90)) return 0;  // surrogates, past U+10FFFF
    return n;
}

}  // namespace

void Payload::PutString(const std::string& s, size_t max) {
    size_t n = std::min(s.size(), max);
    Put((uint32_t)n);
    Fields().append(s, 0, n);
}

uint64_t Payload::Size() const {
    uint64_t size = 0;
    for (const Piece& p : pieces_) size += p.at ? p.size : p.bytes.size();
    return size;
}

std::string& Payload::Fields() {
    if (pieces_.empty() || pieces_.back().at) pieces_.push_back({});
    return pieces_.back().bytes;
}

std::string WireHeader(WireKind kind, uint64_t length) {
    std::string header(WIRE_HEADER_BYTES, '\0');
    uint32_t k = (uint32_t)kind;
    std::memcpy(&header[0], &k, 4);
    std::memcpy(&header[4], &length, 8);
    return header;
}

bool ParseWireHeader(const char header[WIRE_HEADER_BYTES], uint32_t* kind, uint64_t* length) {
    std::memcpy(kind, header, 4);
    std::memcpy(length, header + 4, 8);
    // A picture's record holds its pixels and a few short fields.
    const uint64_t MAX_TEXTURE_RECORD = (uint64_t)MAX_TEXTURE_SIDE * MAX_TEXTURE_SIDE * 3 + MAX_MESSAGE_BYTES + 64;
    switch ((WireKind)*kind) {
        case WireKind::PROGRESS: return *length == sizeof(float);
        case WireKind::FAILED: return *length <= MAX_MESSAGE_BYTES + 8;
        case WireKind::END: return *length == 0;
        case WireKind::TEXTURE: return *length <= MAX_TEXTURE_RECORD;
        case WireKind::MODEL:
        case WireKind::MESH:
        case WireKind::INSTANCES: return *length <= MAX_WIRE_MODEL_BYTES;
        default: return false;
    }
}

Payload FailurePayload(ReadFailure kind, const std::string& message) {
    Payload b;
    b.Put((uint8_t)kind);
    b.PutString(message, MAX_MESSAGE_BYTES);
    return b;
}

Payload ProgressPayload(float fraction) {
    Payload b;
    b.Put(fraction);
    return b;
}

bool SendModel(ModelSource& source, const std::string& name, RecordWriter& out) {
    std::string error;
    auto fail = [&]() {
        // The importer names the model itself.
        if (error.rfind(name + ": ", 0) == 0) error = error.substr(name.size() + 2);
        return out.Send(WireKind::FAILED, FailurePayload(ReadFailure::UNREADABLE, error));
    };
    RawModel model;
    if (!source.Model(&model, &error)) return fail();
    if (!out.Send(WireKind::MODEL, ModelPayload(model))) return false;
    for (RawMesh& mesh : model.meshes) {
        if (!out.Send(WireKind::MESH, MeshPayload(mesh))) return false;
        mesh = RawMesh();  // sent: its memory goes back before the pictures are decoded
    }
    if (!out.Send(WireKind::INSTANCES, InstancesPayload(model.instances))) return false;
    size_t textures = model.textures.size();
    model = RawModel();
    for (size_t k = 0; k < textures; k++) {
        RawTexture texture;
        if (!source.Texture(k, &texture, &error)) return fail();
        if (!out.Send(WireKind::TEXTURE, TexturePayload((uint32_t)k, texture))) return false;
    }
    if (!source.Finish(&error)) return fail();
    return out.Send(WireKind::END, Payload());
}

std::unique_ptr<ModelSource> MakeWireSource(RecordReader& reader, const std::string& name,
                                            const ProgressFn& progress) {
    return std::make_unique<WireSource>(reader, name, progress);
}

bool MemoryRecords::Send(WireKind kind, const Payload& payload) {
    bytes += WireHeader(kind, payload.Size());
    return payload.Each([this](const char* p, size_t n) { return bytes.append(p, n), true; });
}

bool MemoryRecords::Next(uint32_t* kind, uint64_t* length, std::string* error) {
    at += left_;  // what the last record's reader left unread
    left_ = 0;
    if (at > bytes.size() || bytes.size() - at < WIRE_HEADER_BYTES) return *error = "the records end early", false;
    if (!ParseWireHeader(bytes.data() + at, kind, length)) return *error = "a damaged record", false;
    at += WIRE_HEADER_BYTES;
    left_ = *length;
    return true;
}

bool MemoryRecords::Read(void* out, size_t size, std::string* error) {
    if (size > left_ || size > bytes.size() - std::min(at, bytes.size())) return *error = "the records end early", false;
    std::memcpy(out, bytes.data() + at, size);
    at += size;
    left_ -= size;
    return true;
}

std::string PrintableText(const std::string& text, size_t max) {
    std::string out;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
    size_t left = text.size();
    while (left > 0 && out.size() < max) {
        size_t n = SequenceLength(p, left);
        if (n == 0 || out.size() + n > max) {
            out += '?';
            n = n == 0 ? 1 : n;
        } else {
            out.append(reinterpret_cast<const char*>(p), n);
        }
        p += n;
        left -= n;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}
