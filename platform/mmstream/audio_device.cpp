#include "mmstream/audio_device.h"

#include <SDL.h>

#include <cstdlib>
#include <mutex>
#include <string>

#include "mmstream/quiet_alsa.h"
#include "mmstream/virtual_audio_device.h"

namespace standin::mmstream {

namespace {

// Frames per device buffer: 23 ms at 44100 Hz.
constexpr int kBufferFrames = 1024;

struct AudioSystem {
    std::mutex mutex;  // guards everything below and SDL's audio start
    bool tried = false;
    bool started = false;
    std::string driver;  // SDL_AUDIODRIVER it was started with
    int openDevices = 0;
};

// Never destroyed: renderers may close devices while statics go away.
AudioSystem &System() {
    static AudioSystem *system = new AudioSystem;
    return *system;
}

std::string RequestedDriver() {
    const char *name = std::getenv("SDL_AUDIODRIVER");
    return name ? name : "";
}

// Called with the mutex held.
bool Start(AudioSystem &system) {
    const std::string driver = RequestedDriver();
    if (system.tried && (driver == system.driver || system.openDevices > 0)) return system.started;
    if (system.started) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    SilenceAlsa();
    system.started = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    system.tried = true;
    system.driver = driver;
    return system.started;
}

class SdlAudio final : public AudioOutput {
public:
    SdlAudio(AudioFill fill, void *context) : fill_(fill), context_(context) {}

    // Called with the system's mutex held.
    bool Open(int rate, int channels) {
        SDL_AudioSpec wanted{};
        wanted.freq = rate;
        wanted.format = AUDIO_S16SYS;
        wanted.channels = static_cast<Uint8>(channels);
        wanted.samples = kBufferFrames;
        wanted.callback = &SdlAudio::Callback;
        wanted.userdata = this;
        SDL_AudioSpec obtained{};
        device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
        if (device_ == 0) return false;
        rate_ = rate;
        channels_ = channels;
        bufferFrames_ = obtained.samples > 0 ? obtained.samples : kBufferFrames;
        ++System().openDevices;
        return true;
    }

    ~SdlAudio() override {
        if (device_ == 0) return;
        // Closing waits for SDL's device thread; other streams need not wait.
        SDL_CloseAudioDevice(device_);
        AudioSystem &system = System();
        std::lock_guard<std::mutex> lock(system.mutex);
        --system.openDevices;
    }

    void Pause(bool paused) override { SDL_PauseAudioDevice(device_, paused ? 1 : 0); }

private:
    static void SDLCALL Callback(void *self, Uint8 *stream, int bytes) {
        auto &audio = *static_cast<SdlAudio *>(self);
        const int frames = bytes / (audio.channels_ * 2);
        auto *samples = reinterpret_cast<int16_t *>(stream);
        audio.fill_(audio.context_, samples, frames);
        NotifyAudioTaken(samples, frames, audio.channels_, audio.rate_);
    }

    const AudioFill fill_;
    void *const context_;
    SDL_AudioDeviceID device_ = 0;
    int rate_ = 0;
    int channels_ = 0;
};

}  // namespace

void ReleaseAudioThreadState() {
#if SDL_VERSION_ATLEAST(2, 0, 16)
    SDL_TLSCleanup();
#endif
}

bool AudioHardwarePresent() {
    if (VirtualAudioRequested()) return true;
    AudioSystem &system = System();
    std::lock_guard<std::mutex> lock(system.mutex);
    // A driver with no device at all (ALSA without a sound card) starts
    // fine and lists none; -1 means SDL cannot tell.
    return Start(system) && SDL_GetNumAudioDevices(0) != 0;
}

std::unique_ptr<AudioOutput> OpenAudioOutput(int rate, int channels, AudioFill fill, void *context) {
    if (VirtualAudioRequested()) return OpenVirtualAudio(rate, channels, kBufferFrames, fill, context);
    AudioSystem &system = System();
    std::lock_guard<std::mutex> lock(system.mutex);
    if (!Start(system)) return nullptr;
    auto audio = std::make_unique<SdlAudio>(fill, context);
    if (!audio->Open(rate, channels)) return nullptr;
    return audio;
}

}  // namespace standin::mmstream
