#include "frame_checks.h"

#include "check.h"
#include "surface_picture.h"

void CheckFrame(const TestMovie &movie, int index, IDirectDrawSurface *surface, const PALETTEENTRY *palette,
                const std::string &where) {
    const std::string what = where + ": frame " + std::to_string(index);
    SurfacePicture picture;
    if (!ReadSurface(surface, &picture)) {
        Check(false, what + ": Lock");
        return;
    }
    if (picture.width != movie.recipe.width || picture.height != movie.recipe.height) {
        Check(false, what + ": surface size");
        return;
    }
    const bool eightBit = picture.bytesPerPixel == 1;
    if (eightBit && moviegen::KindIsPaletted(movie.recipe.kind)) {
        Check(picture.pixels == moviegen::FrameIndices(movie.recipe, index), what + ": exact palette indices");
    } else if (!eightBit && moviegen::KindIsLossless(movie.recipe.kind)) {
        Check(PictureRgb24(picture, palette) == moviegen::FrameRgb24(movie.recipe, index), what + ": exact pixels");
    } else {
        const std::vector<uint8_t> rgb = PictureRgb24(picture, palette);
        const int shown = moviegen::ReadFrameIndex(rgb.data(), picture.width, picture.height,
                                                   static_cast<size_t>(picture.width) * 3);
        Check(shown == index, what + ": frame number in the picture is " + std::to_string(shown));
    }
}
