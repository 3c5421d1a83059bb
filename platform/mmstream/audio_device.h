// SDL audio for the default renderer. Starting SDL audio is done once per
// process and kept: starting and stopping it with every stream cost more
// than opening the movie. It is started again only when SDL_AUDIODRIVER
// names another driver than before and none of its devices is in use.
// Likewise the device a stream lets go of is kept, paused and empty, for
// the next stream: closing a device waits for SDL's device thread to finish
// a buffer (up to 23 ms), and opening one starts that thread again. The
// disk driver's device is closed at once, as its file is complete only then.
#pragma once

#include <cstdint>

namespace standin::mmstream {

// Whether sound can be played: SDL audio started and an output device
// present (or SDL unable to tell). Safe on any thread.
bool AudioHardwarePresent();

// Opens the default output device, paused, for 16-bit interleaved PCM
// (SDL converts to what the device takes); 0 when it cannot.
uint32_t OpenAudioDevice(int rate, int channels);
// Lets go of the device: kept for the next OpenAudioDevice, or closed.
void CloseAudioDevice(uint32_t device);

}  // namespace standin::mmstream
