#include "mmstream/sound/audio_renderer.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstring>

#include "common/exception_guard.h"
#include "mmstream/clock/time_arithmetic.h"

namespace standin::mmstream {

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr size_t kBytesPerFrame = kChannels * 2;
// The sound buffer between the decoder and the device; the thread tops it
// up when less than this is left.
constexpr size_t kRingFrames = kRate / 2;  // 500 ms
constexpr size_t kKeepAhead = kRate / 5;   // 200 ms
// Right after a restart the thread decodes only what the device takes in
// its next few buffers, and the rest of its lead a moment later: a seek
// then does not decode 200 ms of sound at once while the picture seeks on
// the same cores, and a host that seeks again soon wastes less.
constexpr size_t kStartAhead = kRate / 20;  // 50 ms
constexpr auto kStartLeadFor = std::chrono::milliseconds(20);
// Gaps in a track's timestamps that are filled with silence.
constexpr STREAM_TIME kGapTolerance = 200000;  // 20 ms
constexpr STREAM_TIME kLongestGap = 100000000;  // 10 s
// Sound before the first frame that is heard; the clock waits at 0 while it
// plays, so a track stamped long before the picture must not hold it there.
constexpr STREAM_TIME kLongestLead = 100000000;  // 10 s
// A run after a stop plays on from the sound already decoded while the
// clock stands at most this far from where that sound goes on: a pause
// leaves it one or two device buffers ahead, which the clock's pace
// works off within a tenth of a second.
constexpr STREAM_TIME kPlayOnWindow = 600000;  // 60 ms

STREAM_TIME FramesToTime(int64_t frames) { return frames * 10000000 / kRate; }

}  // namespace

std::unique_ptr<AudioRenderer> AudioRenderer::Create() {
    if (!AudioHardwarePresent()) return nullptr;
    return std::unique_ptr<AudioRenderer>(new AudioRenderer());
}

AudioRenderer::~AudioRenderer() {
    if (thread_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            quit_ = true;
            // A device that is slow to open is not waited for.
            if (opening_) opening_->Cancel();
        }
        wake_.notify_all();
        thread_.join();
    }
    // Before the state the device reads; it calls back no more once this
    // returns, and a device that does not answer is left to close alone.
    output_.reset();
}

void AudioRenderer::Play(std::shared_ptr<MovieSource> source, const MovieInfo &movie, StreamClock &clock) {
    clock_ = &clock;
    if (!movie.hasSound) return;  // a silent movie needs no thread
    // The track and the device are opened on the feeding thread, which the
    // caller of OpenFile need not wait for. Until the sound starts the
    // clock goes on by itself, as it does while the device fills its first
    // buffer.
    thread_ = PooledThread([this, source = std::move(source), movie]() mutable {
        GuardExceptions([&] {
            if (Open(std::move(source), movie)) Feed();
            return S_OK;
        });
        ReleaseAudioThreadState();  // the device was paused here
    });
}

bool AudioRenderer::Open(std::shared_ptr<MovieSource> source, const MovieInfo &movie) {
    track_ = AudioTrack::Open(std::move(source), movie.originMicroseconds, kRate, kChannels);
    if (!track_) return false;  // a silent movie
    ring_.assign(kRingFrames * kChannels, 0);
    // Opened paused: the device takes nothing until the first restart.
    const std::shared_ptr<AudioOpening> opening = OpenAudioOutput(kRate, kChannels, &AudioRenderer::Fill, this);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (quit_) opening->Cancel();  // freed meanwhile
        opening_ = opening;
    }
    output_ = opening->Take();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        opening_.reset();
    }
    if (!output_) {
        track_.reset();  // played silent
        return false;
    }
    latency_ = FramesToTime(output_->BufferFrames());
    clock_->SoundTimes();
    return true;
}

void AudioRenderer::ClockChanged() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        restart_ = true;
    }
    wake_.notify_all();
}

