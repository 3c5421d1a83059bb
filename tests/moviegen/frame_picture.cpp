// The pictures given to the encoders: a background and a moving square that
// change with the frame number, under the frame-number blocks.
#include "moviegen/moviegen.h"

#include <algorithm>

#include "moviegen/code_layout.h"

namespace moviegen {
namespace {

constexpr uint8_t kBlackIndex = 0;
constexpr uint8_t kWhiteIndex = 255;

// 0..255..0 over a period of 512, so that moving gradients stay smooth.
int Triangle(int v) {
  v &= 511;
  return v < 256 ? v : 511 - v;
}

// Position of the moving square along one axis: bounces within [0, span].
int Bounce(int index, int step, int span) {
  if (span <= 0) return 0;
  int p = (index * step) % (2 * span);
  return p <= span ? p : 2 * span - p;
}

struct Square {
  int x, y, size;
};

Square MovingSquare(const MovieRecipe &recipe, int index) {
  int size = CodeLayoutFor(recipe.width, recipe.height).cell;
  int stepX = recipe.width / 40 > 2 ? recipe.width / 40 : 2;
  int stepY = recipe.height / 30 > 2 ? recipe.height / 30 : 2;
  return {Bounce(index, stepX, recipe.width - size), Bounce(index, stepY, recipe.height - size), size};
}

bool Inside(const Square &s, int x, int y) {
  return x >= s.x && x < s.x + s.size && y >= s.y && y < s.y + s.size;
}

// Paints the code grid over a picture with `put(x, y, white)`.
template <typename Put>
void PaintCode(const MovieRecipe &recipe, int index, Put put) {
  CodeLayout layout = CodeLayoutFor(recipe.width, recipe.height);
  for (int row = 0; row < kCodeRows; ++row) {
    for (int column = 0; column < kCodeColumns; ++column) {
      bool white = CellIsWhite(index, row, column);
      for (int y = 0; y < layout.cell; ++y) {
        for (int x = 0; x < layout.cell; ++x) {
          put(layout.left + column * layout.cell + x, layout.top + row * layout.cell + y, white);
        }
      }
    }
  }
}

}  // namespace

std::array<uint32_t, 256> MoviePalette() {
  std::array<uint32_t, 256> palette{};
  // Entries 1..254 take a scrambled order of an offset 3-3-2 cube: all
  // distinct, none black or white, none in the usual fixed palettes.
  for (int k = 1; k < 255; ++k) {
    int j = (k * 167) & 255;
    uint32_t r = ((j & 7) << 5) + 13;
    uint32_t g = (((j >> 3) & 7) << 5) + 7;
    uint32_t b = ((j >> 6) & 3) * 64 + 29;
    palette[k] = (r << 16) | (g << 8) | b;
  }
  palette[kBlackIndex] = 0x000000;
  palette[kWhiteIndex] = 0xFFFFFF;
  return palette;
}

bool FrameIsFlash(const MovieRecipe &recipe, int index) {
  return recipe.flashes && (int64_t{index} * recipe.fpsDen) % recipe.fpsNum == 0;
}

std::vector<uint8_t> FrameIndices(const MovieRecipe &recipe, int index) {
  const int w = recipe.width, h = recipe.height;
  std::vector<uint8_t> pixels(static_cast<size_t>(w) * h);
  Square square = MovingSquare(recipe, index);
  for (int y = 0; y < h && recipe.flashes; ++y) {
    for (int x = 0; x < w; ++x)
      pixels[static_cast<size_t>(y) * w + x] = FrameIsFlash(recipe, index) ? kWhiteIndex : kBlackIndex;
  }
  for (int y = 0; y < h && !recipe.flashes; ++y) {
    for (int x = 0; x < w; ++x) {
      int value = Inside(square, x, y) ? 128 : 1 + ((x / 2) * 7 + (y / 2) * 3 + 5 * index) % 254;
      pixels[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(value);
    }
  }
  PaintCode(recipe, index, [&](int x, int y, bool white) {
    pixels[static_cast<size_t>(y) * w + x] = white ? kWhiteIndex : kBlackIndex;
  });
  return pixels;
}

std::vector<uint8_t> FrameRgb24(const MovieRecipe &recipe, int index) {
  const int w = recipe.width, h = recipe.height;
  std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
  if (KindIsPaletted(recipe.kind)) {
    std::vector<uint8_t> indices = FrameIndices(recipe, index);
    std::array<uint32_t, 256> palette = MoviePalette();
    for (size_t i = 0; i < indices.size(); ++i) {
      uint32_t c = palette[indices[i]];
      rgb[i * 3] = static_cast<uint8_t>(c >> 16);
      rgb[i * 3 + 1] = static_cast<uint8_t>(c >> 8);
      rgb[i * 3 + 2] = static_cast<uint8_t>(c);
    }
    return rgb;
  }
  if (recipe.flashes) std::fill(rgb.begin(), rgb.end(), FrameIsFlash(recipe, index) ? 255 : 0);
  Square square = MovingSquare(recipe, index);
  for (int y = 0; y < h && !recipe.flashes; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t *p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
      if (Inside(square, x, y)) {
        p[0] = 255, p[1] = 160, p[2] = 32;
      } else {
        p[0] = static_cast<uint8_t>(Triangle(2 * x + 7 * index));
        p[1] = static_cast<uint8_t>(Triangle(3 * y + 5 * index + 128));
        p[2] = static_cast<uint8_t>(Triangle(x + 2 * y + 11 * index + 256));
      }
    }
  }
  PaintCode(recipe, index, [&](int x, int y, bool white) {
    uint8_t *p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
    p[0] = p[1] = p[2] = white ? 255 : 0;
  });
  return rgb;
}

}  // namespace moviegen
