// textures.h -- one decode and one texture object per distinct file name.
#pragma once

// Decodes every bitmap the scene names and makes the texture objects: each
// flagged slot of the textured, avatar and part lists gets the object of the
// first earlier slot naming the same file (own list, then avatar, then
// textured), or decodes the file. A file that fails shows its message once;
// every slot naming it gets no object and its flag cleared to 0, so its
// polygon is drawn plain.
void CreateSceneTextures();