AudioRenderer::Followed AudioRenderer::FollowClock(STREAM_TIME *skipBefore, STREAM_TIME *next, bool *running) {
    // Where the clock was placed: it waits there for the sound, however
    // late this thread got here.
    const StreamClock::Placement placing = clock_->Placed();
    const STREAM_TIME position = placing.position;
    *running = placing.running;
    bool playsOn;
    {
        std::lock_guard<std::mutex> lock(soundMutex_);
        // Running a running stream changes nothing: the sound plays on.
        if (restarted_ && placing.serial == serial_) return Followed::kUnchanged;
        // Where the next report will place the clock.
        const STREAM_TIME soundAt = timed_ ? SaturatingSub(SaturatingAdd(firstStart_, FramesToTime(takenFrames_)), latency_)
                                           : placedAt_;
        const STREAM_TIME apart = SaturatingSub(position, soundAt);
        playsOn = restarted_ && placing.seekSerial == appliedSeek_ && apart <= kPlayOnWindow && apart >= -kPlayOnWindow;
        serial_ = placing.serial;
        if (!playsOn) {
            restarted_ = true;
            readFrame_ = heldFrames_ = 0;
            timed_ = false;
            takenFrames_ = 0;
            trackEnded_ = false;
            placedAt_ = position;
        }
    }
    output_->Pause(!*running);
    if (playsOn) return Followed::kPlaysOn;
    appliedSeek_ = placing.seekSerial;
    // From the start of the movie, sound before the first frame is heard too
    // (up to kLongestLead of it).
    *skipBefore = position > 0 ? position : -kLongestLead;
    *next = position > 0 ? position : 0;
    track_->Seek(position);
    return Followed::kPlaced;
}

void AudioRenderer::Feed() {
    std::unique_lock<std::mutex> lock(mutex_);
    bool running = false;
    STREAM_TIME skipBefore = 0;  // samples before the position are dropped
    STREAM_TIME next = 0;        // where the sound in the ring goes on
    std::vector<uint8_t> pcm;
    size_t pushed = 0;  // of pcm, already in the ring
    STREAM_TIME start = 0;
    using Steady = std::chrono::steady_clock;
    Steady::time_point fullLeadFrom{};  // the short lead after a restart ends then
    while (!quit_) {
        if (restart_) {
            restart_ = false;
            lock.unlock();
            if (FollowClock(&skipBefore, &next, &running) == Followed::kPlaced) {
                pcm.clear();
                pushed = 0;
                fullLeadFrom = Steady::now() + kStartLeadFor;
            }
            lock.lock();
            continue;
        }
        size_t held;
        bool ended;
        {
            std::lock_guard<std::mutex> sound(soundMutex_);
            held = heldFrames_;
            ended = trackEnded_;
        }
        const Steady::time_point now = Steady::now();
        const size_t ahead = now < fullLeadFrom ? kStartAhead : kKeepAhead;
        if (ended || (pushed == pcm.size() && held >= ahead) || (pushed < pcm.size() && held == kRingFrames)) {
            auto wait = std::chrono::duration_cast<Steady::duration>(std::chrono::milliseconds(running ? 10 : 50));
            if (!ended && now < fullLeadFrom) wait = std::min(wait, fullLeadFrom - now);
            wake_.wait_for(lock, wait);
            continue;
        }
        lock.unlock();
        if (pushed < pcm.size()) {
            pushed = Push(pcm, pushed, start);
        } else if (GuardExceptions([&] { return track_->Next(&pcm, &start) ? S_OK : S_FALSE; }) == S_OK) {
            // A track that cannot go on (no memory, say) ends the sound.
            pushed = 0;
            if (start < skipBefore) {
                const auto frames = static_cast<uint64_t>(TimeToSamples(SaturatingSub(skipBefore, start), kRate));
                pushed = static_cast<size_t>(std::min<uint64_t>(pcm.size() / kBytesPerFrame, frames)) * kBytesPerFrame;
            }
            // A block wholly before the position leaves no gap behind: the
            // sound in the ring goes on from the position.
            if (pushed < pcm.size()) {
                FillGap(&pcm, pushed, &start, next);
                next = SaturatingAdd(start, FramesToTime(static_cast<int64_t>(pcm.size() / kBytesPerFrame)));
                pushed = Push(pcm, pushed, start);
            }
        } else {
            std::lock_guard<std::mutex> sound(soundMutex_);
            trackEnded_ = true;
        }
        lock.lock();
    }
}

