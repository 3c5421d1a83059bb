// Packets of one stream that the movie's source has read and its reader has
// not taken yet, in the order read. Not locked: the source guards it.
#pragma once

#include <cstddef>
#include <deque>

struct AVPacket;

namespace standin::mmstream {

class PacketQueue {
public:
    PacketQueue() = default;
    ~PacketQueue();
    PacketQueue(const PacketQueue &) = delete;
    PacketQueue &operator=(const PacketQueue &) = delete;

    // Moves `packet`'s reference to the back of the queue (leaving `packet`
    // blank); false, changing nothing, when there is no memory for it.
    bool Push(AVPacket *packet);
    // Moves the front packet's reference into `packet`; false when empty.
    bool Pop(AVPacket *packet);
    void Clear();

    bool Empty() const { return packets_.empty(); }
    // What the queued packets hold, with what each costs besides its data.
    size_t Bytes() const { return bytes_; }

private:
    std::deque<AVPacket *> packets_;
    size_t bytes_ = 0;
};

}  // namespace standin::mmstream
