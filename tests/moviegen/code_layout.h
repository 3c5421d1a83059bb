// Where the frame-number blocks sit in a picture: shared by the painter and
// the reader, which must agree on it from the picture size alone.
#pragma once

namespace moviegen {

// A grid of square cells: the top two rows hold the frame number in binary
// (most significant bit first, white = 1), the bottom two its inverse.
constexpr int kCodeColumns = 6;
constexpr int kCodeRows = 4;
constexpr int kCodeBits = kCodeColumns * kCodeRows / 2;
constexpr int kMinCell = 8;
constexpr int kMinWidth = 64;
constexpr int kMinHeight = 48;

struct CodeLayout {
  int cell;  // side of a cell in pixels, a multiple of 8
  int left;  // top-left corner of the grid, on the 8-pixel block grid
  int top;
};

// Cells of 8 pixels or more, aligned to 8x8 blocks so that block-based
// codecs see uniform blocks; larger in larger frames.
inline CodeLayout CodeLayoutFor(int width, int height) {
  int fit = width / 10 < height / 8 ? width / 10 : height / 8;
  int cell = fit / 8 * 8;
  if (cell < kMinCell) cell = kMinCell;
  CodeLayout layout;
  layout.cell = cell;
  layout.left = (width - kCodeColumns * cell) / 2 / 8 * 8;
  layout.top = (height - kCodeRows * cell) / 2 / 8 * 8;
  return layout;
}

// Whether cell (row, column) is white in frame `index`.
inline bool CellIsWhite(int index, int row, int column) {
  int bitNumber = (row % 2) * kCodeColumns + column;  // 0 = most significant
  bool bit = (index >> (kCodeBits - 1 - bitNumber)) & 1;
  return row < 2 ? bit : !bit;
}

}  // namespace moviegen
