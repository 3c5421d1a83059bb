// The decoding thread's start and end, and the calls of its samples and
// of its multimedia stream.
#include "mmstream/picture/decoding_thread.h"

#include <chrono>

#include "common/exception_guard.h"
#include "mmstream/palette/fixed_palette.h"
#include "mmstream/picture/decode_timing.h"
#include "mmstream/workers/worker_pool.h"

namespace standin::mmstream {

using namespace timing;

DecodingThread::DecodingThread(std::unique_ptr<MovieFile> movie, StreamClock &clock, HANDLE endOfStream)
    : movie_(std::move(movie)), clock_(clock), duration_(movie_->Info().duration),
      painter_(movie_->Info().palettized ? movie_->Info().palette : FixedPalette()),
      frameThreads_(movie_->DecodesOnFrameThreads()), endOfStream_(endOfStream) {
    // A seek of the clock before the movie opened does not move its first frame.
    appliedSeek_ = answeredSeek_ = clock_.Placed().seekSerial;
    // The first frame was decoded when the movie opened: taken now, it is
    // ready for the first update, which need not wait for the thread to
    // start.
    DecodedFrame first;
    if (movie_->NextFrame(&first) == S_OK) {
        nextStart_.store(first.start, std::memory_order_relaxed);
        next_ = std::move(first);
    } else {
        spares_.Keep(std::move(first.picture));
        end_ = End::kMet;
    }
}

DecodingThread::Owner DecodingThread::Start(std::unique_ptr<MovieFile> movie, StreamClock &clock, HANDLE endOfStream) {
    auto *thread = new DecodingThread(std::move(movie), clock, endOfStream);
    try {
        WorkerPool::Shared().Run([thread] { thread->ServeThenLetGo(); });
    } catch (...) {
        delete thread;
        throw;
    }
    return Owner(thread);
}

void DecodingThread::ServeThenLetGo() {
    GuardExceptions([this] {
        Serve();
        return S_OK;
    });
    Lock lock(mutex_);
    served_ = true;
    retiring_.notify_all();
    // Serve returns once retired, or on an exception: then the record
    // plays no more, and its owner still has to let go.
    retiring_.wait(lock, [&] { return retired_; });
    lock.unlock();
    delete this;
}

void RetireDecodingThread::operator()(DecodingThread *thread) const { thread->Retire(); }

void DecodingThread::Retire() {
    std::shared_ptr<MovieSource> source;
    {
        Lock lock(mutex_);
        shutdown_ = true;
        wake_.notify_all();
        retiring_.wait(lock, [&] { return served_ || away_; });
        source = movie_->Source();
        retired_ = true;
        retiring_.notify_all();
    }
    // A read in flight finishes first; the decoder then finds the end of
    // the data.
    source->CloseFile();
}

HRESULT DecodingThread::Update(SampleUpdate &update, const Request &request) {
    Lock lock(mutex_);
    if (update.Pending()) return MS_E_BUSY;
    update.continuous = request.continuous;
    update.wroteFrame = false;
    update.event = request.event;
    // Once the end was met (and no seek since), an update is answered at
    // once, as on Windows, rather than queued for the thread to answer.
    if (AtEnd()) {
        AnswerEnd(update);
        return update.status;
    }
    update.state = SampleUpdate::State::Queued;
    update.status = MS_S_PENDING;
    update.mayBePending.store(true, std::memory_order_relaxed);
    // Queued first: written at once when it is first in line and its frame
    // is due.
    queue_.PushBack(update);
    if (!WriteIfDue(lock, update)) wake_.notify_all();
    if (request.async) return MS_S_PENDING;
    // A synchronous continuous update returns once its first frame is in
    // the surface (S_OK) and goes on, also when it has ended meanwhile (its
    // outcome is CompletionStatus's); one that ends before any frame (at
    // the end, a stop, an abort) returns how it ended.
    const bool continuous = request.continuous;
    done_.wait(lock, [&] { return !update.Pending() || (continuous && update.wroteFrame); });
    return continuous && update.wroteFrame ? S_OK : update.status;
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
        decoded_.wait_for(lock, kSlowDecodeWait, [&] { return next_ || Ended() || failure_ != S_OK || !update.Pending(); });
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
    // A withdrawal never waits for a frame, with COMPSTAT_WAIT or not: a
    // host aborting after a stop would otherwise wait out its timeout.
    if (update.Pending() && (flags & (COMPSTAT_NOUPDATEOK | COMPSTAT_ABORT))) {
        WithdrawLocked(lock, update);
    } else if (update.Pending() && (flags & COMPSTAT_WAIT)) {
        auto finished = [&] { return !update.Pending(); };
        if (milliseconds == INFINITE)
            done_.wait(lock, finished);
        else
            done_.wait_for(lock, std::chrono::milliseconds(milliseconds), finished);
    }
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
        Complete(update, MS_S_NOUPDATE);
        wake_.notify_all();
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

void DecodingThread::ClockChanged() {
    // Taking the mutex orders the change before the thread's next look at
    // the clock, so the wake-up cannot be lost.
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const StreamClock::Placement placing = clock_.Placed();
        if (placing.seekSerial != answeredSeek_) {
            // The end met before the seek is the end no more.
            answeredSeek_ = placing.seekSerial;
            if (endOfStream_) ResetEvent(endOfStream_);
            endSignalled_ = false;
        }
        if (!placing.running && placing.serial != placing.seekSerial) {
            // A stop ends continuous updates: with the frame last written,
            // or none. One whose frame is on its way completes with it.
            queue_.ForEach([&](SampleUpdate &update) {
                if (!update.continuous) return;
                update.continuous = false;
                if (update.state != SampleUpdate::State::Queued) return;
                queue_.Remove(update);
                Complete(update, update.wroteFrame ? S_OK : MS_S_NOUPDATE);
            });
        }
    }
    wake_.notify_all();
}

bool DecodingThread::SeekPending(unsigned *serial) const {
    const StreamClock::Placement placing = clock_.Placed();
    if (serial) *serial = placing.serial;
    return placing.seekSerial != appliedSeek_;
}

bool DecodingThread::AtEnd() const {
    return Ended() && !SeekPending() && clock_.Running();
}

void DecodingThread::AnswerEnd(SampleUpdate &update) {
    // A free clock runs to the end of the movie with its last frame; data
    // cut short ends the movie there, on any clock, rather than showing
    // its last frame until the clock gets there. Not after a seek the
    // thread has yet to apply.
    unsigned serial = 0;
    if (!SeekPending(&serial)) {
        clock_.JumpForward(duration_, serial);
        if (end_ == End::kCutShort) clock_.SkipForwardTo(duration_, serial);
    }
    Complete(update, MS_S_ENDOFSTREAM);
    SignalEnd();
}

void DecodingThread::SignalEnd() {
    if (endSignalled_) return;
    endSignalled_ = true;
    if (endOfStream_) SetEvent(endOfStream_);
}

void DecodingThread::FrameWritten(SampleUpdate &update, HRESULT status) {
    queue_.PopFront();
    update.wroteFrame = true;
    if (!update.continuous) {
        Complete(update, status);
        return;
    }
    // The next frame, after the other samples' updates have had theirs.
    update.state = SampleUpdate::State::Queued;
    queue_.PushBack(update);
    wake_.notify_all();
    done_.notify_all();
}

void DecodingThread::Complete(SampleUpdate &update, HRESULT status) {
    update.state = SampleUpdate::State::Done;
    update.status = status;
    update.continuous = false;
    update.mayBePending.store(false, std::memory_order_release);
    // The host's event; one it closed meanwhile is no longer found.
    if (update.event) SetEvent(update.event);
    update.event = nullptr;
    done_.notify_all();
}

}  // namespace standin::mmstream
