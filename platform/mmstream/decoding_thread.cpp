#include "mmstream/decoding_thread.h"

#include <algorithm>
#include <chrono>

extern "C" {
#include <libavutil/pixfmt.h>
}

#include "common/exception_guard.h"
#include "mmstream/fixed_palette.h"
#include "mmstream/surface_writer.h"

namespace standin::mmstream {

namespace {

// A frame less than this far ahead of the clock is written at once.
constexpr STREAM_TIME kEarlyTolerance = 10000;  // 1 ms
// How long a due frame is left to a host that polled this recently.
constexpr std::chrono::nanoseconds kPollerGrace = std::chrono::milliseconds(1);

// A host that polled this recently polls back to back: its taking the
// frame is awaited that long without sleeping, as a sleep and a wake-up
// would cost about as much again.
constexpr std::chrono::nanoseconds kSpinForPoller = std::chrono::microseconds(100);

// While frames take this long to decode, a poll waits this long at most
// for the frame still being decoded.
constexpr std::chrono::nanoseconds kSlowDecode = std::chrono::milliseconds(1);
constexpr std::chrono::nanoseconds kSlowDecodeWait = std::chrono::microseconds(500);

// How long after a frame's start the host is left to present it before the
// next frame is decoded: a quarter of the frame's time, at most this.
constexpr STREAM_TIME kPresentTime = 30000;  // 3 ms

// A decode that runs out of memory is tried again this many times, after
// 1, 2, 4 and 8 ms, before the update waiting for it fails: memory that
// another thread held for a moment is then no failure of the movie's.
constexpr int kMemoryRetries = 4;
constexpr auto kFirstMemoryBackOff = std::chrono::milliseconds(1);

std::chrono::nanoseconds SteadyNow() { return std::chrono::steady_clock::now().time_since_epoch(); }

}  // namespace

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
        KeepSpare(std::move(first.picture));
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
    if (!WriteIfDue(lock, update)) {
        queue_.PushBack(update);
        wake_.notify_all();
    }
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

void DecodingThread::Serve() {
    Lock lock(mutex_);
    while (!shutdown_) {
        const unsigned generation = seekGeneration_;
        if (appliedGeneration_ != generation) {
            const STREAM_TIME target = seekTarget_;
            if (next_) KeepSpare(std::move(next_->picture));
            next_.reset();
            nextPrepared_ = false;
            decodeFrom_ = kNoFrame;
            nextStart_.store(kNoFrame, std::memory_order_relaxed);
            endStatus_ = S_OK;
            endedEarly_ = false;
            failure_ = S_OK;
            lock.unlock();
            const HRESULT hr = GuardExceptions([&] {
                movie_->Seek(target);
                return S_OK;
            });
            lock.lock();
            if (FAILED(hr)) endStatus_ = MS_S_ENDOFSTREAM;
            appliedGeneration_ = generation;
            continue;
        }
        if (!next_ && endStatus_ == S_OK && failure_ == S_OK) {
            if (HoldOff(lock)) continue;
            // Decoded ahead, whether an update waits or not: a host that
            // asks for frames back to back finds the next one ready, while
            // memory stays bounded to that one frame.
            DecodedFrame frame;
            frame.picture = TakeSpare();
            lock.unlock();
            const auto decodeStarted = SteadyNow();
            const HRESULT hr = DecodeNext(&frame);
            // Averaged: frame threads hand out some frames at once and keep
            // the caller waiting milliseconds for the next.
            const int64_t took = (SteadyNow() - decodeStarted).count();
            const int64_t average = decodeNanoseconds_.load(std::memory_order_relaxed);
            decodeNanoseconds_.store(average + (took - average) / 8, std::memory_order_relaxed);
            lock.lock();
            if (decodeWaiters_ > 0) decoded_.notify_all();
            // No memory fails the next update, and the one after decodes
            // again; whatever else ends the data (its end, a decoder or
            // demuxer that gives up) ends the stream. A seek that overtook
            // the decoding makes either moot.
            if (hr == S_OK && generation == seekGeneration_) {
                nextStart_.store(frame.start, std::memory_order_release);
                next_ = std::move(frame);
                continue;
            }
            KeepSpare(std::move(frame.picture));
            if (generation != seekGeneration_) continue;
            if (hr == E_OUTOFMEMORY) {
                failure_ = hr;
            } else {
                endStatus_ = MS_S_ENDOFSTREAM;
                endedEarly_ = movie_->EndedEarly();
            }
            continue;
        }
        if (queue_.Empty()) {
            wake_.wait(lock);
            continue;
        }
        if (writing_) {
            // A caller is writing a frame, maybe for the first update: the
            // painter and that update are taken.
            wake_.wait(lock);
            continue;
        }
        if (failure_ != S_OK) {
            // A failure is reported at once, running or not.
            SampleUpdate &update = queue_.Front();
            queue_.PopFront();
            Complete(update, failure_);
            failure_ = S_OK;
            continue;
        }
        if (endStatus_ != S_OK) {
            // Completes, like a frame, only while the stream runs.
            if (!clock_.Running()) {
                wake_.wait(lock);
                continue;
            }
            // A free clock runs to the end of the movie with its last frame;
            // data cut short ends the movie there, on any clock, rather
            // than showing its last frame until the clock gets there.
            clock_.JumpForward(duration_);
            if (endedEarly_) clock_.SkipForwardTo(duration_);
            SampleUpdate &update = queue_.Front();
            queue_.PopFront();
            Complete(update, endStatus_);
            continue;
        }
        if (WorthPreparing()) {
            PrepareNext(lock);
            continue;
        }
        // A caller may have written the frame meanwhile (after withdrawing
        // the update waiting for it and issuing it again).
        if (!WaitUntilDue(lock, next_->start, generation) || writing_ || !next_) continue;

        // The update stays first in the queue while its frame is written.
        SampleUpdate &update = queue_.Front();
        const HRESULT hr = WriteNext(lock, update, nullptr);
        if (FAILED(hr)) {
            // A frame that cannot be written is dropped: the update waits
            // for the next one.
            update.state = SampleUpdate::State::Queued;
            done_.notify_all();
            continue;
        }
        queue_.PopFront();
        Complete(update, hr);
    }
}

HRESULT DecodingThread::DecodeNext(DecodedFrame *frame) {
    HRESULT hr = S_OK;
    auto backOff = kFirstMemoryBackOff;
    for (int retries = 0;; ++retries, backOff *= 2) {
        hr = GuardExceptions([&] { return movie_->NextFrame(frame); });
        if (hr != E_OUTOFMEMORY || retries == kMemoryRetries) return hr;
        std::this_thread::sleep_for(backOff);
    }
}

bool DecodingThread::MayBeDue() const {
    const STREAM_TIME start = nextStart_.load(std::memory_order_acquire);
    if (start == kNoFrame) return false;
    STREAM_TIME now;
    if (!clock_.Read(&now)) return false;
    return clock_.Free() || start - now < kEarlyTolerance;
}

bool DecodingThread::WriteIfDue(Lock &lock, SampleUpdate &update) {
    const bool queued = update.state == SampleUpdate::State::Queued && !queue_.Empty() && queue_.IsFront(update);
    if (!(queued || queue_.Empty()) || writing_ || !next_ || appliedGeneration_ != seekGeneration_ ||
        !clock_.Running())
        return false;
    clock_.JumpForward(next_->start);
    if (next_->start - clock_.Now() >= kEarlyTolerance) return false;
    // A host's call never waits for a surface another thread holds: the
    // frame is then left to the decoding thread.
    SurfaceWrite target(update.surface, false);
    if (target.Busy()) return false;
    const HRESULT hr = WriteNext(lock, update, &target);
    if (FAILED(hr)) {
        // Dropped, as on the thread: the update waits for the next frame,
        // ahead of any issued meanwhile.
        update.state = SampleUpdate::State::Queued;
        if (!queued) queue_.PushFront(update);
        done_.notify_all();
        return true;
    }
    // Still first: only the writer of a frame takes an update off the queue.
    if (queued) queue_.PopFront();
    Complete(update, hr);
    return true;
}

HRESULT DecodingThread::WriteNext(Lock &lock, SampleUpdate &update, SurfaceWrite *locked) {
    update.state = SampleUpdate::State::Writing;
    writing_ = true;
    DecodedFrame frame = std::move(*next_);
    next_.reset();
    const bool prepared = nextPrepared_;
    nextPrepared_ = false;
    nextStart_.store(kNoFrame, std::memory_order_relaxed);
    painter_.HoldPalette(*frame.picture);
    // On the real clock the following frame is decoded once the host has
    // presented this one (see HoldOff), from now on: woken here, the thread
    // would otherwise decode it next to the host's write and blit.
    if (!clock_.Free()) decodeFrom_ = frame.start + std::min(kPresentTime, (frame.end - frame.start) / 4);
    wake_.notify_all();  // the thread: on the free clock, the following frame to decode meanwhile
    lock.unlock();
    const HRESULT hr = GuardExceptions([&] {
        std::optional<SurfaceWrite> own;
        SurfaceWrite &target = locked ? *locked : own.emplace(update.surface, true);
        HRESULT painted = prepared ? target.Copy(update.rect, prepared_) : S_FALSE;
        if (painted == S_FALSE) painted = target.Paint(update.rect, *frame.picture, painter_);
        target.Unlock();
        return painted;
    });
    if (locked) locked->Unlock();  // also after an exception
    lock.lock();
    writing_ = false;
    // Emptied by the thread when it decodes into it: FFmpeg's buffers are
    // let go where they are made.
    KeepSpare(std::move(frame.picture));
    if (SUCCEEDED(hr)) {
        update.frameStart = frame.start;
        update.frameEnd = frame.end;
    } else {
        decodeFrom_ = kNoFrame;  // dropped: the update waits for the next frame
    }
    wake_.notify_all();  // the thread: the painter is free again
    return hr;
}

bool DecodingThread::HoldOff(Lock &lock) {
    if (decodeFrom_ == kNoFrame) return false;
    STREAM_TIME now;
    // A stopped clock has no host presenting frames to wait for.
    const STREAM_TIME wait = clock_.Read(&now) ? decodeFrom_ - now : 0;
    if (wait <= 0) {
        decodeFrom_ = kNoFrame;
        return false;
    }
    wake_.wait_for(lock, std::chrono::nanoseconds(wait * 100));
    return true;
}

bool DecodingThread::WorthPreparing() const {
    // Only a frame with time to spare before it is due, on a clock that
    // waits for it; palettized frames are copied as they are anyway.
    if (clock_.Free() || nextPrepared_ || !next_ || queue_.Empty() || next_->picture->format == AV_PIX_FMT_PAL8 ||
        !clock_.Running())
        return false;
    return next_->start - clock_.Now() >= kEarlyTolerance;
}

void DecodingThread::PrepareNext(Lock &lock) {
    nextPrepared_ = true;  // tried once, whatever comes of it
    const SampleUpdate &update = queue_.Front();
    DDSURFACEDESC description{};
    description.dwSize = sizeof description;
    const int width = update.rect.right - update.rect.left, height = update.rect.bottom - update.rect.top;
    if (FAILED(update.surface->GetSurfaceDesc(&description))) return;
    // Nobody takes next_ or the painter while writing_ is set.
    writing_ = true;
    const AVFrame &picture = *next_->picture;
    lock.unlock();
    GuardExceptions([&] {
        prepared_.Paint(picture, description.ddpfPixelFormat, width, height, painter_);
        return S_OK;
    });
    lock.lock();
    writing_ = false;
    wake_.notify_all();
}

FramePtr DecodingThread::TakeSpare() {
    for (FramePtr &spare : spares_)
        if (spare) return std::move(spare);
    return nullptr;
}

void DecodingThread::KeepSpare(FramePtr picture) {
    for (FramePtr &spare : spares_) {
        if (!spare) {
            spare = std::move(picture);
            return;
        }
    }
}

bool DecodingThread::SpinUntilTaken(Lock &lock) {
    lock.unlock();
    const auto until = SteadyNow() + kSpinForPoller;
    while (nextStart_.load(std::memory_order_relaxed) != kNoFrame && SteadyNow() < until) std::this_thread::yield();
    lock.lock();
    return !next_;
}

// True once the clock has reached `start`; false when something changed
// meanwhile (a seek, a withdrawn update, shutdown) and the caller should
// look again.
bool DecodingThread::WaitUntilDue(Lock &lock, STREAM_TIME start, unsigned generation) {
    const SampleUpdate *waiting = &queue_.Front();
    for (;;) {
        if (shutdown_ || generation != seekGeneration_ || queue_.Empty() || !queue_.IsFront(*waiting) || !next_)
            return false;
        if (clock_.Running()) {
            clock_.JumpForward(start);
            const STREAM_TIME ahead = start - clock_.Now();
            if (ahead < kEarlyTolerance) {
                // A host polling in a tight loop writes the frame itself
                // (see CompletionStatus) while this thread decodes the
                // next one, so decoding and writing overlap.
                const auto sincePoll =
                    SteadyNow() - std::chrono::nanoseconds(waiting->lastPoll.load(std::memory_order_relaxed));
                if (sincePoll >= kPollerGrace) return true;
                if (sincePoll < kSpinForPoller && SpinUntilTaken(lock)) continue;
                wake_.wait_for(lock, kPollerGrace - sincePoll);
                continue;
            }
            // Looks again at least once a second, so a far-off time cannot
            // overflow the wait. The clock's pace follows the sound.
            wake_.wait_for(lock, std::min<std::chrono::nanoseconds>(clock_.RealTimeTo(start), std::chrono::seconds(1)));
        } else {
            wake_.wait(lock);  // a stopped clock stands still until run or set
        }
    }
}

}  // namespace standin::mmstream
