// The default audio renderer: plays a movie's sound track on the sound
// device (SDL2 audio, which honours SDL_AUDIODRIVER, or the stand-in's
// virtual device), and times the stream clock by it.
//
// A device is opened only for a movie that has a sound track. A thread
// decodes the track into a buffer a little ahead of the device; the device
// takes from it on its own thread, and with each buffer it takes tells the
// clock what is being heard, and once the track has played out, that it
// has. The renderer follows the clock's serial: a stop pauses the device,
// a run after it plays on from the sound already decoded while the clock
// stands where that sound goes on, and a seek (or a clock that moved away
// from the sound) starts the sound again from the clock's position; sound
// of an earlier serial is never reported. From position 0
// on, the track plays from its own start, also where that lies before the
// first frame. A device that does not open within kAudioOpenWait leaves the
// movie silent, and freeing the renderer waits on no device.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "mmstream/sound/device/audio_device.h"
#include "mmstream/sound/device/audio_opening.h"
#include "mmstream/sound/audio_track.h"
#include "mmstream/source/movie_info.h"
#include "mmstream/clock/stream_clock.h"
#include "mmstream/workers/worker_pool.h"

namespace standin::mmstream {

class AudioRenderer {
public:
    // Null when there is no audio device.
    static std::unique_ptr<AudioRenderer> Create();
    ~AudioRenderer();
    AudioRenderer(const AudioRenderer &) = delete;
    AudioRenderer &operator=(const AudioRenderer &) = delete;

    // Starts playing the movie's sound track from its source, if it has
    // one and a device opens for it.
    void Play(std::shared_ptr<MovieSource> source, const MovieInfo &movie, StreamClock &clock);
    // The clock was run, stopped or set.
    void ClockChanged();

private:
    AudioRenderer() = default;
    // Opens the track and the device, on the feeding thread; false for a
    // silent movie.
    bool Open(std::shared_ptr<MovieSource> source, const MovieInfo &movie);
    void Feed();
    enum class Followed { kUnchanged, kPlaysOn, kPlaced };
    // Follows the clock's serial: plays on, or places the track and the
    // sound buffer at the clock's position (kPlaced, with where the sound
    // in the buffer begins and goes on).
    Followed FollowClock(STREAM_TIME *skipBefore, STREAM_TIME *next, bool *running);
    static void FillGap(std::vector<uint8_t> *pcm, size_t offset, STREAM_TIME *start, STREAM_TIME next);
    // Moves what fits of `pcm` from `offset` on into the sound buffer;
    // the new offset.
    size_t Push(const std::vector<uint8_t> &pcm, size_t offset, STREAM_TIME start);
    static void Fill(void *self, int16_t *samples, int frames);
    void FillBuffer(int16_t *samples, int frames);

    std::unique_ptr<AudioTrack> track_;  // used by the feeding thread only
    StreamClock *clock_ = nullptr;
    unsigned appliedSeek_ = 0;  // the clock's seek serial, as last placed; feeding thread only
    STREAM_TIME latency_ = 0;  // the device's buffer

    std::mutex mutex_;
    std::condition_variable wake_;
    bool restart_ = true;  // the thread starts by placing itself on the clock
    bool quit_ = false;
    // The device's open the thread waits for: the free cancels the wait.
    std::shared_ptr<AudioOpening> opening_;
    PooledThread thread_;

    // Decoded sound waiting for the device, shared with the device's
    // thread: a ring of interleaved samples.
    std::mutex soundMutex_;
    std::vector<int16_t> ring_;
    size_t readFrame_ = 0;   // where the device takes next
    size_t heldFrames_ = 0;  // frames waiting
    // The stream time of the first frame pushed since the restart and the
    // frames taken since then; no time yet until a frame is pushed.
    bool timed_ = false;
    STREAM_TIME firstStart_ = 0;
    int64_t takenFrames_ = 0;
    unsigned serial_ = 0;  // the clock's serial the sound follows
    bool restarted_ = false;
    STREAM_TIME placedAt_ = 0;  // where the sound was last placed
    // The track gave its last block: once the ring is drained the sound
    // has played out. The one place that knows the sound's end.
    bool trackEnded_ = false;

    // Declared last: closed first, so the device calls back no more before
    // the state it reads goes away.
    std::unique_ptr<AudioOutput> output_;
};

}  // namespace standin::mmstream
