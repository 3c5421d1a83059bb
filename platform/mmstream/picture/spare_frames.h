// Pictures already written, kept for the next decodes: one frame being
// written and one decoded ahead leave at most two of them. Guarded by the
// decoding thread's mutex.
#pragma once

#include <array>

#include "mmstream/picture/decoded_frame.h"

namespace standin::mmstream {

class SpareFrames {
public:
    // A kept picture, or null when none is.
    FramePtr Take() {
        for (FramePtr &spare : spares_)
            if (spare) return std::move(spare);
        return nullptr;
    }
    // Keeps a written picture for reuse (frees it if no slot is free).
    void Keep(FramePtr picture) {
        for (FramePtr &spare : spares_) {
            if (!spare) {
                spare = std::move(picture);
                return;
            }
        }
    }

private:
    std::array<FramePtr, 2> spares_;
};

}  // namespace standin::mmstream
