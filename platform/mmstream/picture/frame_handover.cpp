// Handing a due frame over to the host: written into the surface of the
// update first in line, by the decoding thread or by a host's own call.
#include "mmstream/picture/decoding_thread.h"

#include <algorithm>
#include <optional>
#include <thread>

#include "common/exception_guard.h"
#include "mmstream/picture/decode_timing.h"
#include "mmstream/paint/surface_writer.h"

namespace standin::mmstream {

using namespace timing;

bool DecodingThread::MayBeDue() const {
    const STREAM_TIME start = nextStart_.load(std::memory_order_acquire);
    if (start == kNoFrame) return false;
    return clock_.Running() && clock_.Reached(start, kEarlyTolerance);
}

bool DecodingThread::WriteIfDue(Lock &lock, SampleUpdate &update) {
    unsigned serial = 0;
    if (update.state != SampleUpdate::State::Queued || !queue_.IsFront(update) || writing_ || !next_ ||
        SeekPending(&serial) || !clock_.Running())
        return false;
    clock_.JumpForward(next_->start, serial);
    if (!clock_.Reached(next_->start, kEarlyTolerance)) return false;
    // A host's call never waits for a surface another thread holds: the
    // frame is then left to the decoding thread.
    const std::optional<HRESULT> hr = WriteNext(lock, update, false);
    if (!hr) return false;
    if (FAILED(*hr)) {
        // Dropped, as on the thread: the update waits for the next frame,
        // still first in line.
        update.state = SampleUpdate::State::Queued;
        done_.notify_all();
        return true;
    }
    // Still first: only the writer of a frame takes an update off the queue.
    FrameWritten(update, *hr);
    return true;
}

std::optional<HRESULT> DecodingThread::WriteNext(Lock &lock, SampleUpdate &update, bool wait) {
    // The update and next_ are taken while the surface is locked: nobody
    // else writes or withdraws them, and a seek on the thread may still
    // drop next_.
    update.state = SampleUpdate::State::Writing;
    writing_ = true;
    writer_ = std::this_thread::get_id();
    const unsigned seekSerial = clock_.Placed().seekSerial;
    lock.unlock();
    std::optional<SurfaceWrite> target;
    const HRESULT locking = GuardExceptions([&] {
        target.emplace(update.surface, wait);
        return S_OK;
    });
    lock.lock();
    if ((!wait && target && target->Busy()) || clock_.Placed().seekSerial != seekSerial || !next_) {
        if (target) {
            lock.unlock();
            target.reset();  // lets go of a surface it locked
            lock.lock();
        }
        writing_ = false;
        writer_ = {};
        update.state = SampleUpdate::State::Queued;
        wake_.notify_all();
        done_.notify_all();
        return std::nullopt;
    }
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
        if (!target) return locking;  // the host's Lock threw
        HRESULT painted = prepared ? target->Copy(update.rect, prepared_) : S_FALSE;
        if (painted == S_FALSE) painted = target->Paint(update.rect, *frame.picture, painter_);
        return painted;
    });
    target.reset();  // unlocks, also after an exception
    lock.lock();
    writing_ = false;
    writer_ = {};
    // Emptied by the thread when it decodes into it: FFmpeg's buffers are
    // let go where they are made.
    spares_.Keep(std::move(frame.picture));
    if (SUCCEEDED(hr)) {
        update.frameStart = frame.start;
        update.frameEnd = frame.end;
    } else {
        decodeFrom_ = kNoFrame;  // dropped: the update waits for the next frame
    }
    wake_.notify_all();  // the thread: the painter is free again
    return hr;
}

}  // namespace standin::mmstream
