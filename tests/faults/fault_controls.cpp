#include "fault_controls.h"

#include <dlfcn.h>

namespace faulthost {
namespace {

template <typename Function>
Function Find(const char *name) {
    return reinterpret_cast<Function>(dlsym(RTLD_DEFAULT, name));
}

}  // namespace

FaultControls::FaultControls()
    : arm_(Find<void (*)()>("FaultArm")),
      disarm_(Find<void (*)()>("FaultDisarm")),
      injected_(Find<unsigned long (*)()>("FaultInjected")),
      allocations_(Find<unsigned long (*)()>("FaultAllocations")) {}

void FaultControls::Arm() const {
    if (arm_) arm_();
}

void FaultControls::Disarm() const {
    if (disarm_) disarm_();
}

unsigned long FaultControls::Injected() const { return injected_ ? injected_() : 0; }

unsigned long FaultControls::Allocations() const { return allocations_ ? allocations_() : 0; }

}  // namespace faulthost
