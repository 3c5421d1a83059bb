// Reads a FIFO that a sound device writes into, so that a device thread
// blocked in opening it or in writing to it can go on and end.
#pragma once

#include <string>

namespace faulthost {

class FifoDrain {
public:
    explicit FifoDrain(std::string path) : path_(std::move(path)) {}
    ~FifoDrain();
    FifoDrain(const FifoDrain &) = delete;
    FifoDrain &operator=(const FifoDrain &) = delete;

    // Opens the reading end (once, without blocking) and reads what is there.
    void Pump();
    // Gives the reading end back.
    void Close();

    // For SettleTo's `meanwhile`.
    static void PumpFor(void *drain) { static_cast<FifoDrain *>(drain)->Pump(); }

private:
    std::string path_;
    int fd_ = -1;
};

}  // namespace faulthost
