#include "mmstream/source/movie_source.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <new>

extern "C" {
#include <libavformat/avformat.h>
}

#include "mmstream/source/file_input.h"

namespace standin::mmstream {

namespace {

int64_t TimestampOf(const AVPacket &packet) { return packet.dts != AV_NOPTS_VALUE ? packet.dts : packet.pts; }

// Whether `packet` comes after the last one a reader took (file position
// first, as timestamps may repeat or be missing): after another reader's
// seek the file is read again from no later than that.
bool PastMark(const AVPacket &packet, int64_t markPosition, int64_t markTimestamp) {
    if (packet.pos >= 0 && markPosition >= 0 && packet.pos != markPosition) return packet.pos > markPosition;
    const int64_t stamp = TimestampOf(packet);
    if (stamp != AV_NOPTS_VALUE && markTimestamp != INT64_MIN) return stamp > markTimestamp;
    return packet.pos < 0 || markPosition < 0;  // the same position and no time to tell: taken already
}

}  // namespace

std::shared_ptr<MovieSource> MovieSource::Open(const std::string &utf8Path, int *error, size_t queueBytes) {
    AVFormatContext *format = nullptr;
    *error = OpenFileInput(utf8Path, nullptr, &format);
    if (*error < 0) return nullptr;
    // Made before it takes the format: making it can throw (its queues
    // allocate), and a constructor that throws runs no destructor.
    std::shared_ptr<MovieSource> source;
    try {
        source.reset(new MovieSource(queueBytes));
    } catch (const std::bad_alloc &) {
    }
    if (!source) {
        CloseFileInput(&format);
        *error = AVERROR(ENOMEM);
        return nullptr;
    }
    source->format_ = format;  // closed by the source from here on
    source->read_ = av_packet_alloc();
    if (!source->read_) {
        *error = AVERROR(ENOMEM);
        return nullptr;
    }
    return source;
}

MovieSource::MovieSource(size_t queueBytes) : queueBytes_(queueBytes) {}

MovieSource::~MovieSource() {
    for (ReaderState &state : readers_) state.queue.Clear();
    av_packet_free(&read_);
    CloseFileInput(&format_);
}

void MovieSource::Use(const std::function<void(AVFormatContext *)> &use) {
    std::lock_guard<std::mutex> lock(mutex_);
    use(format_);
}

void MovieSource::Feed(Reader reader, int streamIndex) {
    std::lock_guard<std::mutex> lock(mutex_);
    ReaderState &state = readers_[reader];
    if (state.stream == streamIndex) return;
    state.stream = streamIndex;
    state.queue.Clear();
    // Other streams are never read; discarding them saves the demuxer work.
    for (unsigned i = 0; i < format_->nb_streams; ++i) {
        const bool fed = static_cast<int>(i) == readers_[kPicture].stream || static_cast<int>(i) == readers_[kSound].stream;
        format_->streams[i]->discard = fed ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    }
}

int MovieSource::Next(Reader reader, AVPacket *packet) {
    std::lock_guard<std::mutex> lock(mutex_);
    ReaderState &state = readers_[reader];
    if (state.stream < 0) return AVERROR_EOF;
    for (;;) {
        if (state.queue.Pop(packet)) {
            state.complete = false;
            state.markPosition = packet->pos;
            state.markTimestamp = TimestampOf(*packet);
            state.markMicroseconds = Microseconds(state.stream, state.markTimestamp);
            return 0;
        }
        if (ended_ < 0) return ended_;
        const int read = ReadOne();
        if (read < 0) return read;
    }
}

void MovieSource::CloseFile() {
    std::lock_guard<std::mutex> lock(mutex_);
    CloseFileInputFile(format_);
}

bool MovieSource::EndedEarly() {
    std::lock_guard<std::mutex> lock(mutex_);
    return endedEarly_;
}

// Reads one packet into the queue of the reader of its stream. An error
// only when memory ran out: a packet there was no room for is queued by
// the next call, so nothing is lost (the end of the data is kept).
int MovieSource::ReadOne() {
    if (!held_) {
        const int read = av_read_frame(format_, read_);
        if (read == AVERROR(ENOMEM)) return read;
        if (read < 0) {
            // Anything but the end of the file (a demuxer that gives up on
            // damaged data, a read that failed) cuts the data short.
            ended_ = read;
            endedEarly_ = read != AVERROR_EOF || FileInputCutShort(format_);
            return 0;
        }
        held_ = true;
    }
    for (ReaderState &state : readers_)
        if (state.stream >= 0 && state.stream == read_->stream_index && !Queue(state)) return AVERROR(ENOMEM);
    held_ = false;
    av_packet_unref(read_);
    return 0;
}

bool MovieSource::Queue(ReaderState &state) {
    const bool keyframe = (read_->flags & AV_PKT_FLAG_KEY) != 0;
    if (!state.pastMark) {
        state.complete = false;
        if (!PastMark(*read_, state.markPosition, state.markTimestamp)) return true;  // taken before the seek
        state.pastMark = true;
    }
    if (state.toKeyframe && !keyframe) return true;
    state.toKeyframe = false;
    // A full queue is given up rather than waited on (see the header).
    if (state.queue.Bytes() >= queueBytes_) {
        state.queue.Clear();
        state.complete = false;
        if (!keyframe) {
            state.toKeyframe = true;
            return true;
        }
    }
    return state.queue.Push(read_);
}

void MovieSource::Reposition(Reader reader, int64_t streamTimestamp,
                             const std::function<void(AVFormatContext *)> &seek) {
    std::lock_guard<std::mutex> lock(mutex_);
    seek(format_);
    const ReaderState &state = readers_[reader];
    Emptied(reader, state.stream >= 0 ? Microseconds(state.stream, streamTimestamp) : INT64_MIN);
}

namespace {
std::array<std::atomic<unsigned long>, 2> seeksFor{};
}

unsigned long MovieSource::SeeksFor(Reader reader) { return seeksFor[reader].load(std::memory_order_relaxed); }

void MovieSource::SeekFor(Reader reader, int64_t streamTimestamp) {
    seeksFor[reader].fetch_add(1, std::memory_order_relaxed);
    std::lock_guard<std::mutex> lock(mutex_);
    ReaderState &state = readers_[reader];
    if (state.stream < 0) return;
    const int64_t wanted = Microseconds(state.stream, streamTimestamp);
    if (state.complete && seekedToMicroseconds_ <= wanted) {
        state.pastMark = true;  // everything since the last seek is wanted
        state.markPosition = -1;
        state.markTimestamp = state.markMicroseconds = INT64_MIN;
        return;
    }
    const ReaderState &other = readers_[1 - reader];
    int64_t target = wanted;
    if (other.stream >= 0)
        target = std::min(target, other.markMicroseconds != INT64_MIN ? other.markMicroseconds : seekedToMicroseconds_);
    const AVStream *stream = format_->streams[state.stream];
    int64_t at = target != INT64_MIN ? av_rescale_q(target, AV_TIME_BASE_Q, stream->time_base) : INT64_MIN;
    if (at == INT64_MIN) at = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    at = std::min(at, streamTimestamp);
    // A seek that fails leaves the file where it was, and the queues too.
    if (av_seek_frame(format_, state.stream, at, AVSEEK_FLAG_BACKWARD) < 0) return;
    Emptied(reader, std::min(target, wanted));
}

// After a seek: both queues empty, the data not ended; the reader that
// did not seek passes over what it had taken.
void MovieSource::Emptied(Reader seeker, int64_t microseconds) {
    seekedToMicroseconds_ = microseconds;
    av_packet_unref(read_);
    held_ = false;
    ended_ = 0;
    endedEarly_ = false;
    for (size_t i = 0; i < readers_.size(); ++i) {
        ReaderState &state = readers_[i];
        state.queue.Clear();
        state.complete = true;
        state.toKeyframe = false;
        if (static_cast<Reader>(i) == seeker) {
            state.markPosition = -1;
            state.markTimestamp = state.markMicroseconds = INT64_MIN;
        }
        state.pastMark = state.markPosition < 0 && state.markTimestamp == INT64_MIN;
    }
}

int64_t MovieSource::Microseconds(int stream, int64_t timestamp) const {
    if (timestamp == AV_NOPTS_VALUE || stream < 0 || stream >= static_cast<int>(format_->nb_streams)) return INT64_MIN;
    return av_rescale_q(timestamp, format_->streams[stream]->time_base, AV_TIME_BASE_Q);
}

}  // namespace standin::mmstream
