// The shim's configuration (from the environment), its counters, the
// controls the host calls, and the decision whether an allocation fails.
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "fault_shim.h"

namespace faultshim {

SHIM_TLS bool t_userCode = false;
SHIM_TLS uint64_t t_thread = 0;

namespace {

enum class AllocMode { kOff, kOnce, kFrom, kRandom };

struct Config {
    AllocMode alloc = AllocMode::kOff;
    uint64_t allocAt = 0;    // once:N, from:N
    uint64_t threshold = 0;  // random:P as a fraction of 2^64
    uint64_t seed = 1;
    ReadMode read = ReadMode::kOff;
    uint64_t readAfter = 0;
    char file[512] = {};
    size_t fileLength = 0;
};

Config g_config;
std::atomic<bool> g_armed{false};
std::atomic<uint64_t> g_allocCalls{0};
std::atomic<uint64_t> g_injected{0};
std::atomic<uint64_t> g_bytesRead{0};  // from the movie's descriptors while armed

// The thread's armed allocation calls, for random:P.
SHIM_TLS uint64_t t_calls = 0;

uint64_t SplitMix(uint64_t x) {
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

uint64_t ParseUnsigned(const char *text) { return text ? std::strtoull(text, nullptr, 10) : 0; }

// Parsed by hand: strtod may allocate for locales.
uint64_t ParseProbability(const char *text) {
    double value = 0, scale = 1;
    bool fraction = false;
    for (; *text; ++text) {
        if (*text == '.') {
            fraction = true;
        } else if (*text >= '0' && *text <= '9') {
            if (fraction) {
                scale /= 10;
                value += (*text - '0') * scale;
            } else {
                value = value * 10 + (*text - '0');
            }
        } else {
            break;
        }
    }
    if (value >= 1) return UINT64_MAX;
    return static_cast<uint64_t>(value * 18446744073709551616.0);
}

bool StartsWith(const char *text, const char *prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

ReadMode ParseReadMode(const char *name) {
    static const struct {
        const char *name;
        ReadMode mode;
    } kModes[] = {{"eio-once", ReadMode::kEioOnce},
                  {"eio", ReadMode::kEio},
                  {"eagain", ReadMode::kEagain},
                  {"short", ReadMode::kShort},
                  {"lseek", ReadMode::kLseek}};
    for (const auto &entry : kModes)
        if (std::strcmp(name, entry.name) == 0) return entry.mode;
    return ReadMode::kOff;
}

__attribute__((constructor)) void ReadConfig() {
    if (const char *alloc = std::getenv("FAULT_ALLOC")) {
        if (StartsWith(alloc, "once:")) {
            g_config.alloc = AllocMode::kOnce;
            g_config.allocAt = ParseUnsigned(alloc + 5);
        } else if (StartsWith(alloc, "from:")) {
            g_config.alloc = AllocMode::kFrom;
            g_config.allocAt = ParseUnsigned(alloc + 5);
        } else if (StartsWith(alloc, "random:")) {
            g_config.alloc = AllocMode::kRandom;
            g_config.threshold = ParseProbability(alloc + 7);
        }
    }
    if (const char *seed = std::getenv("FAULT_SEED")) g_config.seed = ParseUnsigned(seed);
    if (const char *read = std::getenv("FAULT_READ")) g_config.read = ParseReadMode(read);
    g_config.readAfter = ParseUnsigned(std::getenv("FAULT_READ_AFTER"));
    if (const char *file = std::getenv("FAULT_FILE")) {
        std::strncpy(g_config.file, file, sizeof(g_config.file) - 1);
        g_config.fileLength = std::strlen(g_config.file);
    }
}

}  // namespace

bool AllocationFails() {
    if (!t_userCode || g_config.alloc == AllocMode::kOff || !g_armed.load(std::memory_order_relaxed)) return false;
    const uint64_t call = g_allocCalls.fetch_add(1, std::memory_order_relaxed) + 1;
    bool fails = false;
    switch (g_config.alloc) {
        case AllocMode::kOnce: fails = call == g_config.allocAt; break;
        case AllocMode::kFrom: fails = call >= g_config.allocAt; break;
        case AllocMode::kRandom:
            fails = SplitMix(SplitMix(g_config.seed ^ (t_thread << 40)) ^ ++t_calls) < g_config.threshold;
            break;
        case AllocMode::kOff: break;
    }
    if (fails) CountInjected();
    return fails;
}

bool Armed() { return g_armed.load(std::memory_order_relaxed); }

void CountInjected() { g_injected.fetch_add(1, std::memory_order_relaxed); }

ReadMode ConfiguredReadMode() { return g_config.read; }

bool IsMovie(const char *path) {
    if (g_config.fileLength == 0 || path == nullptr) return false;
    const size_t length = std::strlen(path);
    return length >= g_config.fileLength &&
           std::memcmp(path + length - g_config.fileLength, g_config.file, g_config.fileLength) == 0;
}

bool ReadFaultsLive() {
    return g_config.read != ReadMode::kOff && Armed() &&
           g_bytesRead.load(std::memory_order_relaxed) >= g_config.readAfter;
}

void CountBytesRead(uint64_t bytes) {
    if (Armed()) g_bytesRead.fetch_add(bytes, std::memory_order_relaxed);
}

}  // namespace faultshim

SHIM_EXPORT void FaultArm(void) {
    faultshim::t_userCode = true;
    faultshim::g_armed.store(true);
}

SHIM_EXPORT void FaultDisarm(void) { faultshim::g_armed.store(false); }
SHIM_EXPORT unsigned long FaultInjected(void) { return faultshim::g_injected.load(); }
SHIM_EXPORT unsigned long FaultAllocations(void) { return faultshim::g_allocCalls.load(); }
