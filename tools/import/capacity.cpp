// capacity.cpp -- simplifying a list's triangles with meshoptimizer until
// they fit the list's capacity, so nothing is ever cut off silently.
#include <meshoptimizer.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>

#include "tools/import/import.h"

namespace {

// The attributes that make two corners the same vertex. Float is enough to
// tell corners apart; the doubles of the first corner are kept.
struct VertexKey {
    float x, y, z, s, t, r, g, b;
};

// One source mesh with one texture: an indexed mesh meshoptimizer can
// simplify without mixing texture spaces.
struct Group {
    std::vector<const Triangle*> unique;  // unique vertex -> a triangle that has it
    std::vector<int> uniqueCorner;        // ... and which of its corners it is
    std::vector<float> positions;       // x, y, z relative to the group's first vertex
    std::vector<unsigned> indices;
    const Triangle* prototype = nullptr;
};

void BuildGroup(const std::vector<const Triangle*>& triangles, Group* g) {
    size_t n = triangles.size() * 3;
    std::vector<VertexKey> keys(n);
    const Point3 origin = triangles[0]->p[0];
    for (size_t k = 0; k < n; k++) {
        const Triangle& tri = *triangles[k / 3];
        int c = (int)(k % 3);
        keys[k] = {(float)(tri.p[c].x - origin.x), (float)(tri.p[c].y - origin.y),
                   (float)(tri.p[c].z - origin.z), (float)tri.s[c], (float)tri.t[c],
                   (float)tri.colour[0], (float)tri.colour[1], (float)tri.colour[2]};
    }
    std::vector<unsigned> remap(n);
    size_t unique = meshopt_generateVertexRemap(remap.data(), nullptr, n, keys.data(), n, sizeof(VertexKey));
    g->unique.assign(unique, nullptr);
    g->uniqueCorner.assign(unique, 0);
    g->positions.assign(unique * 3, 0);
    g->indices.resize(n);
    for (size_t k = 0; k < n; k++) {
        unsigned u = remap[k];
        g->indices[k] = u;
        if (!g->unique[u]) {
            g->unique[u] = triangles[k / 3];
            g->uniqueCorner[u] = (int)(k % 3);
            g->positions[u * 3] = keys[k].x;
            g->positions[u * 3 + 1] = keys[k].y;
            g->positions[u * 3 + 2] = keys[k].z;
        }
    }
    g->prototype = triangles[0];
}

// Triangles of a group after simplification to the given indices.
void EmitGroup(const Group& g, const std::vector<unsigned>& indices, std::vector<Triangle>* out) {
    for (size_t k = 0; k + 2 < indices.size(); k += 3) {
        Triangle tri = *g.prototype;
        for (int c = 0; c < 3; c++) {
            unsigned u = indices[k + c];
            const Triangle& src = *g.unique[u];
            int sc = g.uniqueCorner[u];
            tri.p[c] = src.p[sc];
            tri.s[c] = src.s[sc];
            tri.t[c] = src.t[sc];
        }
        // A plain polygon's colour belongs to the polygon; keep the first
        // corner's triangle's.
        const Triangle& first = *g.unique[indices[k]];
        std::memcpy(tri.colour, first.colour, sizeof tri.colour);
        out->push_back(tri);
    }
}

}  // namespace

FitResult FitToCapacity(std::vector<Triangle>* triangles, long limit) {
    FitResult result;
    result.trianglesBefore = result.trianglesAfter = (long)triangles->size();
    long target = limit / 3;  // every triangle is written as three vertices
    if ((long)triangles->size() <= target) return result;
    result.simplified = true;

    std::map<std::pair<int, int>, std::vector<const Triangle*>> byGroup;
    for (const Triangle& t : *triangles) byGroup[{t.mesh, t.texture}].push_back(&t);
    std::vector<Group> groups(byGroup.size());
    size_t gi = 0;
    for (auto& [key, list] : byGroup) BuildGroup(list, &groups[gi++]);

    // Ever coarser passes: a share of every group first at a small error,
    // then larger errors, each time aiming lower by what the last pass missed.
    const float ERRORS[] = {0.005f, 0.02f, 0.08f, 0.3f, 1.0f};  // of each group's extent
    std::vector<std::vector<unsigned>> kept(groups.size());
    double share = (double)target / triangles->size();
    long total = 0;
    for (float error : ERRORS) {
        for (int attempt = 0; attempt < 4; attempt++) {
            total = 0;
            for (size_t k = 0; k < groups.size(); k++) {
                const Group& g = groups[k];
                size_t aim = std::max<size_t>(3, (size_t)(g.indices.size() / 3 * share) * 3);
                kept[k].resize(g.indices.size());
                size_t count = meshopt_simplify(kept[k].data(), g.indices.data(), g.indices.size(),
                                                g.positions.data(), g.unique.size(), sizeof(float) * 3,
                                                aim, error, 0, nullptr);
                kept[k].resize(count);
                total += (long)count / 3;
            }
            if (total <= target) break;
            share *= 0.97 * target / total;
        }
        if (total <= target) break;
    }
    result.trianglesAfter = total;
    result.fits = total <= target;
    if (!result.fits) return result;
    std::vector<Triangle> out;
    out.reserve(total);
    for (size_t k = 0; k < groups.size(); k++) EmitGroup(groups[k], kept[k], &out);
    triangles->swap(out);
    return result;
}
