// import_records_fuzz.cpp -- libFuzzer target: any bytes as the records a
// reading process sends, through the importer's checks, the conversion,
// the textures and the scene's building, writing and reading back. This is
// the importer's whole defence against a reader gone wrong: nothing here
// may crash, leak, hang or allocate without bound.
//
// Input: the records, as model_wire.h lays them out (the seeds are real
// models' records, written by ambler-fuzz-import-seeds).
#include <cstddef>
#include <cstdint>

#include "fuzz/import_fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryRecords records;
    records.bytes.assign(reinterpret_cast<const char*>(data), size);
    ImportRecords(records, "fuzz.obj");
    return 0;
}
