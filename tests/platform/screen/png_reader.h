// Reads a PNG file back as RGB triples, for comparing against the screen.
#pragma once

#include <string>
#include <vector>

#include <png.h>

namespace screentest {

struct RgbPicture {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<unsigned char> rgb;  // width * 3 bytes per row, no gaps

    const unsigned char *At(unsigned x, unsigned y) const { return &rgb[(y * width + x) * 3]; }
};

// False when the file is missing or not a readable PNG.
inline bool ReadPng(const std::string &path, RgbPicture *picture) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    picture->width = image.width;
    picture->height = image.height;
    picture->rgb.assign(PNG_IMAGE_SIZE(image), 0);
    const bool read = png_image_finish_read(&image, nullptr, picture->rgb.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return read;
}

// A path for this test's output in the test's working directory.
inline std::string OutputPath(const std::string &name) {
    return std::string(::testing::TempDir()) + name;
}

}  // namespace screentest
