// temp_beside.cpp -- the temporary file an output is written to before it
// is renamed over its destination: in the same folder, so the rename never
// crosses file systems.
#include <cstdlib>
#include <string>

#include "app/paths.h"
#include "app/signals.h"
#include "tools/lib/png_image.h"

int OpenTempBeside(const std::string& target, std::string* temp) {
    size_t slash = LastSeparator(target);
    std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    *temp = dir + "." + name + ".XXXXXX";
    int fd = mkstemp(&(*temp)[0]);
    if (fd >= 0) RemoveOnForcedQuit(temp->c_str());
    return fd;
}
