#include "mmstream/audio_device.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "mmstream/quiet_alsa.h"

namespace standin::mmstream {

namespace {

struct DeviceSpec {
    int rate = 0;
    int channels = 0;
};

struct AudioSystem {
    std::mutex mutex;  // guards everything below and SDL's audio start
    bool tried = false;
    bool started = false;
    std::string driver;  // SDL_AUDIODRIVER it was started with
    std::map<SDL_AudioDeviceID, DeviceSpec> inUse;  // by streams
    SDL_AudioDeviceID idle = 0;  // kept for the next stream; 0: none
    DeviceSpec idleSpec;
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
    if (system.tried && (driver == system.driver || !system.inUse.empty())) return system.started;
    system.idle = 0;  // closed by quitting
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
    if (system.idle != 0) {
        if (system.idleSpec.rate == rate && system.idleSpec.channels == channels) {
            system.inUse[system.idle] = system.idleSpec;
            return std::exchange(system.idle, 0);
        }
        // Drivers that have one device (SDL's dummy) open no other beside it.
        SDL_CloseAudioDevice(std::exchange(system.idle, 0));
    }
    SDL_AudioSpec wanted{};
    wanted.freq = rate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = static_cast<Uint8>(channels);
    wanted.samples = 1024;
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device != 0) system.inUse[device] = {rate, channels};
    return device;
}

void CloseAudioDevice(uint32_t device) {
    if (device == 0) return;
    // Paused and emptied it is as good as a new one: nothing of this
    // stream's sound is left for the next.
    SDL_PauseAudioDevice(device, 1);
    SDL_ClearQueuedAudio(device);
    SDL_AudioDeviceID closing = device;
    {
        AudioSystem &system = System();
        std::lock_guard<std::mutex> lock(system.mutex);
        const auto found = system.inUse.find(device);
        // The disk driver's file is complete only once its device closes.
        const char *driver = SDL_GetCurrentAudioDriver();
        if (found != system.inUse.end() && !(driver && std::strcmp(driver, "disk") == 0)) {
            std::swap(closing, system.idle);
            system.idleSpec = found->second;
        }
        if (found != system.inUse.end()) system.inUse.erase(found);
    }
    // Closing waits for SDL's device thread; other streams need not wait.
    if (closing != 0) SDL_CloseAudioDevice(closing);
}

}  // namespace standin::mmstream
