// The fault shim's controls (tests/faults/fault_shim.cpp), found at run time
// so the host also runs without the shim, injecting nothing.
#pragma once

namespace faulthost {

class FaultControls {
public:
    FaultControls();
    bool present() const { return arm_ != nullptr; }
    void Arm() const;
    void Disarm() const;
    // Faults injected, and allocation calls seen while armed; 0 without the shim.
    unsigned long Injected() const;
    unsigned long Allocations() const;

private:
    void (*arm_)() = nullptr;
    void (*disarm_)() = nullptr;
    unsigned long (*injected_)() = nullptr;
    unsigned long (*allocations_)() = nullptr;
};

}  // namespace faulthost
