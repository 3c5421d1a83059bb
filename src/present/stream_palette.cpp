// streamPalette: captures the stream palette into logPalette and hPalette.
#include <cstdlib>
#include <cstring>

#include "common/surface_desc.h"
#include "present/log_palette.h"
#include "stream/stream_format.h"
#include "stream/stream_sample.h"

namespace {

// Reserved and never collapsed onto another entry, whatever the stream said.
constexpr BYTE kCapturedEntryFlags = PC_RESERVED | PC_NOCOLLAPSE;
constexpr int kRgbBytes = 3;

}  // namespace

int VIDSURF_CALL streamPalette(StreamSample *stream, unsigned char *rgb) {
    if (stream == nullptr) return 0;
    if (stream->ddPalette == nullptr) {
        // A palette not reported at open time may be there now.
        DDSURFACEDESC current = blankSurfaceDesc();
        readStreamFormat(stream, &current, nullptr, nullptr);
    }
    if (stream->ddPalette == nullptr) return 0;

    if (stream->logPalette == nullptr) {
        stream->logPalette = static_cast<LOGPALETTE *>(std::calloc(1, kLogPaletteBytes));
        if (stream->logPalette == nullptr) {
            // Keep "a palette implies a capture": a later call tries again.
            releaseStreamPalette(stream);
            return 0;
        }
    }
    LogPalette256 *captured = fullPalette(stream->logPalette);
    std::memset(captured, 0, kLogPaletteBytes);
    stream->ddPalette->GetEntries(0, 0, kPaletteEntries, captured->palPalEntry);
    captured->palVersion = kLogPaletteVersion;
    captured->palNumEntries = kPaletteEntries;
    for (PALETTEENTRY &entry : captured->palPalEntry) entry.peFlags = kCapturedEntryFlags;

    if (stream->hPalette != nullptr) DeleteObject(stream->hPalette);
    stream->hPalette = CreatePalette(stream->logPalette);

    if (rgb != nullptr) {
        for (const PALETTEENTRY &entry : captured->palPalEntry) {
            rgb[0] = entry.peRed;
            rgb[1] = entry.peGreen;
            rgb[2] = entry.peBlue;
            rgb += kRgbBytes;
        }
    }
    return kPaletteEntries;
}
