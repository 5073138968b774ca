// textures.cpp -- one decode and one mipmapped texture object per distinct
// file name for the whole scene, shared by every slot that names it.
#include "scene/textures.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdint>
#include <set>
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
static unsigned MakeTextureObject(const TextureImage* image, int linearMagFilter) {
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
static unsigned LoadTexture(const char* name, int linearMagFilter, TextureImage** image) {
    *image = LoadBitmapImage(name);
    return *image ? MakeTextureObject(*image, linearMagFilter) : 0;
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
static void ResolveSlot(const Scene& scene, int& flag, const TexName& name, unsigned& id,
                        TextureImage*& image, TextureIndex& own, const TextureIndex* second,
                        const TextureIndex* third) {
    if (flag != 1) return;
    uint32_t key = name.offset;
    if (!FindName(&own, key, &id) && !FindName(second, key, &id) && !FindName(third, key, &id))
        id = LoadTexture(SlotName(scene, name), scene.linearMagFilter, &image);
    own.emplace(key, id);
    if (id == 0) flag = 0;
}

void CreateSceneTextures(Scene& scene, SceneTextures& t) {
    Scene& s = scene;
    t.texPolyTexId.assign(s.texPolyTexFlag.size, 0);
    t.texPolyImage.assign(s.texPolyTexFlag.size, nullptr);
    t.avatarPolyTexId.assign(s.avatarPolyTexFlag.size, 0);
    t.avatarPolyImage.assign(s.avatarPolyTexFlag.size, nullptr);
    t.partRows = s.partTexFlag.rows;
    t.partTexId.assign(s.partTexFlag.rows * s.partTexFlag.cols, 0);
    t.partImage.assign(s.partTexFlag.rows * s.partTexFlag.cols, nullptr);
    TextureIndex textured, avatar, parts;
    for (int k = 0; k < s.texPolyVertexCount; k++)
        ResolveSlot(s, s.texPolyTexFlag[k], s.texPolyTexName[k], t.texPolyTexId[k],
                    t.texPolyImage[k], textured, nullptr, nullptr);
    for (int k = 0; k < s.avatarPolyVertexCount; k++)
        ResolveSlot(s, s.avatarPolyTexFlag[k], s.avatarPolyTexName[k], t.avatarPolyTexId[k],
                    t.avatarPolyImage[k], avatar, &textured, nullptr);
    for (int i = 0; i <= s.actorLastIndex && i < (int)s.partTexFlag.cols; i++) {
        int count = s.actorPartVertexCount[i];
        if (count > (int)s.partTexFlag.rows) count = (int)s.partTexFlag.rows;
        size_t column = (size_t)i * t.partRows;
        for (int p = 0; p < count; p++)
            ResolveSlot(s, s.partTexFlag(p, i), s.partTexName(p, i), t.partTexId[column + p],
                        t.partImage[column + p], parts, &avatar, &textured);
    }
}

void ReleaseSceneTextures(SceneTextures& t) {
    std::set<unsigned> ids;
    std::set<TextureImage*> images;
    for (const auto* list : {&t.texPolyTexId, &t.avatarPolyTexId, &t.partTexId})
        ids.insert(list->begin(), list->end());
    for (const auto* list : {&t.texPolyImage, &t.avatarPolyImage, &t.partImage})
        images.insert(list->begin(), list->end());
    ids.erase(0);
    images.erase(nullptr);
    for (unsigned id : ids) glDeleteTextures(1, &id);
    for (TextureImage* image : images) FreeTextureImage(image);
    t = SceneTextures();
}
