// The decoding thread's start and end, and the calls of its samples and
// of its multimedia stream.
#include "mmstream/picture/decoding_thread.h"

#include <chrono>

#include "common/exception_guard.h"
#include "mmstream/fixed_palette.h"
#include "mmstream/picture/decode_timing.h"

namespace standin::mmstream {

using namespace timing;

DecodingThread::DecodingThread(std::unique_ptr<MovieFile> movie, StreamClock &clock)
    : movie_(std::move(movie)), clock_(clock), duration_(movie_->Info().duration),
      painter_(movie_->Info().palettized ? movie_->Info().palette : FixedPalette()),
      frameThreads_(movie_->DecodesOnFrameThreads()) {
    // The first frame was decoded when the movie opened: taken now, it is
    // ready for the first update, which need not wait for the thread to
    // start.
    DecodedFrame first;
    if (movie_->NextFrame(&first) == S_OK) {
        nextStart_.store(first.start, std::memory_order_relaxed);
        next_ = std::move(first);
    } else {
        spares_.Keep(std::move(first.picture));
        endStatus_ = MS_S_ENDOFSTREAM;
    }
    thread_ = std::thread([this] {
        GuardExceptions([this] {
            Serve();
            return S_OK;
        });
    });
}

DecodingThread::~DecodingThread() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        shutdown_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

HRESULT DecodingThread::Update(SampleUpdate &update, bool async) {
    Lock lock(mutex_);
    if (update.Pending()) return MS_E_BUSY;
    update.state = SampleUpdate::State::Queued;
    update.status = MS_S_PENDING;
    update.mayBePending.store(true, std::memory_order_relaxed);
    // Queued first: written at once when it is first in line and its frame
    // is due.
    queue_.PushBack(update);
    if (!WriteIfDue(lock, update)) wake_.notify_all();
    if (async) return MS_S_PENDING;
    done_.wait(lock, [&] { return !update.Pending(); });
    return update.status;
}

HRESULT DecodingThread::CompletionStatus(SampleUpdate &update, DWORD flags, DWORD milliseconds) {
    // A poll that neither waits nor withdraws: an update still in flight
    // answers at once. One that just finished is found by the next poll.
    const bool pollOnly = milliseconds == 0 && !(flags & (COMPSTAT_NOUPDATEOK | COMPSTAT_ABORT));
    if (pollOnly) update.lastPoll.store(SteadyNow().count(), std::memory_order_relaxed);
    if (pollOnly && update.mayBePending.load(std::memory_order_acquire) && !MayBeDue()) {
        // While the frame is still being decoded, a host that polls in a
        // tight loop leaves its core to the decoding thread. Not while it
        // only waits for the frame's time: a yield to a busy thread on the
        // same core can cost the host a whole scheduler tick (4 ms).
        if (nextStart_.load(std::memory_order_relaxed) != kNoFrame) return MS_S_PENDING;
        if (!frameThreads_ && decodeNanoseconds_.load(std::memory_order_relaxed) < kSlowDecode.count()) {
            std::this_thread::yield();
            return MS_S_PENDING;
        }
        // Frames that take milliseconds on average, or that the decoder's
        // own threads decode, are waited for asleep, a moment at most, and
        // taken as soon as they are decoded: a yielding host would keep
        // its core looking busy while the decoder's threads need it (a
        // thousand yields a frame at 720p; at 640x480 a sixth of the
        // frame rate), and waking it every few microseconds costs as much.
        Lock lock(mutex_);
        ++decodeWaiters_;
        decoded_.wait_for(lock, kSlowDecodeWait, [&] { return next_ || endStatus_ != S_OK || failure_ != S_OK || !update.Pending(); });
        --decodeWaiters_;
    }
    Lock lock(mutex_);
    if (update.state == SampleUpdate::State::Never) return S_OK;
    // A due frame is written by the polling thread itself, which is awake
    // anyway, rather than after the decoding thread's wake-up.
    if (update.state == SampleUpdate::State::Queued && pollOnly) WriteIfDue(lock, update);
    // Called from inside the surface's Lock or Unlock for this very update,
    // a wait or a withdrawal would wait for its own caller: it is pending.
    if (update.state == SampleUpdate::State::Writing && writer_ == std::this_thread::get_id()) return MS_S_PENDING;
    if (update.Pending() && (flags & COMPSTAT_WAIT)) {
        auto finished = [&] { return !update.Pending(); };
        if (milliseconds == INFINITE)
            done_.wait(lock, finished);
        else
            done_.wait_for(lock, std::chrono::milliseconds(milliseconds), finished);
    }
    if (update.Pending() && (flags & (COMPSTAT_NOUPDATEOK | COMPSTAT_ABORT))) WithdrawLocked(lock, update);
    return update.Pending() ? MS_S_PENDING : update.status;
}

void DecodingThread::Withdraw(SampleUpdate &update) {
    Lock lock(mutex_);
    WithdrawLocked(lock, update);
}

void DecodingThread::WithdrawLocked(Lock &lock, SampleUpdate &update) {
    // A frame already on its way into the surface is let finish; a frame
    // that could not be written leaves the update queued again.
    done_.wait(lock, [&] { return update.state != SampleUpdate::State::Writing; });
    if (update.state == SampleUpdate::State::Queued) {
        queue_.Remove(update);
        update.state = SampleUpdate::State::Done;
        update.status = MS_S_NOUPDATE;
        update.mayBePending.store(false, std::memory_order_release);
        wake_.notify_all();
        done_.notify_all();
    }
}

HRESULT DecodingThread::SetRect(SampleUpdate &update, const RECT &rect) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (update.Pending()) return MS_E_BUSY;
    update.rect = rect;
    return S_OK;
}

void DecodingThread::Rect(const SampleUpdate &update, RECT *rect) const {
    std::lock_guard<std::mutex> lock(mutex_);
    *rect = update.rect;
}

void DecodingThread::Times(const SampleUpdate &update, STREAM_TIME *start, STREAM_TIME *end) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (start) *start = update.frameStart;
    if (end) *end = update.frameEnd;
}

void DecodingThread::Seek(STREAM_TIME position) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        clock_.Set(position);
        seekTarget_ = position;
        ++seekGeneration_;
    }
    wake_.notify_all();
}

void DecodingThread::ClockChanged() {
    // Taking the mutex orders the change before the thread's next look at
    // the clock, so the wake-up cannot be lost.
    { std::lock_guard<std::mutex> lock(mutex_); }
    wake_.notify_all();
}

void DecodingThread::Complete(SampleUpdate &update, HRESULT status) {
    update.state = SampleUpdate::State::Done;
    update.status = status;
    update.mayBePending.store(false, std::memory_order_release);
    done_.notify_all();
}

}  // namespace standin::mmstream
