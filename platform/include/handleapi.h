// CloseHandle (handleapi.h in the Windows SDK), for the stand-in's kernel
// objects: its events.
#pragma once

#include "windef.h"

extern "C" {
BOOL WINAPI CloseHandle(HANDLE hObject);
}
