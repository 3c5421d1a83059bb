// Opening a movie file for FFmpeg's demuxers, the same way for every reader
// of it (the picture, the sound track, the scan for a stream's length).
#pragma once

#include <string>

struct AVFormatContext;
struct AVInputFormat;

namespace standin::mmstream {

// avformat_open_input on the file `utf8Path`, as `container` when known
// (null: probed); its result. The "file:" prefix and the protocol
// whitelist keep a name from being read as a URL or from pulling in other
// protocols.
int OpenFileInput(const std::string &utf8Path, const AVInputFormat *container, AVFormatContext **format);

}  // namespace standin::mmstream
