// A watchdog for calls that may never return (an open blocked on a device,
// a free waiting for a thread): when a phase's deadline passes, the process
// says which phase hung (with every thread's stack when FAULT_HOST_GDB
// names a gdb) and exits with kExitHang, whatever its threads do.
#pragma once

namespace faulthost {

constexpr int kExitHang = 3;

// Starts the phase's deadline, replacing the previous one. `phase` must
// outlive the deadline (a string literal).
void StartDeadline(const char *phase, unsigned seconds);
void ClearDeadline();

}  // namespace faulthost
