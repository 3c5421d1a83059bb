// The stream clock's unit, 100 ns, as FFmpeg's time base: every timestamp
// of the file is rescaled into it.
#pragma once

extern "C" {
#include <libavutil/rational.h>
}

namespace standin::mmstream {

constexpr AVRational kStreamTimeBase{1, 10000000};

}  // namespace standin::mmstream
