// import_seed_records.cpp -- ambler-fuzz-import-seeds DIR MODEL...: writes
// the records the reading process sends for each model (DIR/NAME.rec), the
// seeds of import_records_fuzz. A model Assimp cannot read gives the
// records of its failure.
#include <cstdio>
#include <string>

#include "tools/import/model_wire.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: ambler-fuzz-import-seeds DIR MODEL...\n");
        return 2;
    }
    int written = 0;
    for (int k = 2; k < argc; k++) {
        ImportOptions options;
        options.model = argv[k];
        MemoryRecords records;
        SendModel(*MakeAssimpSource(options, nullptr), options.model, records);
        std::string name = options.model.substr(options.model.find_last_of('/') + 1);
        std::string path = std::string(argv[1]) + "/" + std::to_string(k - 1) + "-" + name + ".rec";
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) continue;
        written += std::fwrite(records.bytes.data(), 1, records.bytes.size(), f) == records.bytes.size();
        std::fclose(f);
    }
    std::printf("%d record seeds\n", written);
    return 0;
}
