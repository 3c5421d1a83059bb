// The thread that serves sample updates of a video stream.
//
// Updates are served in the order they were issued. The thread keeps the
// next frame decoded ahead (that one frame, not a queue); for each update it
// waits until the stream clock reaches that frame's start (less than 1 ms
// ahead counts as reached), writes the frame into the sample's surface and
// decodes the following one.
//
// A host's own thread writes the frame instead when it finds it decoded and
// due: when it issues an update with none before it, or when it polls a
// pending one. The thread, woken as the frame is taken, decodes the next
// one meanwhile, and leaves a due frame to a host that polled within the
// last millisecond for that long. So a host asking or polling for frames
// back to back never waits for the thread to wake up, and one that polls
// rarely or waits still gets its frames on time.
//
// On the real clock the thread decodes the next frame only a moment after
// the last one was written, once the host has presented it: decoding next
// to a presenting host on a machine of few cores would delay the frame on
// its way to the screen. And a true-colour frame that is not due yet is painted
// ahead into memory of the thread's own, in the layout and size of the
// surface of the update first in line; writing it once due is then a copy
// of rows, and frames of high definition still reach their surfaces on
// time.
//
// A frame that cannot be written is dropped and the update takes the next
// one. A decode that runs out of memory, and again when tried a few times
// more, fails the update first in line (E_OUTOFMEMORY), and the next update
// decodes again; whatever else ends the
// decoding ends the stream, and data cut short (a read that failed for
// good, a file truncated) ends it at the last frame that could be shown. A seek makes the next
// frame the one shown at the new position, also for an update already
// waiting: the thread follows the stream clock's serial, and a seek of the
// clock newer than the one it applied is its next task.
//
// No mutex of the stream is held while a host's object is called: a
// surface's Lock and Unlock run with the mutex released, the frame and
// the update marked as taken meanwhile (writing_, State::Writing), so a
// surface of the host's own may call back into the sample. A frame is
// painted ahead in the pixel format the surface was described with when
// the sample was made.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "mmstream/picture/decoded_frame.h"
#include "mmstream/picture/decoding_thread_owner.h"
#include "mmstream/paint/frame_painter.h"
#include "mmstream/picture/movie_file.h"
#include "mmstream/picture/spare_frames.h"
#include "mmstream/paint/prepared_frame.h"
#include "mmstream/com/sample_update.h"
#include "mmstream/clock/stream_clock.h"
#include "mmstream/picture/update_queue.h"

namespace standin::mmstream {

class DecodingThread {
public:
    using Owner = DecodingThreadOwner;

    // Starts serving the movie on a worker of the pool. `endOfStream`: an
    // event set once the stream has reached its end (all its frames
    // written, its updates answered), reset by a seek; may be null. Throws
    // when no thread can be had.
    static Owner Start(std::unique_ptr<MovieFile> movie, StreamClock &clock, HANDLE endOfStream);
    DecodingThread(const DecodingThread &) = delete;
    DecodingThread &operator=(const DecodingThread &) = delete;

    // How an update was asked for.
    struct Request {
        bool async = false;
        bool continuous = false;
        HANDLE event = nullptr;  // set when the update completes
    };
    // Queues an update: MS_S_PENDING at once when `async`, otherwise waits
    // for its outcome (a continuous one: for its first frame). MS_E_BUSY
    // while the sample has one pending, and MS_S_ENDOFSTREAM at once after
    // the end of the stream.
    HRESULT Update(SampleUpdate &update, const Request &request);
    // The outcome of the sample's update, as IStreamSample::CompletionStatus.
    HRESULT CompletionStatus(SampleUpdate &update, DWORD flags, DWORD milliseconds);
    // Takes back a pending update; returns once no thread touches the
    // sample's surface any more.
    void Withdraw(SampleUpdate &update);

    HRESULT SetRect(SampleUpdate &update, const RECT &rect);
    void Rect(const SampleUpdate &update, RECT *rect) const;
    void Times(const SampleUpdate &update, STREAM_TIME *start, STREAM_TIME *end) const;

