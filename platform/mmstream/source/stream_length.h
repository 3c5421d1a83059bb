// The end of a stream found from its packets, for lengths FFmpeg only
// guessed from the bit rate (bare elementary streams).
#pragma once

#include <cstdint>

struct AVFormatContext;

namespace standin::mmstream {

// The end of the last packet of stream `streamIndex` of the open `format`,
// in its time base; AV_NOPTS_VALUE if none tells. A second demuxer of the
// same container reads the whole file through `format`'s own I/O context,
// which is then put back where it stood: the file is not opened again, and
// `format`'s demuxer goes on as if nothing had happened (seeking it back to
// the start instead times a bare stream's frames from its second picture).
int64_t ScanLastPacketEnd(AVFormatContext *format, int streamIndex);

}  // namespace standin::mmstream
