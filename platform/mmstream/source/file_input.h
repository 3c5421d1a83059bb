// Opening a movie file for FFmpeg's demuxers, the same way for every reader
// of it (the picture, the sound track, the scan for a stream's length).
//
// The file is read through an I/O context of the stand-in's own rather than
// FFmpeg's file protocol, so that a read that fails for a moment (EIO,
// EAGAIN, EINTR) is tried again before the data counts as ended, and so
// that a reader can tell afterwards whether its data ended because a read
// failed for good.
#pragma once

#include <string>

struct AVFormatContext;
struct AVInputFormat;

namespace standin::mmstream {

// avformat_open_input on the file `utf8Path`, as `container` when known
// (null: probed); its result (an AVERROR on failure, leaving *format null).
// The protocol whitelist keeps demuxers that name other files from pulling
// in anything but local files.
int OpenFileInput(const std::string &utf8Path, const AVInputFormat *container, AVFormatContext **format);

// Closes what OpenFileInput opened (the format, its I/O context and the
// file); *format becomes null. Null is fine.
void CloseFileInput(AVFormatContext **format);

// Closes the file under the format at once, for a reader that is let go
// while it may still be decoding: the format stays usable, and its reads
// find the end of the data from then on.
void CloseFileInputFile(AVFormatContext *format);

// Whether the file's data was cut short: a read failed for good since the
// open or the last seek (its retries used up), or the file is shorter now
// than when it was opened. Data that ends so ends before the movie does.
bool FileInputCutShort(const AVFormatContext *format);

}  // namespace standin::mmstream
