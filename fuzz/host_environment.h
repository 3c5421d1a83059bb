// The process set-up shared by the fuzz targets and the replayer: one screen
// mode per process, the free clock, silent sound.
#pragma once

namespace fuzzhost {

// Must run before the first movie opens: the stand-in reads VIDSURF_DISPLAY
// once, when the screen is first used. `display` is "WxHxBITS".
void UseHostEnvironment(const char *display);

}  // namespace fuzzhost
