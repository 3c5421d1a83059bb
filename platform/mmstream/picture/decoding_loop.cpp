// The decoding thread's loop: seeks, decoding ahead, holding off while a
// host presents, and serving the update first in line when its frame is
// due.
#include "mmstream/picture/decoding_thread.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include "common/exception_guard.h"
#include "mmstream/picture/decode_timing.h"

namespace standin::mmstream {

using namespace timing;

void DecodingThread::Serve() {
    Lock lock(mutex_);
    while (!shutdown_) {
        const StreamClock::Placement placing = clock_.Placed();
        if (placing.seekSerial != appliedSeek_) {
            const STREAM_TIME target = placing.seekTarget;
            if (next_) spares_.Keep(std::move(next_->picture));
            next_.reset();
            nextPrepared_ = false;
            decodeFrom_ = kNoFrame;
            nextStart_.store(kNoFrame, std::memory_order_relaxed);
            end_ = End::kNotYet;
            failure_ = S_OK;
            HRESULT hr = S_OK;
            if (!Away(lock, [&] {
                    hr = GuardExceptions([&] {
                        movie_->Seek(target);
                        return S_OK;
                    });
                }))
                break;
            if (FAILED(hr)) end_ = End::kMet;
            appliedSeek_ = placing.seekSerial;
            continue;
        }
        if (!next_ && !Ended() && failure_ == S_OK) {
            if (HoldOff(lock)) continue;
            // Decoded ahead, whether an update waits or not: a host that
            // asks for frames back to back finds the next one ready, while
            // memory stays bounded to that one frame.
            DecodedFrame frame;
            frame.picture = spares_.Take();
            HRESULT hr = S_OK;
            if (!Away(lock, [&] {
                    const auto decodeStarted = SteadyNow();
                    hr = DecodeNext(&frame);
                    // Averaged: frame threads hand out some frames at once
                    // and keep the caller waiting milliseconds for the next.
                    const int64_t took = (SteadyNow() - decodeStarted).count();
                    const int64_t average = decodeNanoseconds_.load(std::memory_order_relaxed);
                    decodeNanoseconds_.store(average + (took - average) / 8, std::memory_order_relaxed);
                }))
                break;
            if (decodeWaiters_ > 0) decoded_.notify_all();
            // No memory fails the next update, and the one after decodes
            // again; whatever else ends the data (its end, a decoder or
            // demuxer that gives up) ends the stream. A seek that overtook
            // the decoding makes either moot.
            const bool seeked = SeekPending();
            if (hr == S_OK && !seeked) {
                nextStart_.store(frame.start, std::memory_order_release);
                next_ = std::move(frame);
                continue;
            }
            spares_.Keep(std::move(frame.picture));
            if (seeked) continue;
            if (hr == E_OUTOFMEMORY) {
                failure_ = hr;
            } else {
                end_ = movie_->EndedEarly() ? End::kCutShort : End::kMet;
            }
            continue;
        }
        if (queue_.Empty()) {
            // Every frame written and no update left to answer: the end.
            if (Ended() && !writing_) SignalEnd();
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
        if (Ended()) {
            // Completes, like a frame, only while the stream runs.
            if (!clock_.Running()) {
                wake_.wait(lock);
                continue;
            }
            SampleUpdate &update = queue_.Front();
            queue_.PopFront();
            AnswerEnd(update);
            continue;
        }
        if (WorthPreparing()) {
            PrepareNext(lock);
            continue;
        }
        // A caller may have written the frame meanwhile (after withdrawing
        // the update waiting for it and issuing it again).
        if (!WaitUntilDue(lock, next_->start) || writing_ || !next_) continue;

        // The update stays first in the queue while its frame is written.
        SampleUpdate &update = queue_.Front();
        const std::optional<HRESULT> hr = WriteNext(lock, update, true);
        if (!hr) continue;  // a seek overtook the write
        if (FAILED(*hr)) {
            // A frame that cannot be written is dropped: the update waits
            // for the next one.
            update.state = SampleUpdate::State::Queued;
            done_.notify_all();
            continue;
        }
        FrameWritten(update, *hr);
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
bool DecodingThread::WaitUntilDue(Lock &lock, STREAM_TIME start) {
    const SampleUpdate *waiting = &queue_.Front();
    for (;;) {
        unsigned serial = 0;
        if (shutdown_ || SeekPending(&serial) || queue_.Empty() || !queue_.IsFront(*waiting) || !next_)
            return false;
        if (clock_.Running()) {
            clock_.JumpForward(start, serial);
            if (clock_.Reached(start, kEarlyTolerance)) {
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
            wake_.wait_for(lock, std::min<std::chrono::nanoseconds>(clock_.RealTimeTo(start, kEarlyTolerance), std::chrono::seconds(1)));
        } else {
            wake_.wait(lock);  // a stopped clock stands still until run or set
        }
    }
}

}  // namespace standin::mmstream
