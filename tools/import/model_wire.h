// model_wire.h -- what the reading process sends the importer: records of
// a kind, a length and a payload, in the machine's own byte order (both
// ends are one program). The importer trusts none of it: every record is
// checked before use -- lengths against what is left, counts against what
// they count, indices in range, numbers finite where they must be, and
// text short and printable.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "tools/import/model_source.h"

enum class WireKind : uint32_t {
    PROGRESS = 0x574d4101,  // Assimp's read, 0..1
    MODEL,                  // counts, units, cameras, materials, texture names, how many meshes follow
    MESH,                   // one mesh
    INSTANCES,              // every use of a mesh, with its transform
    TEXTURE,                // one texture's pixels or why there are none, in order
    FAILED,                 // the read failed: why (the reader then ends)
    END,                    // all sent
};

enum class ReadFailure : uint8_t {
    UNREADABLE = 1,  // Assimp's message
    OUT_OF_MEMORY,   // the reader's memory limit
    EXCEPTION,       // an exception's message
};

// Largest record the importer accepts, and the most all of a model's
// records may hold together: the reading process has no more memory.
constexpr uint64_t MAX_WIRE_MODEL_BYTES = (uint64_t)1 << 30;
// A record's header: its kind and its length.
constexpr size_t WIRE_HEADER_BYTES = 12;

// A record's payload as it is sent: small fields gathered in order, and
// large arrays referred to where they lie, so that a mesh's arrays reach
// the pipe without being copied together first.
class Payload {
  public:
    Payload() = default;
    Payload(const std::string& bytes) { pieces_.push_back({bytes, nullptr, 0}); }  // NOLINT: bytes as they are
    template <class T>
    void Put(const T& v) {
        static_assert(std::is_trivially_copyable_v<T>);
        Fields().append(reinterpret_cast<const char*>(&v), sizeof v);
    }
    // The array stays where it is, and must outlive the send.
    template <class T>
    void PutArray(const std::vector<T>& v) {
        if (!v.empty()) pieces_.push_back({"", reinterpret_cast<const char*>(v.data()), v.size() * sizeof(T)});
    }
    void PutString(const std::string& s, size_t max);
    uint64_t Size() const;
    // Calls write(bytes, size) for each piece in order; false when one fails.
    template <class W>
    bool Each(W write) const {
        for (const Piece& p : pieces_)
            if (!(p.at ? write(p.at, p.size) : write(p.bytes.data(), p.bytes.size()))) return false;
        return true;
    }

  private:
    struct Piece {
        std::string bytes;         // fields, owned
        const char* at = nullptr;  // or an array, referred to
        size_t size = 0;
    };
    std::string& Fields();
    std::vector<Piece> pieces_;
};

// Where records go (the reading process: a pipe) and where they come from
// (the importer). Next starts a record, false at the end of the stream or
// on a failure, with *error set; Read takes the next bytes of its payload.
class RecordWriter {
  public:
    virtual ~RecordWriter() = default;
    virtual bool Send(WireKind kind, const Payload& payload) = 0;
};
class RecordReader {
  public:
    virtual ~RecordReader() = default;
    virtual bool Next(uint32_t* kind, uint64_t* length, std::string* error) = 0;
    virtual bool Read(void* out, size_t size, std::string* error) = 0;
};

// The header of a record of this kind and length.
std::string WireHeader(WireKind kind, uint64_t length);
// Splits a header; false when it names no kind, or a length past what a
// record of its kind can hold.
bool ParseWireHeader(const char header[WIRE_HEADER_BYTES], uint32_t* kind, uint64_t* length);

// The reading process's work: everything the source gives, sent as
// records. A source's failure is sent as FAILED with its message, less the
// model's name, which the importer adds itself. False when a record could
// not be sent.
bool SendModel(ModelSource& source, const std::string& name, RecordWriter& out);
// A read that ended in an exception or out of memory, as a FAILED record.
Payload FailurePayload(ReadFailure kind, const std::string& message);
Payload ProgressPayload(float fraction);

// The importer's side: a source that takes the records one by one and
// checks each. name is the model's name, for messages.
std::unique_ptr<ModelSource> MakeWireSource(RecordReader& reader, const std::string& name,
                                            const ProgressFn& progress);

// Records held in memory: what a reading process sent, for the fuzz
// targets and tests.
class MemoryRecords : public RecordWriter, public RecordReader {
  public:
    std::string bytes;
    size_t at = 0;
    bool Send(WireKind kind, const Payload& payload) override;
    bool Next(uint32_t* kind, uint64_t* length, std::string* error) override;
    bool Read(void* out, size_t size, std::string* error) override;

  private:
    uint64_t left_ = 0;  // of the record begun
};

// Text from the model (Assimp's messages, texture names) made safe to
// print on one line: control characters and broken UTF-8 become '?', and
// it is cut to at most max bytes.
std::string PrintableText(const std::string& text, size_t max = 300);
