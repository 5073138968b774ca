// screenshot.cpp -- F12: the frame as drawn, before any overlay, written as
// a PNG in the scene folder under the next free ambler-NNNN.png.
#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <stb_image_write.h>

#include "app/author.h"
#include "platform/system.h"

constexpr int SCREENSHOT_NUMBERS = 10000;  // four digits, as the name promises

// Claims the first free name by creating it exclusively, so two shots (or
// two programs in one folder) never write over each other. "" when all
// numbers are taken or the folder cannot be written.
static std::string ClaimFreeName() {
    for (int n = 1; n < SCREENSHOT_NUMBERS; n++) {
        char name[32];
        std::snprintf(name, sizeof name, "ambler-%04d.png", n);
        SysCreateResult made = Sys_CreateNewFile(name);
        if (made == SYS_CREATED) return name;
        if (made != SYS_EXISTS) return "";
    }
    return "";
}

std::string WriteScreenshot() {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    int width = viewport[2], height = viewport[3];
    if (width <= 0 || height <= 0) return "";
    std::vector<unsigned char> rgb((size_t)width * height * 3);
    GLint packAlignment, readBuffer;
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glReadBuffer((GLenum)readBuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
    std::string name = ClaimFreeName();
    if (name.empty()) return "";
    // GL rows run bottom-up; a PNG's first row is the top one.
    size_t row = (size_t)width * 3;
    for (int y = 0; y < height / 2; y++)
        std::swap_ranges(rgb.begin() + y * row, rgb.begin() + (y + 1) * row,
                         rgb.begin() + (height - 1 - y) * row);
    if (!stbi_write_png(name.c_str(), width, height, 3, rgb.data(), (int)row)) {
        Sys_RemoveFile(name.c_str());
        return "";
    }
    return name;
}
