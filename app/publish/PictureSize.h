#pragma once
// A picture's size in pixels from the first bytes of a JPEG or PNG file, without decoding it:
// the live checks fetch only the start of a served cover.
#include <string>

struct TPictureSize {
    int Width = 0;
    int Height = 0;
    std::string Format; // "JPEG" or "PNG"
};

// false when the bytes do not start a JPEG or PNG picture, or its size lies beyond them.
bool ReadPictureSize(const std::string &bytes, TPictureSize &size);
