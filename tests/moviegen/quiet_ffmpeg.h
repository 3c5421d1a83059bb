// FFmpeg logs to standard error by default; the generator stays silent.
#pragma once

namespace moviegen {

// Sets FFmpeg's log level to quiet, once per process.
void QuietFfmpeg();

}  // namespace moviegen
