// stb_write.cpp -- the PNG writer's code where Debian's libstb does not
// reach (the Windows cross build): one copy, for the program and its tools.
#ifdef _WIN32
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#endif
