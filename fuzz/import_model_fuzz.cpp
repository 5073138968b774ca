// import_model_fuzz.cpp -- libFuzzer target: a model's bytes read by Assimp
// from memory and its pictures decoded, as the reading process does, sent
// as records, then the importer's side as import_records_fuzz runs it.
// Faults inside Assimp show up here as well: in the program they are the
// reading process's to contain (tools/fuzz.sh tells them apart from ours).
//
// Input: the format's file extension and a zero byte (Assimp tells most
// formats by their content, some only by the name), then the model.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/import_fuzz_common.h"

constexpr size_t FUZZ_HINT_MAX = 8;  // "md5mesh" and its zero byte

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string hint;
    const void* zero = std::memchr(data, 0, size < FUZZ_HINT_MAX ? size : FUZZ_HINT_MAX);
    if (zero) {
        size_t length = (size_t)(static_cast<const uint8_t*>(zero) - data);
        hint.assign(reinterpret_cast<const char*>(data), length);
        data += length + 1;
        size -= length + 1;
    }
    if (size == 0) return 0;
    ImportOptions options;
    options.model = "fuzz." + hint;
    std::unique_ptr<ModelSource> assimp = MakeAssimpSource(options, nullptr, data, size, hint.c_str());
    MemoryRecords records;
    SendModel(*assimp, options.model, records);
    ImportRecords(records, options.model);
    return 0;
}
