// FFmpeg decodes GIF frames to 32-bit colour; the file's global colour
// table gives back the palette they were drawn from.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace standin::mmstream {

// Reads the global colour table from the start of a GIF file (as 0x00RRGGBB
// entries; missing ones stay black). False when there is none.
bool ReadGifColourTable(const uint8_t *data, size_t size, std::array<uint32_t, 256> *palette);

}  // namespace standin::mmstream
