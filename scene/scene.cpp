// scene.cpp -- a scene back to its state before any load.
#include "scene/scene.h"

#include <memory>

// The destructor gives every table and the name pool back; the constructor
// puts every value at its default and every fixed table at zero.
void ResetScene(Scene& scene) {
    std::destroy_at(&scene);
    std::construct_at(&scene);
}
