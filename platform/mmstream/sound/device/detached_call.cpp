#include "mmstream/sound/device/detached_call.h"

#include <system_error>
#include <new>

#include "common/exception_guard.h"
#include "mmstream/sound/device/audio_device.h"
#include "mmstream/workers/worker_pool.h"

namespace standin::mmstream {

bool CallDetached(const std::function<void()> &call) {
    try {
        WorkerPool::Shared().Run([call] {
            GuardExceptions([&] {
                call();
                return S_OK;
            });
            ReleaseAudioThreadState();
        });
        return true;
    } catch (const std::system_error &) {
        return false;
    } catch (const std::bad_alloc &) {
        return false;
    }
}

}  // namespace standin::mmstream
