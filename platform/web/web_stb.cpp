// web_stb.cpp -- the PNG writer's code for the browser build, where no
// library of Debian's can be linked: one copy, for the program and the
// replay tool.
#ifdef __EMSCRIPTEN__
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#endif
