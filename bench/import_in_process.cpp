// import_in_process.cpp -- import_in_process MODEL OUT_DIR: the import that
// ambler-import does, with the model read in this process instead of a
// reading process of its own; import_isolation_bench's yardstick. Exit
// status as ambler-import's.
#include <cstdio>

#include "tools/import/import_run.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: import_in_process MODEL OUT_DIR\n");
        return EXIT_BAD_INPUT;
    }
    UseLargePagesForHeap(argv);  // as ambler-import, or the two would not compare
    ImportOptions options;
    options.model = argv[1];
    options.outDir = argv[2];
    ImportResult result;
    int status = ImportModel(options, ReadPlace::IN_PROCESS, [](const char*, double) {}, &result);
    if (status != EXIT_WRITTEN) std::fprintf(stderr, "import_in_process: %s\n", result.error.c_str());
    return status;
}
