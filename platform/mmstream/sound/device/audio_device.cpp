#include "mmstream/sound/device/audio_device.h"

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <new>
#include <set>
#include <string>

#include "mmstream/sound/audio_link.h"
#include "mmstream/sound/device/audio_opening.h"
#include "mmstream/sound/device/detached_call.h"
#include "mmstream/sound/device/disk_fifo.h"
#include "mmstream/sound/device/quiet_alsa.h"
#include "mmstream/sound/device/virtual_audio_device.h"

namespace standin::mmstream {

namespace {

using Steady = std::chrono::steady_clock;

// Frames per device buffer: 23 ms at 44100 Hz.
constexpr int kBufferFrames = 1024;
// How long a device's close is waited for, at most, by the process's exit
// (and by a change of SDL's driver). SDL's close lets the device play out
// what it holds, two buffers more than the one under way (46 to 70 ms); a
// free does not wait for that, as a host freeing a movie would stall. A
// device that answers has closed, its sound all written (the disk driver's
// file complete), before the process ends; one that takes longer than this
// is stuck and left.
constexpr auto kCloseWait = std::chrono::seconds(1);

struct AudioSystem {
    // Guards everything below and SDL's audio start; never held across a
    // device's open or close, which may not return.
    std::mutex mutex;
    bool tried = false;
    bool started = false;
    std::string driver;  // SDL_AUDIODRIVER it was started with
    // SDL devices asked for and not yet closed: SDL audio is not restarted
    // under them.
    int openDevices = 0;
    // When each SDL open under way was asked for. SDL holds the lock of its
    // device list across an open, so its device count and its other opens
    // wait behind an open that does not return.
    std::multiset<Steady::time_point> opening;
    int deviceCount = -1;  // SDL_GetNumAudioDevices as last read
    // Devices being closed on threads of their own, and when the last of
    // those closes began; `closed` is told as each ends.
    int closing = 0;
    Steady::time_point lastCloseBegan{};
    std::condition_variable closed;
    bool exitWaits = false;  // WaitForClosesAtExit is registered
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

// Waits, with the mutex held by `lock`, until no device is being closed or
// the last close began kCloseWait ago; a close that takes longer is stuck.
void WaitForCloses(AudioSystem &system, std::unique_lock<std::mutex> &lock) {
    while (system.closing > 0) {
        const Steady::time_point until = system.lastCloseBegan + kCloseWait;
        if (Steady::now() >= until) return;
        system.closed.wait_until(lock, until);
    }
}

// At exit: the devices the host freed last are closed before the process
// ends, so their sound is all written and no device thread runs on.
void WaitForClosesAtExit() {
    AudioSystem &system = System();
    std::unique_lock<std::mutex> lock(system.mutex);
    WaitForCloses(system, lock);
}

// Called with the mutex held by `lock`.
bool Start(AudioSystem &system, std::unique_lock<std::mutex> &lock) {
    const std::string driver = RequestedDriver();
    // Another driver is started once the devices the host freed have closed.
    if (system.tried && driver != system.driver && system.openDevices == system.closing) WaitForCloses(system, lock);
    if (system.tried && (driver == system.driver || system.openDevices > 0)) return system.started;
    if (system.started) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    SilenceAlsa();
    // SDL would take SIGINT and SIGTERM for its quit event, and the host
    // would no longer end on Ctrl-C or a kill: they stay the host's.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    system.started = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    system.tried = true;
    system.driver = driver;
    return system.started;
}

// Called with the mutex held. SDL opens one device at a time: while an
// open has gone on for longer than a renderer waits, another would only
// wait behind it.
bool OpenStuck(const AudioSystem &system) {
    return !system.opening.empty() && Steady::now() - *system.opening.begin() > kAudioOpenWait;
}

using OpenMark = std::multiset<Steady::time_point>::iterator;

void EndOpen(OpenMark mark, bool opened) {
    AudioSystem &system = System();
    std::lock_guard<std::mutex> lock(system.mutex);
    system.opening.erase(mark);
    if (!opened) --system.openDevices;
}

// SDL's dummy and disk drivers take one output device at a time: an open
// fails while a freed device is still closing. On the opener's thread:
// true when closes were under way and have ended, so the open may be
// tried again.
bool ClosesEnded() {
    AudioSystem &system = System();
    std::unique_lock<std::mutex> lock(system.mutex);
    if (system.closing == 0) return false;
    WaitForCloses(system, lock);
    return system.closing == 0;
}

// Counts a close that is about to begin on a thread of its own.
void BeginClose() {
    AudioSystem &system = System();
    std::lock_guard<std::mutex> lock(system.mutex);
    ++system.closing;
    system.lastCloseBegan = Steady::now();
    if (!system.exitWaits) system.exitWaits = std::atexit(&WaitForClosesAtExit) == 0;
}

// After SDL_CloseAudioDevice; `counted`: BeginClose counted the close.
void DeviceClosed(bool counted) {
    AudioSystem &system = System();
    {
        std::lock_guard<std::mutex> lock(system.mutex);
        --system.openDevices;
        if (counted) --system.closing;
    }
    system.closed.notify_all();
}

class SdlAudio final : public AudioOutput {
public:
    SdlAudio(int rate, int channels, AudioFill fill, void *context)
        : link_(std::make_shared<AudioLink>(fill, context, channels, rate)) {}

