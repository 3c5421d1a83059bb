// Painting a true-colour frame ahead, while it is not due yet, in the
// layout and size of the surface of the update first in line.
#include "mmstream/picture/decoding_thread.h"

extern "C" {
#include <libavutil/pixfmt.h>
}

#include "common/exception_guard.h"
#include "mmstream/picture/decode_timing.h"

namespace standin::mmstream {

using namespace timing;

bool DecodingThread::WorthPreparing() const {
    // Only a frame with time to spare before it is due, on a clock that
    // waits for it; palettized frames are copied as they are anyway.
    if (clock_.Free() || nextPrepared_ || !next_ || queue_.Empty() || next_->picture->format == AV_PIX_FMT_PAL8 ||
        !clock_.Running())
        return false;
    return next_->start - clock_.Now() >= kEarlyTolerance;
}

void DecodingThread::PrepareNext(Lock &lock) {
    nextPrepared_ = true;  // tried once, whatever comes of it
    // The format the surface was described with when the sample was made:
    // the host's surface is not called with the mutex held.
    const SampleUpdate &update = queue_.Front();
    const DDPIXELFORMAT format = update.pixelFormat;
    const int width = update.rect.right - update.rect.left, height = update.rect.bottom - update.rect.top;
    // Nobody takes next_ or the painter while writing_ is set.
    writing_ = true;
    const AVFrame &picture = *next_->picture;
    Away(lock, [&] {
        GuardExceptions([&] {
            prepared_.Paint(picture, format, width, height, painter_);
            return S_OK;
        });
    });
    writing_ = false;
    wake_.notify_all();
}

}  // namespace standin::mmstream
