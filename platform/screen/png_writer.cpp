#include "screen/png_writer.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>

#include <png.h>
#include <sys/stat.h>

namespace standin {

namespace {

// libpng reports through these instead of printing: errors jump back to
// the setjmp in EncodeRows, warnings are dropped.
[[noreturn]] void OnPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnPngWarning(png_structp, png_const_charp) {}

HRESULT OpenFailure(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return E_ACCESSDENIED;
    case ENOENT:
    case ENOTDIR:
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    default:
        return E_FAIL;
    }
}

// Only plain data lives in this frame, so the longjmp of an error skips no
// destructor.
bool EncodeRows(std::FILE *file, const RgbImage &image) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const BYTE *row = image.rgb.data();
    for (DWORD y = 0; y < image.height; ++y, row += static_cast<size_t>(image.width) * 3) {
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

HRESULT WritePng(const char *path, const RgbImage &image) {
    if (!path || !*path || image.width == 0 || image.height == 0) return E_INVALIDARG;
    // Only a file this call created is removed after a failed write; an
    // existing path may be a device or someone else's file.
    struct stat before;
    const bool existed = stat(path, &before) == 0;
    std::FILE *file = std::fopen(path, "wb");
    if (!file) return OpenFailure(errno);
    const bool encoded = EncodeRows(file, image);
    const bool closed = std::fclose(file) == 0;
    if (encoded && closed) return S_OK;
    if (!existed) std::remove(path);
    return E_FAIL;
}

}  // namespace standin
