#include "mmstream/source/packet_queue.h"

#include <new>

extern "C" {
#include <libavcodec/packet.h>
}

namespace standin::mmstream {

namespace {
// An AVPacket and its buffer reference cost this much besides the data, so
// that many tiny packets count too.
constexpr size_t kPacketOverhead = 256;
size_t Cost(const AVPacket &packet) { return kPacketOverhead + (packet.size > 0 ? static_cast<size_t>(packet.size) : 0); }
}  // namespace

PacketQueue::~PacketQueue() { Clear(); }

bool PacketQueue::Push(AVPacket *packet) {
    AVPacket *held = av_packet_alloc();
    if (!held) return false;
    try {
        packets_.push_back(held);
    } catch (const std::bad_alloc &) {
        av_packet_free(&held);
        return false;
    }
    av_packet_move_ref(held, packet);
    bytes_ += Cost(*held);
    return true;
}

bool PacketQueue::Pop(AVPacket *packet) {
    if (packets_.empty()) return false;
    AVPacket *front = packets_.front();
    packets_.pop_front();
    bytes_ -= Cost(*front);
    av_packet_unref(packet);
    av_packet_move_ref(packet, front);
    av_packet_free(&front);
    return true;
}

void PacketQueue::Clear() {
    for (AVPacket *&packet : packets_) av_packet_free(&packet);
    packets_.clear();
    bytes_ = 0;
}

}  // namespace standin::mmstream
