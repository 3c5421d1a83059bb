#include "mmstream/source/file_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

extern "C" {
#include <libavformat/avformat.h>
}

namespace standin::mmstream {

namespace {

// FFmpeg's own file protocol reads this much at a time.
constexpr int kBufferBytes = 32768;
// A read that fails with EIO or EAGAIN is tried again this many times, after
// 2, 4, 8 and 16 ms: a storage hiccup then costs a moment, not the movie.
constexpr int kReadRetries = 4;
constexpr auto kFirstBackOff = std::chrono::milliseconds(2);
// EINTR is no fault of the file: tried again at once, but not for ever.
constexpr int kInterruptRetries = 100;

struct FileSource {
    int fd = -1;
    int64_t openedSize = 0;
    bool failed = false;  // a read failed for good since the open or last seek
};

int64_t FileSize(int fd) {
    struct stat status {};
    return fstat(fd, &status) == 0 ? static_cast<int64_t>(status.st_size) : AVERROR(errno);
}

bool Transient(int error) { return error == EIO || error == EAGAIN || error == EWOULDBLOCK; }

int ReadPacket(void *opaque, uint8_t *buffer, int size) {
    auto &source = *static_cast<FileSource *>(opaque);
    if (source.fd < 0) return AVERROR_EOF;  // closed early
    auto backOff = kFirstBackOff;
    for (int retries = 0, interrupts = 0;;) {
        const ssize_t got = read(source.fd, buffer, static_cast<size_t>(size));
        if (got > 0) return static_cast<int>(got);
        if (got == 0) return AVERROR_EOF;
        const int error = errno;
        if (error == EINTR && ++interrupts <= kInterruptRetries) continue;
        if (Transient(error) && retries++ < kReadRetries) {
            std::this_thread::sleep_for(backOff);
            backOff *= 2;
            continue;
        }
        source.failed = true;
        return AVERROR(error);
    }
}

int64_t SeekFile(void *opaque, int64_t offset, int whence) {
    auto &source = *static_cast<FileSource *>(opaque);
    if (whence & AVSEEK_SIZE) return FileSize(source.fd);
    const off_t at = lseek(source.fd, static_cast<off_t>(offset), whence & ~AVSEEK_FORCE);
    if (at < 0) return AVERROR(errno);
    source.failed = false;  // a seek reads afresh
    return at;
}

// Opens the movie into `source`; 0 or an errno. Only a regular file is a
// movie. The open does not block, as one of a FIFO would wait for a writer
// for ever; reads block as usual.
int OpenRegularFile(const std::string &utf8Path, FileSource *source) {
    const int fd = open(utf8Path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno;
    struct stat status {};
    int error = 0;
    if (fstat(fd, &status) != 0)
        error = errno;
    else if (S_ISDIR(status.st_mode))
        error = EISDIR;
    else if (!S_ISREG(status.st_mode))
        error = EINVAL;
    else if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        error = errno;
    if (error != 0) {
        close(fd);
        return error;
    }
    source->fd = fd;
    source->openedSize = static_cast<int64_t>(status.st_size);
    return 0;
}

void FreeSource(AVIOContext **io) {
    if (!*io) return;
    auto *source = static_cast<FileSource *>((*io)->opaque);
    av_freep(&(*io)->buffer);
    avio_context_free(io);
    if (source) {
        if (source->fd >= 0) close(source->fd);
        delete source;
    }
}

}  // namespace

int OpenFileInput(const std::string &utf8Path, const AVInputFormat *container, AVFormatContext **format) {
    *format = nullptr;
    auto *source = new (std::nothrow) FileSource;
    if (!source) return AVERROR(ENOMEM);
    const int error = OpenRegularFile(utf8Path, source);
    if (error != 0) {
        delete source;
        return AVERROR(error);
    }
    auto *buffer = static_cast<unsigned char *>(av_malloc(kBufferBytes));
    AVIOContext *io = buffer ? avio_alloc_context(buffer, kBufferBytes, 0, source, &ReadPacket, nullptr, &SeekFile)
                             : nullptr;
    AVFormatContext *opened = io ? avformat_alloc_context() : nullptr;
    if (!opened) {
        if (io) {
            FreeSource(&io);
        } else {
            av_free(buffer);
            close(source->fd);
            delete source;
        }
        return AVERROR(ENOMEM);
    }
    opened->pb = io;
    opened->flags |= AVFMT_FLAG_CUSTOM_IO;
    AVDictionary *options = nullptr;
    if (av_dict_set(&options, "protocol_whitelist", "file", 0) < 0) {
        avformat_free_context(opened);
        FreeSource(&io);
        return AVERROR(ENOMEM);
    }
    // The name still tells the probe what the file's ending says.
    const int result = avformat_open_input(&opened, utf8Path.c_str(), container, &options);
    av_dict_free(&options);
    if (result < 0) {
        // avformat_open_input freed the format on failure, but not a
        // caller's I/O context.
        FreeSource(&io);
        return result;
    }
    *format = opened;
    return result;
}

void CloseFileInput(AVFormatContext **format) {
    if (!*format) return;
    AVIOContext *io = (*format)->pb;
    avformat_close_input(format);
    FreeSource(&io);
}

void CloseFileInputFile(AVFormatContext *format) {
    if (!format || !format->pb) return;
    auto &source = *static_cast<FileSource *>(format->pb->opaque);
    if (source.fd >= 0) close(source.fd);
    source.fd = -1;
}

bool FileInputCutShort(const AVFormatContext *format) {
    if (!format || !format->pb) return false;
    const auto &source = *static_cast<const FileSource *>(format->pb->opaque);
    if (source.failed) return true;
    if (source.fd < 0) return false;
    const int64_t size = FileSize(source.fd);
    return size >= 0 && size < source.openedSize;
}

}  // namespace standin::mmstream
