// The stand-in's virtual sound device (SDL_AUDIODRIVER=standin): no sound
// is heard, but samples are taken in real time at the output rate times
// VIDSURF_AUDIO_PACE (default 1; 1.005 takes them 0.5% fast), one buffer
// at a time on a schedule of its own, as a sound card would. Tests and
// benchmarks drive the renderer through it with a pace they know.
#pragma once

#include <memory>

#include "mmstream/sound/device/audio_device.h"

namespace standin::mmstream {

// True when SDL_AUDIODRIVER asks for the virtual device.
bool VirtualAudioRequested();
std::unique_ptr<AudioOutput> OpenVirtualAudio(int rate, int channels, int bufferFrames, AudioFill fill,
                                              void *context);

}  // namespace standin::mmstream
