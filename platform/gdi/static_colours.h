// The twenty static colours that Windows reserves in an 8-bit system
// palette: ten at its start and ten at its end.
#pragma once

#include <windows.h>

namespace standin {

constexpr int kStaticColourCount = 20;
constexpr int kFirstFreeSystemIndex = 10;
constexpr int kLastFreeSystemIndex = 245;

// In stock-palette order: system entries 0-9, then 246-255.
extern const PALETTEENTRY kStaticColours[kStaticColourCount];

// System palette index of static colour i (0..19).
constexpr int StaticColourSystemIndex(int i) { return i < 10 ? i : i + 236; }

}  // namespace standin
