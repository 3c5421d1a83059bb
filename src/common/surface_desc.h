// The surface description every format query and lock starts from.
#pragma once

#include <cstring>

#include <windows.h>
#include <ddraw.h>

// Zero-filled, sized for this build, asking for every member.
inline DDSURFACEDESC blankSurfaceDesc() {
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_ALL;
    return desc;
}
