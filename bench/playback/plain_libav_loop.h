// The reference every playback figure is measured against: a plain libav
// loop that demuxes, decodes and converts each frame into a buffer in the
// screen's format, with FFmpeg's default decoder threading (frame and slice
// threads, as many as FFmpeg chooses), which is what a user of FFmpeg gets.
#pragma once

#include <cstdint>
#include <string>

// The screen format the reference converts to.
enum class ReferenceTarget {
    Bgr0,  // 32-bit screen: libswscale's fast paths
    Bgr8,  // 8-bit screen, true-colour movie: libswscale's own 8-bit layout
    Pal8,  // 8-bit screen, pal8 movie: the indices copied as they are
};

struct LoopResult {
    int frames = 0;
    double seconds = 0;
    // CPU time of the whole process (every thread) over the same span: what
    // the loop costs whatever else runs on the machine.
    double cpuSeconds = 0;
    // Heap allocations per frame from the tenth to the last frame; negative
    // where allocations cannot be counted.
    double allocationsPerFrame = -1;
    double fps() const { return seconds > 0 ? frames / seconds : 0; }
    double cpuMsPerFrame() const { return frames > 0 ? cpuSeconds * 1000 / frames : 0; }
};

// CPU seconds the process has used so far, all threads.
double ProcessCpuSeconds();

// Counts allocations over the steady state of a loop: from the tenth frame
// to the last.
class SteadyAllocations {
public:
    void FrameDone(int frames);
    double PerFrame(int frames) const;

private:
    static constexpr int kSteadyFrom = 10;
    uint64_t start_ = 0;
    uint64_t end_ = 0;
};

// Plays the file's video stream once, opening excluded from the time;
// false with *error set on failure.
bool PlainLibavLoop(const std::string &path, ReferenceTarget target, LoopResult *result, std::string *error);
