// shim_probe: checks, under the fault shim, that the shim's failures reach
// the program and that AddressSanitizer still sees every allocation.
//   shim_probe fail-malloc | fail-new | fail-nothrow   (FAULT_ALLOC=from:1)
//   shim_probe overflow-malloc | overflow-new          (a report is expected)
// Exits 0 when the failure came as it should; the overflows end in a report.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace {

void Arm() {
    auto arm = reinterpret_cast<void (*)()>(dlsym(RTLD_DEFAULT, "FaultArm"));
    if (!arm) {
        std::fprintf(stderr, "shim_probe: the fault shim is not loaded\n");
        std::exit(1);
    }
    arm();
}

// Keeps the compiler from proving anything about the pointer.
template <typename T>
T *Opaque(T *pointer) {
    asm volatile("" : "+r"(pointer));
    return pointer;
}

}  // namespace

int main(int argc, char **argv) {
    const std::string probe = argc == 2 ? argv[1] : "";
    if (probe == "fail-malloc") {
        Arm();
        return std::malloc(32) == nullptr ? 0 : 1;
    }
    if (probe == "fail-new") {
        Arm();
        try {
            delete Opaque(new int(1));
        } catch (const std::bad_alloc &) {
            return 0;
        }
        return 1;
    }
    if (probe == "fail-nothrow") {
        Arm();
        return Opaque(new (std::nothrow) int[4]) == nullptr ? 0 : 1;
    }
    if (probe == "overflow-malloc") {
        char *bytes = Opaque(static_cast<char *>(std::malloc(16)));
        bytes[16] = 1;
        std::free(bytes);
        return 0;
    }
    if (probe == "overflow-new") {
        char *bytes = Opaque(new char[16]);
        bytes[16] = 1;
        delete[] bytes;
        return 0;
    }
    std::fprintf(stderr, "usage: shim_probe fail-malloc|fail-new|fail-nothrow|overflow-malloc|overflow-new\n");
    return 2;
}
