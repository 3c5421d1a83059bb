#include "file_mutation.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>
#include <vector>

namespace faulthost {

bool ParseMutation(const std::string &name, Mutation *mutation) {
    static const struct {
        const char *name;
        Mutation mutation;
    } kNames[] = {{"truncate", Mutation::kTruncate},
                  {"garbage", Mutation::kGarbage},
                  {"delete", Mutation::kDelete},
                  {"replace", Mutation::kReplace}};
    for (const auto &entry : kNames) {
        if (name == entry.name) {
            *mutation = entry.mutation;
            return true;
        }
    }
    return false;
}

FileMutation::FileMutation(Mutation mutation, std::string path, const std::string &replacement)
    : mutation_(mutation), path_(std::move(path)) {
    if (mutation_ != Mutation::kReplace) return;
    staged_ = path_ + ".replacement";
    std::ifstream from(replacement, std::ios::binary);
    std::ofstream to(staged_, std::ios::binary | std::ios::trunc);
    to << from.rdbuf();
}

namespace {

bool Failed(const std::string &what, std::string *error) {
    *error = what + ": " + std::strerror(errno);
    return false;
}

bool OverwriteWithNoise(const std::string &path, std::string *error) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return Failed("stat " + path, error);
    const off_t from = info.st_size / 3;
    std::vector<unsigned char> noise(static_cast<size_t>(info.st_size - from));
    std::mt19937 random(12345);
    for (unsigned char &byte : noise) byte = static_cast<unsigned char>(random());
    const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return Failed("open " + path, error);
    const bool written = pwrite(fd, noise.data(), noise.size(), from) == static_cast<ssize_t>(noise.size());
    close(fd);
    return written || Failed("pwrite " + path, error);
}

}  // namespace

bool FileMutation::Apply(std::string *error) const {
    switch (mutation_) {
        case Mutation::kNone: return true;
        case Mutation::kTruncate: {
            struct stat info {};
            if (stat(path_.c_str(), &info) != 0) return Failed("stat " + path_, error);
            return truncate(path_.c_str(), info.st_size / 3) == 0 || Failed("truncate " + path_, error);
        }
        case Mutation::kGarbage: return OverwriteWithNoise(path_, error);
        case Mutation::kDelete: return unlink(path_.c_str()) == 0 || Failed("unlink " + path_, error);
        case Mutation::kReplace:
            return rename(staged_.c_str(), path_.c_str()) == 0 || Failed("rename over " + path_, error);
    }
    return false;
}

}  // namespace faulthost
