#include "fifo_drain.h"

#include <fcntl.h>
#include <unistd.h>

namespace faulthost {

FifoDrain::~FifoDrain() { Close(); }

void FifoDrain::Pump() {
    if (fd_ < 0) fd_ = open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return;
    char buffer[65536];
    while (read(fd_, buffer, sizeof(buffer)) > 0) {
    }
}

void FifoDrain::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

}  // namespace faulthost
