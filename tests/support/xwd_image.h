// xwd_image.h -- screenshots of the X screen through xwd, decoded here.
#pragma once

#include <string>
#include <vector>

#include "tools/lib/png_image.h"

// Decodes an X window dump (ZPixmap, TrueColor, 16 to 32 bits per pixel,
// either byte order). False with a reason when the dump is of another kind
// or cut short.
bool DecodeXwd(const std::vector<unsigned char>& data, RgbImage* image, std::string* error);

// The whole screen, as xwd -root sees it.
bool CaptureScreen(RgbImage* image, std::string* error);
