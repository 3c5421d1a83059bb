// Whole-surface locks for direct pixel access.
#pragma once

#include <windows.h>
#include <ddraw.h>

// Locks all of `surface` (waiting while it is busy) and fills `desc` with its
// memory pointer, size and pitch. A refused lock writes "Error in Lock" to
// standard error and returns false; nothing is then left to unlock.
bool lockWholeSurface(IDirectDrawSurface *surface, DDSURFACEDESC *desc);
