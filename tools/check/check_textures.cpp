// check_textures.cpp -- every texture file the scene loads: whether it is
// there and whether the program can decode it. Names are relative to the scene's folder, which is the program's
// working folder.
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/system.h"
#include "scene/bitmap.h"
#include "scene/scene.h"
#include "scene/texture_fit.h"
#include "tools/check/check.h"
#include "tools/lib/png_image.h"

TextureCheck CheckTextureFile(const std::string& path) {
    TextureCheck check;
    SysFileInfo info;  // looked up as the program opens it
    check.exists = Sys_FileInfo(path.c_str(), &info) && info.kind == SYS_KIND_REGULAR;
    if (!check.exists) {
        check.problem = "missing";
        return check;
    }
    // Decoded as the program would, so the author sees the program's message.
    char message[BITMAP_MESSAGE_CAPACITY];
    TextureImage* image = ReadBitmapFile(path.c_str(), message, sizeof message);
    if (image) {
        check.width = image->width;
        check.height = image->height;
        FreeTextureImage(image);
        if (check.width > TEXTURE_SIDE_PORTABLE || check.height > TEXTURE_SIDE_PORTABLE)
            check.problem = std::to_string(check.width) + " x " + std::to_string(check.height) +
                            " is more than many GL drivers hold as a texture (over " +
                            std::to_string(TEXTURE_SIDE_PORTABLE) +
                            " on a side): the program scales it down to the GL's limit, "
                            "losing detail";
    } else {
        std::string text = message;
        while (!text.empty() && text.back() == '\n') text.pop_back();
        check.problem = "the program would show \"" + text + "\" and draw it untextured";
    }
    return check;
}

// The names of the slots the texture step loads (flag exactly 1), each once,
// in the order that step visits them: textured, avatar, then part slots.
static std::vector<std::string> LoadedTextureNames(const Scene& s) {
    std::vector<std::string> names;
    // The pool keeps each distinct name once, so a name is new exactly when
    // its offset is.
    std::vector<bool> seen(s.texNames.used);
    auto add = [&](int flag, const TexName& name) {
        if (flag != 1 || seen[name.offset]) return;
        seen[name.offset] = true;
        names.push_back(SlotName(s, name));
    };
    for (int k = 0; k < s.texPolyVertexCount; ++k) add(s.texPolyTexFlag[k], s.texPolyTexName[k]);
    for (int k = 0; k < s.avatarPolyVertexCount; ++k) add(s.avatarPolyTexFlag[k], s.avatarPolyTexName[k]);
    for (int i = 0; i <= s.actorLastIndex; ++i)
        for (int p = 0; p < s.actorPartVertexCount[i]; ++p) add(s.partTexFlag(p, i), s.partTexName(p, i));
    return names;
}

void PrintTextures(FILE* out, const Scene& scene, const std::string& sceneDir, int* warnings) {
    std::vector<std::string> names = LoadedTextureNames(scene);
    std::fprintf(out, "Texture files: %zu\n", names.size());
    for (const std::string& name : names) {
        std::string path = !name.empty() && name[0] == '/' ? name : sceneDir + "/" + name;
        TextureCheck check = CheckTextureFile(path);
        if (check.problem.empty()) {
            std::fprintf(out, "  \"%s\": %d x %d\n", name.c_str(), check.width, check.height);
        } else {
            std::fprintf(out, "  \"%s\": warning: %s\n", name.c_str(), check.problem.c_str());
            ++*warnings;
        }
    }
}

int DecodeCommand(const char* bitmapPath, const char* pngPath) {
    char message[BITMAP_MESSAGE_CAPACITY];
    TextureImage* image = ReadBitmapFile(bitmapPath, message, sizeof message);
    if (!image) {
        std::fprintf(stderr, "%s: %s%s", bitmapPath, message,
                     *message && message[strlen(message) - 1] == '\n' ? "" : "\n");
        return 2;
    }
    errno = 0;
    bool written = WritePngBottomUp(pngPath, image->pixels, image->width, image->height);
    if (written) std::printf("%s: %d x %d\n", bitmapPath, image->width, image->height);
    else std::fprintf(stderr, "%s: cannot write%s%s\n", pngPath, errno ? ": " : "",
                      errno ? std::strerror(errno) : "");
    FreeTextureImage(image);
    return written ? 0 : 2;
}
