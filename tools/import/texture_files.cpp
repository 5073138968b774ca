// texture_files.cpp -- decoding the model's pictures with stb_image,
// scaling them to what the GL takes, and naming their bitmaps safely.
#include <stb_image.h>
#include <stb_image_resize.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "tools/import/import.h"

namespace {

// stb_image gives rows top first; the bitmap writer wants them bottom first.
void TakeFlipped(unsigned char* pixels, int width, int height, DecodedTexture* out) {
    out->width = width;
    out->height = height;
    size_t row = (size_t)width * 3;
    out->rgb.resize(row * height);
    for (int y = 0; y < height; y++)
        std::copy(pixels + row * (height - 1 - y), pixels + row * (height - y), out->rgb.begin() + row * y);
    stbi_image_free(pixels);
}

std::string Lower(std::string s) {
    for (char& c : s) c = (char)std::tolower((unsigned char)c);
    return s;
}

}  // namespace

bool DecodeTextureFile(const std::string& path, DecodedTexture* out, std::string* error) {
    int width = 0, height = 0, channels = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &width, &height, &channels, 3);
    if (!pixels) {
        FILE* f = std::fopen(path.c_str(), "rb");
        if (f) std::fclose(f);
        *error = f ? std::string("cannot decode (") + stbi_failure_reason() + ")" : "file not found";
        return false;
    }
    TakeFlipped(pixels, width, height, out);
    return true;
}

bool DecodeTextureMemory(const unsigned char* data, size_t size, DecodedTexture* out,
                         std::string* error) {
    if (size > (size_t)INT32_MAX) {
        *error = "embedded picture too large";
        return false;
    }
    int width = 0, height = 0, channels = 0;
    unsigned char* pixels = stbi_load_from_memory(data, (int)size, &width, &height, &channels, 3);
    if (!pixels) {
        *error = std::string("cannot decode (") + stbi_failure_reason() + ")";
        return false;
    }
    TakeFlipped(pixels, width, height, out);
    return true;
}

bool DecodeTexture(const TextureSource& source, DecodedTexture* out, std::string* error) {
    if (!source.embedded) return DecodeTextureFile(source.file, out, error);
    if (!source.compressed.empty())
        return DecodeTextureMemory(source.compressed.data(), source.compressed.size(), out, error);
    if (source.raw.width > 0 && source.raw.height > 0) {
        *out = source.raw;
        return true;
    }
    *error = "embedded picture is empty";
    return false;
}

bool ShrinkToFit(DecodedTexture* texture, int maxSide) {
    int w = texture->width, h = texture->height;
    if (w <= maxSide && h <= maxSide) return false;
    double k = (double)maxSide / std::max(w, h);
    int nw = std::max(1, (int)(w * k)), nh = std::max(1, (int)(h * k));
    std::vector<unsigned char> out((size_t)nw * nh * 3);
    stbir_resize_uint8(texture->rgb.data(), w, h, 0, out.data(), nw, nh, 0, 3);
    texture->width = nw;
    texture->height = nh;
    texture->rgb.swap(out);
    return true;
}

std::string SafeTextureName(const std::string& reference, std::vector<std::string>* taken) {
    const size_t STEM_MAX = 48;  // with a counter and ".bmp", well inside any name limit
    std::string base = reference;
    size_t cut = base.find_last_of("/\\");
    if (cut != std::string::npos) base = base.substr(cut + 1);
    if (!base.empty() && base[0] == '*') base = "embedded-" + base.substr(1);
    size_t dot = base.find_last_of('.');
    if (dot != std::string::npos && dot > 0) base = base.substr(0, dot);
    std::string stem;
    for (char c : base) {
        if (std::isalnum((unsigned char)c) || c == '-' || c == '_') stem += c;
        else if (!stem.empty() && stem.back() != '_') stem += '_';
        if (stem.size() >= STEM_MAX) break;
    }
    while (!stem.empty() && stem.back() == '_') stem.pop_back();
    if (stem.empty()) stem = "texture";
    // Names are compared without case, so the folder also works where the
    // file system ignores it.
    std::string name = stem + ".bmp";
    for (int n = 2;; n++) {
        bool clash = false;
        for (const std::string& t : *taken) clash = clash || Lower(t) == Lower(name);
        if (!clash) break;
        name = stem + "-" + std::to_string(n) + ".bmp";
    }
    taken->push_back(name);
    return name;
}
