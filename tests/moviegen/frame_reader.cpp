// Reads the frame number back from the code blocks of a decoded picture.
#include "moviegen/moviegen.h"

#include "moviegen/code_layout.h"

namespace moviegen {
namespace {

// Mean brightness of the middle half of a cell: the edges may bleed into the
// background under lossy coding, and dithering speckles single pixels.
int CellBrightness(const uint8_t *rgb24, size_t rowBytes, int left, int top, int cell) {
  int from = cell / 4, to = cell - cell / 4;
  long sum = 0, count = 0;
  for (int y = top + from; y < top + to; ++y) {
    const uint8_t *row = rgb24 + static_cast<size_t>(y) * rowBytes;
    for (int x = left + from; x < left + to; ++x) {
      const uint8_t *p = row + static_cast<size_t>(x) * 3;
      sum += p[0] + 2 * p[1] + p[2];
      count += 4;
    }
  }
  return static_cast<int>(sum / count);
}

}  // namespace

int ReadFrameIndex(const uint8_t *rgb24, int width, int height, size_t rowBytes) {
  if (rgb24 == nullptr || width < kMinWidth || height < kMinHeight ||
      rowBytes < static_cast<size_t>(width) * 3)
    return -1;
  CodeLayout layout = CodeLayoutFor(width, height);
  // Clear black or clear white; anything in between is not a code block.
  constexpr int kDarkest = 96, kBrightest = 160;
  bool white[kCodeRows][kCodeColumns];
  for (int row = 0; row < kCodeRows; ++row) {
    for (int column = 0; column < kCodeColumns; ++column) {
      int level = CellBrightness(rgb24, rowBytes, layout.left + column * layout.cell,
                                 layout.top + row * layout.cell, layout.cell);
      if (level > kDarkest && level < kBrightest) return -1;
      white[row][column] = level >= kBrightest;
    }
  }
  int index = 0;
  for (int row = 0; row < 2; ++row) {
    for (int column = 0; column < kCodeColumns; ++column) {
      // The inverted copy must disagree with every bit.
      if (white[row][column] == white[row + 2][column]) return -1;
      index = index * 2 + (white[row][column] ? 1 : 0);
    }
  }
  return index;
}

}  // namespace moviegen