    // On the opener's thread, without the system's mutex: the driver's open
    // may not return. The device's id, 0 when it failed.
    SDL_AudioDeviceID Open(int rate, int channels) {
        SDL_AudioSpec wanted{};
        wanted.freq = rate;
        wanted.format = AUDIO_S16SYS;
        wanted.channels = static_cast<Uint8>(channels);
        wanted.samples = kBufferFrames;
        wanted.callback = &SdlAudio::Callback;
        wanted.userdata = link_.get();
        SDL_AudioSpec obtained{};
        device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
        bufferFrames_ = obtained.samples > 0 ? obtained.samples : kBufferFrames;
        if (device_ != 0) fifo_ = FindDiskFifo();
        return device_;
    }

    ~SdlAudio() override {
        if (device_ == 0) return;
        link_->Detach();  // from here on the device plays silence
        // The close joins SDL's device thread once it has played out what
        // it holds, which takes a few buffers, or for ever when the thread
        // is stuck in the driver's write; the disk driver's close writes
        // what its file still buffers. So it runs on a thread of its own,
        // which keeps the link for SDL's thread until that is gone, and the
        // free goes on at once.
        std::shared_ptr<std::atomic<bool>> closed;
        std::function<void()> close;
        try {
            closed = std::make_shared<std::atomic<bool>>(false);
            close = [device = device_, link = link_, closed] {
                SDL_CloseAudioDevice(device);
                closed->store(true);
                DeviceClosed(true);
            };
        } catch (const std::bad_alloc &) {
            // No memory to close it aside: here, then.
            SDL_CloseAudioDevice(device_);
            DeviceClosed(false);
            return;
        }
        try {
            // A device still stuck on a FIFO when the process exits must
            // not block the exit's flush of its stream.
            UnblockAtExit(fifo_, [closed] { return !closed->load(); });
        } catch (const std::bad_alloc &) {
            // The exit's flush may then block on a stuck disk driver's FIFO.
        }
        BeginClose();
        if (!CallDetached(close)) close();
    }

    void Pause(bool paused) override { SDL_PauseAudioDevice(device_, paused ? 1 : 0); }

private:
    static void SDLCALL Callback(void *userdata, Uint8 *stream, int bytes) {
        auto &link = *static_cast<AudioLink *>(userdata);
        link.Fill(reinterpret_cast<int16_t *>(stream), bytes / (link.Channels() * 2));
    }

    const std::shared_ptr<AudioLink> link_;
    SDL_AudioDeviceID device_ = 0;
    DiskFifo fifo_;  // the disk driver's, when it writes into a FIFO
};

// On the opener's thread.
std::unique_ptr<AudioOutput> OpenSdlAudio(int rate, int channels, AudioFill fill, void *context, OpenMark mark) {
    std::unique_ptr<SdlAudio> audio;
    SDL_AudioDeviceID device = 0;
    try {
        audio = std::make_unique<SdlAudio>(rate, channels, fill, context);
        device = audio->Open(rate, channels);
        if (device == 0 && ClosesEnded()) device = audio->Open(rate, channels);
    } catch (const std::bad_alloc &) {
    }
    EndOpen(mark, device != 0);
    if (device == 0) return nullptr;
    return audio;
}

}  // namespace

void ReleaseAudioThreadState() {
#if SDL_VERSION_ATLEAST(2, 0, 16)
    SDL_TLSCleanup();
#endif
}

bool AudioHardwarePresent() {
    if (VirtualAudioRequested()) return true;
    AudioSystem &system = System();
    std::unique_lock<std::mutex> lock(system.mutex);
    if (!Start(system, lock)) return false;
    // A driver with no device at all (ALSA without a sound card) starts
    // fine and lists none; -1 means SDL cannot tell. While an open is under
    // way SDL's count would wait for it: the count read last stands.
    if (system.opening.empty()) system.deviceCount = SDL_GetNumAudioDevices(0);
    return system.deviceCount != 0;
}

std::shared_ptr<AudioOpening> OpenAudioOutput(int rate, int channels, AudioFill fill, void *context) {
    if (VirtualAudioRequested()) return AudioOpening::Ended(OpenVirtualAudio(rate, channels, kBufferFrames, fill, context));
    AudioSystem &system = System();
    OpenMark mark;
    {
        std::unique_lock<std::mutex> lock(system.mutex);
        if (!Start(system, lock) || OpenStuck(system)) return AudioOpening::Ended(nullptr);
        mark = system.opening.insert(Steady::now());
        ++system.openDevices;  // keeps SDL audio started from here on
    }
    std::shared_ptr<AudioOpening> opening =
        AudioOpening::Start([=] { return OpenSdlAudio(rate, channels, fill, context, mark); });
    if (opening) return opening;
    EndOpen(mark, false);
    return AudioOpening::Ended(nullptr);
}

}  // namespace standin::mmstream
