#include "PictureSize.h"

namespace {

unsigned Byte(const std::string &bytes, std::size_t at) { return static_cast<unsigned char>(bytes[at]); }
unsigned Big16(const std::string &bytes, std::size_t at) { return Byte(bytes, at) << 8 | Byte(bytes, at + 1); }
unsigned long Big32(const std::string &bytes, std::size_t at)
{
    return static_cast<unsigned long>(Big16(bytes, at)) << 16 | Big16(bytes, at + 2);
}

bool ReadPngSize(const std::string &bytes, TPictureSize &size)
{
    // The signature, then the IHDR chunk: its length, its name, width and height.
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || bytes.compare(12, 4, "IHDR") != 0)
        return false;
    const unsigned long width = Big32(bytes, 16), height = Big32(bytes, 20);
    if (width == 0 || height == 0 || width > 1000000 || height > 1000000)
        return false;
    size = {int(width), int(height), "PNG"};
    return true;
}

bool ReadJpegSize(const std::string &bytes, TPictureSize &size)
{
    if (bytes.size() < 4 || Byte(bytes, 0) != 0xFF || Byte(bytes, 1) != 0xD8)
        return false;
    std::size_t at = 2;
    while (at + 4 <= bytes.size()) {
        if (Byte(bytes, at) != 0xFF)
            return false;
        const unsigned marker = Byte(bytes, at + 1);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // markers without a segment
            at += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) // the image ends or its data starts: no frame met
            return false;
        const std::size_t length = Big16(bytes, at + 2);
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (at + 9 > bytes.size() || length < 7)
                return false;
            const unsigned height = Big16(bytes, at + 5), width = Big16(bytes, at + 7);
            if (width == 0 || height == 0)
                return false;
            size = {int(width), int(height), "JPEG"};
            return true;
        }
        if (length < 2)
            return false;
        at += 2 + length;
    }
    return false;
}

} // namespace

bool ReadPictureSize(const std::string &bytes, TPictureSize &size)
{
    return ReadPngSize(bytes, size) || ReadJpegSize(bytes, size);
}
