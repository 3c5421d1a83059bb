#include "mmstream/audio_device.h"

#include <SDL.h>

#include <cstdlib>
#include <mutex>
#include <string>

#include "mmstream/quiet_alsa.h"

namespace standin::mmstream {

namespace {

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

}  // namespace

bool AudioHardwarePresent() {
    AudioSystem &system = System();
    std::lock_guard<std::mutex> lock(system.mutex);
    // A driver with no device at all (ALSA without a sound card) starts
    // fine and lists none; -1 means SDL cannot tell.
    return Start(system) && SDL_GetNumAudioDevices(0) != 0;
}

uint32_t OpenAudioDevice(int rate, int channels) {
    AudioSystem &system = System();
    std::lock_guard<std::mutex> lock(system.mutex);
    if (!Start(system)) return 0;
    SDL_AudioSpec wanted{};
    wanted.freq = rate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = static_cast<Uint8>(channels);
    wanted.samples = 1024;
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device != 0) ++system.openDevices;
    return device;
}

void CloseAudioDevice(uint32_t device) {
    if (device == 0) return;
    // Closing waits for SDL's device thread; other streams need not wait.
    SDL_CloseAudioDevice(device);
    AudioSystem &system = System();
    std::lock_guard<std::mutex> lock(system.mutex);
    --system.openDevices;
}

}  // namespace standin::mmstream
