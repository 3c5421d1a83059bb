// One movie file, opened and demuxed once, feeding the picture's decoder and
// the sound's decoder from one AVFormatContext.
//
// There is no reading thread: each reader pulls under the source's lock, and
// a read that brings a packet of the other reader's stream queues it for
// that reader. Either reader may seek the file; a seek empties both queues
// once, and the reader that did not ask for it then passes over the packets
// it had already taken, so that it goes on where it was.
//
// Queues are bounded by bytes (kQueueBytes, about half a minute of a
// 1080p movie). When a read finds the other reader's queue full (that
// reader stalled, say a host that stopped asking for frames), that queue
// is emptied and its stream's packets are dropped up to the next keyframe:
// the reader that keeps going never waits for the one that stopped, and
// the stopped one later resumes at a keyframe, later than it stood.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "mmstream/source/packet_queue.h"

struct AVFormatContext;
struct AVPacket;

namespace standin::mmstream {

class MovieSource {
public:
    enum Reader { kPicture = 0, kSound = 1 };
    static constexpr size_t kQueueBytes = 32u << 20;

    // Opens `utf8Path` through OpenFileInput; null and *error (an AVERROR)
    // on failure. `queueBytes` bounds each reader's queue.
    static std::shared_ptr<MovieSource> Open(const std::string &utf8Path, int *error,
                                             size_t queueBytes = kQueueBytes);
    ~MovieSource();
    MovieSource(const MovieSource &) = delete;
    MovieSource &operator=(const MovieSource &) = delete;

    // Runs `use` on the format under the source's lock: streams may be
    // added while packets are read, so nothing of the format is touched
    // outside it.
    void Use(const std::function<void(AVFormatContext *)> &use);

    // The stream `reader` takes, -1 for none; streams nobody takes are
    // discarded, and a reader that goes away leaves with -1.
    void Feed(Reader reader, int streamIndex);

    // The reader's next packet: 0, AVERROR_EOF at the end of the data, or
    // another AVERROR when the read failed (AVERROR(ENOMEM): a later call
    // goes on). The end stays until a seek.
    int Next(Reader reader, AVPacket *packet);
    // Closes the file for good, once a read in flight is done: the readers
    // find the end of the data from then on. For a stream let go while a
    // reader may still be decoding, so that the file is not held past it.
    void CloseFile();
    // After the end: whether the data ended before the movie did (a read
    // failed for good, the file was cut short, the demuxer gave up).
    bool EndedEarly();

    // Seeks the file by `seek` on the format (its result is the caller's),
    // meant for `streamTimestamp` of the reader's stream, and empties both
    // queues.
    void Reposition(Reader reader, int64_t streamTimestamp, const std::function<void(AVFormatContext *)> &seek);
    // Places the reader's stream at or before `streamTimestamp` for the
    // reader: nothing is read again when everything of its stream since
    // the last seek, which went to no later time, is still at hand.
    // Otherwise the file is seeked no later than where the other reader
    // stands, so that it loses nothing.
    void SeekFor(Reader reader, int64_t streamTimestamp);
    // How often readers of any source in the process asked SeekFor: a
    // reader that plays on asks nothing.
    static unsigned long SeeksFor(Reader reader);

private:
    struct ReaderState {
        PacketQueue queue;
        int stream = -1;
        bool complete = true;       // nothing taken or dropped since the last seek
        bool toKeyframe = false;    // its queue overflowed: dropped up to a keyframe
        bool pastMark = true;       // after another's seek: dropped up to the mark
        int64_t markPosition = -1;  // of the last packet taken
        int64_t markTimestamp = INT64_MIN;
        int64_t markMicroseconds = INT64_MIN;
    };

    explicit MovieSource(size_t queueBytes);
    int ReadOne();
    bool Queue(ReaderState &state);
    void Emptied(Reader seeker, int64_t microseconds);
    int64_t Microseconds(int stream, int64_t timestamp) const;

    std::mutex mutex_;
    AVFormatContext *format_ = nullptr;
    AVPacket *read_ = nullptr;
    bool held_ = false;  // read_ waits for room in its queue
    const size_t queueBytes_;
    std::array<ReaderState, 2> readers_;
    int ended_ = 0;  // the read's result once the data ended
    bool endedEarly_ = false;
    // Where the last seek went (the start of the file before any),
    // AV_TIME_BASE units.
    int64_t seekedToMicroseconds_ = INT64_MIN;
};

}  // namespace standin::mmstream
