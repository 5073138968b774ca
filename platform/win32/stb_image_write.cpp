// stb_image_write.cpp -- the PNG writer's code, which Debian's libstb gives
// the Linux build but nothing gives MinGW: one copy, for the program's F12
// and the tools' PNGs.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
