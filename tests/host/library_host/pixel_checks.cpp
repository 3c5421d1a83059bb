#include "pixel_checks.h"

#include <cstring>
#include <string>
#include <vector>

#include <vidsurf.h>

#include "check.h"

namespace {

// A byte for each pixel that tells its row and column apart.
unsigned char PatternByte(int x, int y) { return static_cast<unsigned char>(x * 7 + y * 13 + 1); }

// Whether the top-left `width` bytes of the screen's first `height` rows
// hold the pattern: a record without a window redraws its frame there, at
// its own size, byte for byte.
bool ScreenHoldsPattern(IDirectDrawSurface *primary, int width, int height) {
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    if (primary->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) return false;
    bool same = true;
    for (int y = 0; y < height && same; ++y) {
        const auto *row = static_cast<const unsigned char *>(desc.lpSurface) + y * desc.lPitch;
        for (int x = 0; x < width && same; ++x) same = row[x] == PatternByte(x, y);
    }
    primary->Unlock(nullptr);
    return same;
}

}  // namespace

void CheckPixelRoundTrip(IDirectDraw *dd, IDirectDrawSurface *primary, const TestMovie &movie, DWORD screenBits) {
    const std::string where = movie.name + " pixels on " + std::to_string(screenBits) + "-bit";
    StreamSample *stream = createStreamSample(movie.path.c_str(), nullptr, dd);
    Check(stream != nullptr, where + ": createStreamSample");
    if (stream == nullptr) return;

    int width = -1, height = -1, bits = -1, pitch = -1;
    Check(streamImageInfo(stream, &width, &height, &bits, &pitch) == 1, where + ": streamImageInfo");
    int rectWidth = -1, rectHeight = -1;
    streamRect(stream, &rectWidth, &rectHeight);
    Check(width == movie.recipe.width && height == movie.recipe.height && width == rectWidth &&
              height == rectHeight,
          where + ": streamImageInfo and streamRect give the frame size");
    Check(bits == static_cast<int>(screenBits), where + ": the frame has the screen's depth");
    // The test movies have an odd width, so even 8-bit rows are padded.
    Check(pitch >= width * bits / 8 && pitch > width, where + ": the pitch covers a row and is padded");

    std::vector<unsigned char> block(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) block[static_cast<size_t>(y) * width + x] = PatternByte(x, y);
    Check(streamImageData(stream, block.data()) == 1, where + ": streamImageData");
    Check(redrawSurface(stream, primary) == 1, where + ": redrawSurface releases its device context");
    Check(ScreenHoldsPattern(primary, width, height), where + ": the written bytes come back off the screen");

    freeStreamSample(stream);
}
