#include "moviegen/quiet_ffmpeg.h"

#include <mutex>

extern "C" {
#include <libavutil/log.h>
}

namespace moviegen {

void QuietFfmpeg() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

}  // namespace moviegen
