// Offscreen surfaces the host makes itself.
#pragma once

#include <windows.h>
#include <ddraw.h>

// A system-memory surface of the given size and depth (8-bit palettized or
// 32-bit RGB); null when DirectDraw refuses it.
IDirectDrawSurface *MakeSurface(IDirectDraw *dd, DWORD width, DWORD height, DWORD bits);
// The screen's depth in bits per pixel, 0 when unknown.
DWORD ScreenBits(IDirectDraw *dd);
