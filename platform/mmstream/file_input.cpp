#include "mmstream/file_input.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace standin::mmstream {

int OpenFileInput(const std::string &utf8Path, const AVInputFormat *container, AVFormatContext **format) {
    AVDictionary *options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    const std::string url = "file:" + utf8Path;
    const int opened = avformat_open_input(format, url.c_str(), container, &options);
    av_dict_free(&options);
    return opened;
}

}  // namespace standin::mmstream
