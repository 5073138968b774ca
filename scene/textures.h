// textures.h -- one decode and one texture object per distinct file name.
#pragma once

#include <cstddef>
#include <vector>

#include "scene/scene.h"

// The texture objects and decoded images of one loaded scene, slot for slot
// with its texture names: the textured and avatar lists by slot k, the part
// lists as the part grids are laid out (actor i's rows together).
struct SceneTextures {
    std::vector<unsigned> texPolyTexId;
    std::vector<TextureImage*> texPolyImage;
    std::vector<unsigned> avatarPolyTexId;
    std::vector<TextureImage*> avatarPolyImage;
    std::vector<unsigned> partTexId;
    std::vector<TextureImage*> partImage;
    size_t partRows = 0;  // rows per actor in the part slots

    // Actor i's part slots, indexed by row.
    const unsigned* PartTexIdColumn(size_t actor) const { return partTexId.data() + actor * partRows; }
};

// Decodes every bitmap the scene names and makes the texture objects: each
// flagged slot of the textured, avatar and part lists gets the object of the
// first earlier slot naming the same file (own list, then avatar, then
// textured), or decodes the file. A file that fails shows its message once;
// every slot naming it gets no object and its flag cleared to 0, so its
// polygon is drawn plain.
void CreateSceneTextures(Scene& scene, SceneTextures& textures);
// Deletes the texture objects and images, each distinct one once (slots
// naming the same file share them), and empties the tables.
void ReleaseSceneTextures(SceneTextures& textures);
