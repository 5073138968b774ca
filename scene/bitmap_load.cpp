// bitmap_load.cpp -- the bitmap loader as the program calls it: a failure
// becomes its message box. Apart from the file side so that tools which
// only decode do not link the window system.
#include "platform/platform.h"
#include "scene/bitmap.h"

TextureImage* LoadBitmapImage(const char* fileName) {
    char message[BITMAP_MESSAGE_CAPACITY];
    TextureImage* image = ReadBitmapFile(fileName, message, sizeof message);
    if (!image) Plat_MessageBox(message, "Error");
    return image;
}
