#include "mmstream/sound/device/detached_call.h"

#include <pthread.h>
#include <signal.h>

#include <system_error>
#include <thread>

#include "common/exception_guard.h"
#include "mmstream/sound/device/audio_device.h"

namespace standin::mmstream {

bool CallDetached(const std::function<void()> &call) {
    try {
        std::thread([call] {
            sigset_t pipe;
            sigemptyset(&pipe);
            sigaddset(&pipe, SIGPIPE);
            pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
            GuardExceptions([&] {
                call();
                return S_OK;
            });
            ReleaseAudioThreadState();
        }).detach();
        return true;
    } catch (const std::system_error &) {
        return false;
    } catch (const std::bad_alloc &) {
        return false;
    }
}

}  // namespace standin::mmstream
