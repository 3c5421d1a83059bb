// The thread that serves sample updates of a video stream.
//
// Updates are served in the order they were issued. The thread keeps the
// next frame decoded ahead (that one frame, not a queue); for each update it
// waits until the stream clock reaches that frame's start (less than 1 ms
// ahead counts as reached), writes the frame into the sample's surface and
// decodes the following one. A frame that cannot be written is dropped and the
// update takes the next one; whatever ends the decoding ends the stream. A
// seek makes the next frame the one shown at the new position, also for an
// update already waiting.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "mmstream/decoded_frame.h"
#include "mmstream/frame_painter.h"
#include "mmstream/movie_file.h"
#include "mmstream/sample_update.h"
#include "mmstream/stream_clock.h"

namespace standin::mmstream {

class DecodingThread {
public:
    DecodingThread(std::unique_ptr<MovieFile> movie, StreamClock &clock);
    // Stops and joins the thread; no update may be queued any more.
    ~DecodingThread();
    DecodingThread(const DecodingThread &) = delete;
    DecodingThread &operator=(const DecodingThread &) = delete;

    // Queues an update: MS_S_PENDING at once when `async`, otherwise waits
    // for its outcome. MS_E_BUSY while the sample has one pending.
    HRESULT Update(SampleUpdate &update, bool async);
    // The outcome of the sample's update, as IStreamSample::CompletionStatus.
    HRESULT CompletionStatus(SampleUpdate &update, DWORD flags, DWORD milliseconds);
    // Takes back a pending update; returns once no thread touches the
    // sample's surface any more.
    void Withdraw(SampleUpdate &update);

    HRESULT SetRect(SampleUpdate &update, const RECT &rect);
    void Rect(const SampleUpdate &update, RECT *rect) const;
    void Times(const SampleUpdate &update, STREAM_TIME *start, STREAM_TIME *end) const;

    // Sets the clock and the position of the next frame together.
    void Seek(STREAM_TIME position);
    // Wakes the thread after the clock was run, stopped or set.
    void ClockChanged();

private:
    using Lock = std::unique_lock<std::mutex>;
    void Serve();
    bool WaitUntilDue(Lock &lock, STREAM_TIME start, unsigned generation);
    void Complete(SampleUpdate &update, HRESULT status);
    void WithdrawLocked(Lock &lock, SampleUpdate &update);

    std::unique_ptr<MovieFile> movie_;  // used by the thread only
    StreamClock &clock_;
    const STREAM_TIME duration_;
    FramePainter painter_;               // used by the thread only

    mutable std::mutex mutex_;
    std::condition_variable wake_;  // the thread: work, clock, seek, shutdown
    std::condition_variable done_;  // callers: an update finished
    std::deque<SampleUpdate *> queue_;
    std::optional<DecodedFrame> next_;  // decoded, not yet written
    FramePtr sparePicture_;             // written and emptied, for the next decode; the thread's only
    HRESULT endStatus_ = S_OK;          // MS_S_ENDOFSTREAM once met instead of a frame
    unsigned seekGeneration_ = 0;
    unsigned appliedGeneration_ = 0;
    STREAM_TIME seekTarget_ = 0;
    bool shutdown_ = false;
    std::thread thread_;
};

}  // namespace standin::mmstream
