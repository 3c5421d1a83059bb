// updateSurface, drawSurface and redrawSurface: the current frame onto the
// host's primary surface, at the destination rectangle.
#include "present/back_surface.h"
#include "present/destination_rect.h"
#include "present/surface_lookup.h"
#include "present/translation_table.h"
#include "stream/stream_sample.h"

namespace {

// The whole frame, stretched to `destination`. Nothing else is asked of the
// blit: no clipper, no effects, and it waits while a surface is busy.
void blitFrame(StreamSample *stream, IDirectDrawSurface *primary, RECT destination, IDirectDrawSurface *source) {
    primary->Blt(&destination, source, &stream->frameRect, DDBLT_WAIT, nullptr);
}

// The translated copy when there is one, else the frame itself.
IDirectDrawSurface *presentedSurface(const StreamSample *stream) {
    return stream->backSurface != nullptr ? stream->backSurface : stream->surface;
}

void translateBackSurface(StreamSample *stream, HDC dc) {
    TranslationTable table;
    buildTranslationTable(dc, stream->logPalette, &table);
    ddSurfaceLookup(stream->backSurface, &table);
}

}  // namespace

int VIDSURF_CALL updateSurface(StreamSample *stream, IDirectDrawSurface *primary) {
    if (stream == nullptr) return 0;
    const HDC dc = GetDC(stream->hwnd);
    const RECT destination = destinationRect(stream);
    // The table follows the system palette as it is; nothing is selected.
    // Without a fresh copy the back surface already holds translated
    // indices, which must not be translated a second time.
    if (hasEightBitPalette(stream) && stream->logPalette != nullptr && backupSurface(stream))
        translateBackSurface(stream, dc);
    blitFrame(stream, primary, destination, presentedSurface(stream));
    return ReleaseDC(stream->hwnd, dc);
}

int VIDSURF_CALL drawSurface(StreamSample *stream, IDirectDrawSurface *primary, int realize) {
    if (stream == nullptr) return 0;
    const HDC dc = GetDC(stream->hwnd);
    const RECT destination = destinationRect(stream);
    HPALETTE previous = nullptr;
    if (stream->logPalette != nullptr) {
        if (stream->hPalette != nullptr) DeleteObject(stream->hPalette);
        stream->hPalette = CreatePalette(stream->logPalette);
        // Only ever in the background: the host's foreground palette stays.
        previous = SelectPalette(dc, stream->hPalette, TRUE);
        if (realize != 0) RealizePalette(dc);
        // The table is indexed by stream colours, so it is applied to a
        // fresh copy of the frame, never to an already translated one.
        if (stream->backSurface != nullptr && copyFrameToBackSurface(stream)) translateBackSurface(stream, dc);
    }
    blitFrame(stream, primary, destination, presentedSurface(stream));
    if (previous != nullptr) SelectPalette(dc, previous, TRUE);
    return ReleaseDC(stream->hwnd, dc);
}

int VIDSURF_CALL redrawSurface(StreamSample *stream, IDirectDrawSurface *primary) {
    if (stream == nullptr) return 0;
    const RECT destination = destinationRect(stream);
    const HDC dc = GetDC(stream->hwnd);
    HPALETTE previous = nullptr;
    if (stream->hPalette != nullptr) previous = SelectPalette(dc, stream->hPalette, TRUE);
    // The untranslated frame, even when a translated copy exists.
    blitFrame(stream, primary, destination, stream->surface);
    if (previous != nullptr) SelectPalette(dc, previous, TRUE);
    return ReleaseDC(stream->hwnd, dc);
}