// The ring's sound is timed as one run: a block that starts later than the
// sound before it ends (a track that begins after the position, a hole in
// it) gets silence in front, so that it is heard at its own time.
void AudioRenderer::FillGap(std::vector<uint8_t> *pcm, size_t offset, STREAM_TIME *start, STREAM_TIME next) {
    const STREAM_TIME from = SaturatingAdd(*start, FramesToTime(static_cast<int64_t>(offset / kBytesPerFrame)));
    const STREAM_TIME gap = SaturatingSub(from, next);
    if (gap <= kGapTolerance || gap > kLongestGap) return;
    const auto frames = static_cast<size_t>(TimeToSamples(gap, kRate));
    pcm->insert(pcm->begin() + static_cast<std::ptrdiff_t>(offset), frames * kBytesPerFrame, 0);
    *start = SaturatingSub(next, FramesToTime(static_cast<int64_t>(offset / kBytesPerFrame)));
}

size_t AudioRenderer::Push(const std::vector<uint8_t> &pcm, size_t offset, STREAM_TIME start) {
    std::lock_guard<std::mutex> lock(soundMutex_);
    const size_t frames = std::min((pcm.size() - offset) / kBytesPerFrame, kRingFrames - heldFrames_);
    if (frames == 0) return pcm.size() - offset < kBytesPerFrame ? pcm.size() : offset;
    if (!timed_) {
        // The sound is taken as one run from here: later blocks follow on.
        timed_ = true;
        firstStart_ = SaturatingAdd(start, FramesToTime(static_cast<int64_t>(offset / kBytesPerFrame)));
    }
    const auto *in = reinterpret_cast<const int16_t *>(pcm.data() + offset);
    size_t writeFrame = (readFrame_ + heldFrames_) % kRingFrames;
    for (size_t done = 0; done < frames;) {
        const size_t run = std::min(frames - done, kRingFrames - writeFrame);
        std::memcpy(&ring_[writeFrame * kChannels], in + done * kChannels, run * kBytesPerFrame);
        done += run;
        writeFrame = (writeFrame + run) % kRingFrames;
    }
    heldFrames_ += frames;
    return offset + frames * kBytesPerFrame;
}

void AudioRenderer::Fill(void *self, int16_t *samples, int frames) {
    static_cast<AudioRenderer *>(self)->FillBuffer(samples, frames);
}

void AudioRenderer::FillBuffer(int16_t *samples, int frames) {
    const auto now = StreamClock::Steady::now();
    const size_t wanted = frames > 0 ? static_cast<size_t>(frames) : 0;
    STREAM_TIME heard = 0;
    unsigned serial = 0;
    size_t taken;
    bool playedOut;
    {
        std::lock_guard<std::mutex> lock(soundMutex_);
        taken = std::min(wanted, heldFrames_);
        for (size_t done = 0; done < taken;) {
            const size_t run = std::min(taken - done, kRingFrames - readFrame_);
            std::memcpy(samples + done * kChannels, &ring_[readFrame_ * kChannels], run * kBytesPerFrame);
            done += run;
            readFrame_ = (readFrame_ + run) % kRingFrames;
        }
        heldFrames_ -= taken;
        // The device still plays the buffer it took before this one.
        heard = SaturatingSub(SaturatingAdd(firstStart_, FramesToTime(takenFrames_)), latency_);
        takenFrames_ += static_cast<int64_t>(taken);
        serial = serial_;
        playedOut = trackEnded_ && heldFrames_ == 0 && taken < wanted;
    }
    std::fill(samples + taken * kChannels, samples + wanted * kChannels, int16_t{0});
    if (taken > 0) clock_->SoundHeard(serial, heard, now);
    // The track has played out: the clock goes on by itself from here,
    // at once rather than after waiting for reports that cannot come.
    if (playedOut) clock_->SoundEnded(serial, now);
    wake_.notify_all();
}

}  // namespace standin::mmstream
