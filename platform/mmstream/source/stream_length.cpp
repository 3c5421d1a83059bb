#include "mmstream/source/stream_length.h"

#include <algorithm>

extern "C" {
#include <libavformat/avformat.h>
}

namespace standin::mmstream {

namespace {

int64_t LastPacketEnd(AVFormatContext *scan, int streamIndex) {
    int64_t end = AV_NOPTS_VALUE;  // the lowest value, so std::max works
    AVPacket *packet = av_packet_alloc();
    if (!packet || avformat_find_stream_info(scan, nullptr) < 0 || streamIndex >= static_cast<int>(scan->nb_streams)) {
        av_packet_free(&packet);
        return end;
    }
    while (av_read_frame(scan, packet) >= 0) {
        const int64_t start = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (packet->stream_index == streamIndex && start != AV_NOPTS_VALUE)
            end = std::max(end, start + std::max<int64_t>(packet->duration, 0));
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    return end;
}

}  // namespace

int64_t ScanLastPacketEnd(AVFormatContext *format, int streamIndex) {
    AVIOContext *io = format->pb;
    const int64_t resume = avio_tell(io);
    if (resume < 0 || avio_seek(io, 0, SEEK_SET) < 0) return AV_NOPTS_VALUE;
    int64_t end = AV_NOPTS_VALUE;
    AVFormatContext *scan = avformat_alloc_context();
    if (scan) {
        scan->pb = io;
        scan->flags |= AVFMT_FLAG_CUSTOM_IO;  // the I/O context stays format's
        // As OpenFileInput's: demuxers that name other files open local
        // files only. A failed open has freed scan; closing frees it too.
        AVDictionary *options = nullptr;
        if (av_dict_set(&options, "protocol_whitelist", "file", 0) < 0) {
            avformat_free_context(scan);
        } else if (avformat_open_input(&scan, format->url, format->iformat, &options) >= 0) {
            end = LastPacketEnd(scan, streamIndex);
            avformat_close_input(&scan);
        }
        av_dict_free(&options);
    }
    avio_seek(io, resume, SEEK_SET);
    return end;
}

}  // namespace standin::mmstream
