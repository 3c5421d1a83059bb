// Sound output for the default renderer: an SDL2 audio device, or the
// stand-in's virtual device when SDL_AUDIODRIVER names "standin".
//
// Either way the device calls the renderer back on its own thread for each
// buffer it takes, and the host's audio watcher (StandinWatchAudio) sees
// the buffer right after. Starting SDL audio is done once per process and
// kept: starting and stopping it with every stream cost more than opening
// the movie. It is started again only when SDL_AUDIODRIVER names another
// driver than before and none of its devices is open.
//
// A device never stalls anything but its own sound: SDL's devices are
// opened and closed on threads of their own (audio_opening.h,
// detached_call.h), no lock of the process is held across an open or a
// close, and a device left behind by its renderer calls it no more
// (audio_link.h).
#pragma once

#include <cstdint>
#include <memory>

namespace standin::mmstream {

// Fills `frames` frames of 16-bit interleaved samples, on the device's
// thread.
using AudioFill = void (*)(void *context, int16_t *samples, int frames);

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Stops (true) or starts (false) taking buffers; a device opens paused.
    virtual void Pause(bool paused) = 0;
    // The frames the device takes at a time: the sound it holds before it
    // is heard.
    int BufferFrames() const { return bufferFrames_; }

protected:
    int bufferFrames_ = 0;
};

class AudioOpening;

// Whether sound can be played: the virtual device chosen, or SDL audio
// started and an output device present (or SDL unable to tell). Safe on
// any thread; never waits on a device's open.
bool AudioHardwarePresent();

// Starts opening the default output for 16-bit interleaved PCM (SDL
// converts to what the device takes), paused; its Take gives the device,
// or null when it cannot be had in time. Closing the device (destroying
// it) waits for nothing: it closes on a thread of its own, and the
// process's exit waits for such closes a bounded time.
std::shared_ptr<AudioOpening> OpenAudioOutput(int rate, int channels, AudioFill fill, void *context);

// Lets go of what SDL keeps for the calling thread (the storage of its last
// error message): a thread SDL did not start keeps it past its end unless
// it calls this before it ends, having opened or paused a device.
void ReleaseAudioThreadState();

// Calls the host's audio watcher, if any, with a buffer the device took.
void NotifyAudioTaken(const int16_t *samples, int frames, int channels, int rate);

}  // namespace standin::mmstream
