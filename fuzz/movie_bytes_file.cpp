#include "movie_bytes_file.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace fuzzhost {

MovieBytesFile::MovieBytesFile(const uint8_t *data, size_t size) {
    const char *dir = std::getenv("TMPDIR");
    std::string name = std::string(dir && *dir ? dir : "/tmp") + "/vidsurf-fuzz-XXXXXX";
    const int fd = mkstemp(name.data());
    if (fd < 0) return;
    size_t written = 0;
    while (written < size) {
        const ssize_t n = write(fd, data + written, size - written);
        if (n <= 0) break;
        written += static_cast<size_t>(n);
    }
    const bool closed = close(fd) == 0;
    if (written == size && closed)
        path_ = name;
    else
        std::remove(name.c_str());
}

MovieBytesFile::~MovieBytesFile() {
    if (!path_.empty()) std::remove(path_.c_str());
}

bool ReadFileBytes(const std::string &path, std::vector<uint8_t> *bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace fuzzhost
