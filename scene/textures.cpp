// textures.cpp -- one decode and one mipmapped texture object per distinct
// file name for the whole scene, shared by every slot that names it.
#include "scene/textures.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "scene/bitmap.h"
#include "scene/scene.h"
#include "scene/texture_fit.h"

// Name -> texture object of the slots of one list seen so far (0: the image
// failed to load). Answers exactly what a scan of the list's earlier flagged
// slots would, since every flagged slot of one name holds the same object.
// The pool keeps each name once, so a name's offset stands for it.
typedef std::unordered_map<uint32_t, unsigned> TextureIndex;

// The texture object of a decoded image, with the full mipmap chain. An
// image larger than the GL holds is scaled down first; the image itself
// stays as decoded.
static unsigned MakeTextureObject(const TextureImage* image) {
    unsigned id = 0;
    int width, height;
    FittedTextureSize(image->width, image->height, TextureSideLimit(), &width, &height);
    std::vector<unsigned char> scaled;
    if (width != image->width || height != image->height)
        scaled = ScaleImageDown(image->pixels, image->width, image->height, width, height);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_RGB, GL_UNSIGNED_BYTE,
                      scaled.empty() ? image->pixels : scaled.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER,
                    linearMagFilter == 1 ? GL_LINEAR : GL_NEAREST);
    return id;
}

// Decodes the named file into *image and makes its object; 0 when the
// loader refused it (it has shown its message).
static unsigned LoadTexture(const char* name, TextureImage** image) {
    *image = LoadBitmapImage(name);
    return *image ? MakeTextureObject(*image) : 0;
}

// True when the index knows the name; its object into *id.
static bool FindName(const TextureIndex* index, uint32_t key, unsigned* id) {
    if (!index) return false;
    auto hit = index->find(key);
    if (hit == index->end()) return false;
    *id = hit->second;
    return true;
}

// One texture slot: shares the object of the first index that knows the
// name (own list first, then the others in order), or loads the file. A
// slot whose image failed keeps no object and is drawn as a plain polygon.
static void ResolveSlot(int& flag, const TexName& name, unsigned& id, TextureImage*& image,
                        TextureIndex& own, const TextureIndex* second, const TextureIndex* third) {
    if (flag != 1) return;
    uint32_t key = name.offset;
    if (!FindName(&own, key, &id) && !FindName(second, key, &id) && !FindName(third, key, &id))
        id = LoadTexture(name.text(), &image);
    own.emplace(key, id);
    if (id == 0) flag = 0;
}

void CreateSceneTextures() {
    TextureIndex textured, avatar, parts;
    for (int k = 0; k < texPolyVertexCount; k++)
        ResolveSlot(texPolyTexFlag[k], texPolyTexName[k], texPolyTexId[k], texPolyImage[k],
                    textured, nullptr, nullptr);
    for (int k = 0; k < avatarPolyVertexCount; k++)
        ResolveSlot(avatarPolyTexFlag[k], avatarPolyTexName[k], avatarPolyTexId[k],
                    avatarPolyImage[k], avatar, &textured, nullptr);
    for (int i = 0; i <= actorLastIndex && i < (int)partTexFlag.cols; i++) {
        int count = actorPartVertexCount[i];
        if (count > (int)partTexFlag.rows) count = (int)partTexFlag.rows;
        for (int p = 0; p < count; p++)
            ResolveSlot(partTexFlag(p, i), partTexName(p, i), partTexId(p, i), partImage(p, i),
                        parts, &avatar, &textured);
    }
}