    // Wakes the thread after the clock was run, stopped or set: a stop
    // completes the continuous updates, and a seek takes back the end of
    // the stream and makes the next frame the one at the seek's target.
    void ClockChanged();

private:
    using Lock = std::unique_lock<std::mutex>;
    friend RetireDecodingThread;
    DecodingThread(std::unique_ptr<MovieFile> movie, StreamClock &clock, HANDLE endOfStream);
    ~DecodingThread() = default;
    // Stops serving; no update may be queued any more. Returns once the
    // thread touches neither the clock, the end-of-stream event nor any
    // sample, with the movie's file closed. A decode, seek or painting in
    // flight is not waited for: the worker finishes it and then frees the
    // movie and this object, so that freeing a stream never waits for a
    // decoder (a 1080p frame, and the frames FFmpeg's own threads decode
    // ahead, take milliseconds).
    void Retire();
    // The worker's job: serves until retired, then deletes this.
    void ServeThenLetGo();
    void Serve();
    // Lets go of the mutex for work that touches nothing of the stream's
    // (decoding, seeking the movie, painting ahead): a retirement does
    // not wait for it. False when retired meanwhile. A template: a
    // std::function could need memory, and this must not fail.
    template <class Work>
    bool Away(Lock &lock, Work &&work) {
        away_ = true;
        lock.unlock();
        work();
        lock.lock();
        away_ = false;
        return !shutdown_;
    }
    // movie_->NextFrame, tried again a few times when memory runs out; on
    // the thread, with the mutex released.
    HRESULT DecodeNext(DecodedFrame *frame);
    bool WaitUntilDue(Lock &lock, STREAM_TIME start);
    // Whether the clock was seeked since the thread last applied a seek;
    // the clock's serial in *serial.
    bool SeekPending(unsigned *serial = nullptr) const;
    // Waits a moment, awake, for a polling host to take next_; true once
    // it has.
    bool SpinUntilTaken(Lock &lock);
    void Complete(SampleUpdate &update, HRESULT status);
    // The update first in line got its frame: completed, or a continuous
    // one queued again behind the others.
    void FrameWritten(SampleUpdate &update, HRESULT status);
    // Sets the end-of-stream event, once for each time the end is met.
    void SignalEnd();
    // The end was met and no seek has overtaken it, on a running stream.
    bool AtEnd() const;
    // Completes an update that is in no line with the end of the stream.
    void AnswerEnd(SampleUpdate &update);
    void WithdrawLocked(Lock &lock, SampleUpdate &update);
    // Writes the frame of an update that is first in line now if it is
    // decoded and due; false when it is for the thread. A frame that
    // cannot be written leaves the update first in the queue.
    bool WriteIfDue(Lock &lock, SampleUpdate &update);
    // Whether the next frame may be decoded and due, read without the
    // mutex; WriteIfDue decides.
    bool MayBeDue() const;
    // Locks the update's surface and writes next_ into it, with the mutex
    // released, and gives the update the frame's times when that succeeds.
    // `wait`: for a surface another thread holds. Nothing, and the update
    // queued as before, when the surface was busy (not waiting) or a seek
    // overtook the write before the frame was taken.
    std::optional<HRESULT> WriteNext(Lock &lock, SampleUpdate &update, bool wait);
    // Waits while the host presents the frame just written (see above);
    // false once the next frame may be decoded.
    bool HoldOff(Lock &lock);
    // Whether next_ is worth painting ahead for the update first in line.
    bool WorthPreparing() const;
    // Paints next_ into prepared_ with the mutex released.
    void PrepareNext(Lock &lock);

    std::unique_ptr<MovieFile> movie_;  // used by the thread only
    StreamClock &clock_;
    const STREAM_TIME duration_;
    FramePainter painter_;               // used by whoever set writing_
    PreparedFrame prepared_;             // likewise
    // The decoder runs frame threads, which need every core meanwhile.
    const bool frameThreads_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;  // the thread: work, clock, seek, shutdown
    std::condition_variable done_;  // callers: an update finished
    std::condition_variable decoded_;  // polls waiting for a slow frame: it was decoded
    int decodeWaiters_ = 0;
    UpdateQueue queue_;
    std::optional<DecodedFrame> next_;  // decoded, not yet written
    // next_'s start, or kNoFrame; also read without the mutex.
    static constexpr STREAM_TIME kNoFrame = INT64_MAX;
    std::atomic<STREAM_TIME> nextStart_{kNoFrame};
    // How long frames take to decode, averaged over the last few (steady
    // clock, ns); read without the mutex by polls.
    std::atomic<int64_t> decodeNanoseconds_{0};
    SpareFrames spares_;
    bool writing_ = false;              // a frame is on its way into a surface, or into prepared_
    std::thread::id writer_;            // the thread writing into a surface, while it does
    bool nextPrepared_ = false;         // next_ was painted into prepared_ (or could not be)
    STREAM_TIME decodeFrom_ = kNoFrame; // the clock's time for the next decode; kNoFrame: at once
    // The movie's end as the thread met it instead of a frame (MovieFile
    // keeps the decoder's own), for the callers under the mutex; a seek
    // takes it back.
    enum class End { kNotYet, kMet, kCutShort /* the data ended before the movie */ };
    End end_ = End::kNotYet;
    bool Ended() const { return end_ != End::kNotYet; }
    HRESULT failure_ = S_OK;            // a decode that failed (no memory), for the next update
    unsigned appliedSeek_ = 0;    // the clock's seek serial the frames follow
    unsigned answeredSeek_ = 0;   // the clock's seek serial endOfStream_ was reset for
    bool shutdown_ = false;
    bool away_ = false;     // the thread is in Away
    bool served_ = false;   // Serve has returned
    bool retired_ = false;  // the owner let go: the worker deletes this
    std::condition_variable retiring_;  // Retire and the worker: away_, served_, retired_
    const HANDLE endOfStream_;
    bool endSignalled_ = false;  // endOfStream_ set since the last seek
};

}  // namespace standin::mmstream
