// gl11_es_web.cpp -- the ES table in the browser: emscripten's aliases of
// its WebGL calls, which stay reachable under our GL 1.1 names.
#ifdef __EMSCRIPTEN__
#include "platform/web/gl11_es.h"

extern "C" {
#define GL11_ES_DECLARE(result, name, params, args) result emscripten_gl##name params;
GL11_ES_CALLS(GL11_ES_DECLARE)
#undef GL11_ES_DECLARE
}

namespace gl11 {

EsCalls es;

bool LoadEsCalls() {
#define GL11_ES_TAKE(result, name, params, args) es.name = &emscripten_gl##name;
    GL11_ES_CALLS(GL11_ES_TAKE)
#undef GL11_ES_TAKE
    return true;
}

}  // namespace gl11
#endif
