// gl11_es_egl.cpp -- the ES table on Linux: Mesa's GLES2 entry points as
// EGL hands them out (the layer's own glEnable and the like shadow the
// library's names in this process).
#ifndef __EMSCRIPTEN__
#include <EGL/egl.h>

#include <cstdio>

#include "platform/web/gl11_es.h"

namespace gl11 {

EsCalls es;

bool LoadEsCalls() {
    bool all = true;
#define GL11_ES_FIND(result, name, params, args)                                                   \
    es.name = reinterpret_cast<result(*) params>(eglGetProcAddress("gl" #name));                  \
    if (!es.name && all) std::fprintf(stderr, "ambler: no GLES entry point gl%s\n", #name), all = false;
    GL11_ES_CALLS(GL11_ES_FIND)
#undef GL11_ES_FIND
    return all;
}

}  // namespace gl11
#endif
