// What owns a decoding thread, declared apart so that its owner's header
// need not see the thread's.
#pragma once

#include <memory>

namespace standin::mmstream {

class DecodingThread;

// Letting go of a decoding thread retires it (DecodingThread::Retire).
struct RetireDecodingThread {
    void operator()(DecodingThread *thread) const;
};
using DecodingThreadOwner = std::unique_ptr<DecodingThread, RetireDecodingThread>;

}  // namespace standin::mmstream
