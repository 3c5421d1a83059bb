// The bytes under test as a movie file on disk: the stream opens movies by
// name only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzzhost {

// A fresh file under $TMPDIR (or /tmp) holding the bytes, removed when the
// object goes away. path() is empty when the file could not be written.
class MovieBytesFile {
public:
    MovieBytesFile(const uint8_t *data, size_t size);
    ~MovieBytesFile();
    MovieBytesFile(const MovieBytesFile &) = delete;
    MovieBytesFile &operator=(const MovieBytesFile &) = delete;

    const std::string &path() const { return path_; }

private:
    std::string path_;
};

// The whole file, or false when it cannot be read.
bool ReadFileBytes(const std::string &path, std::vector<uint8_t> *bytes);

}  // namespace fuzzhost
