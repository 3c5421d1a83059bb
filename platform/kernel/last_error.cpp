// GetLastError/SetLastError: one error code per thread.
#include <windows.h>

namespace {
thread_local DWORD tLastError = ERROR_SUCCESS;
}

extern "C" {

DWORD WINAPI GetLastError(void) { return tLastError; }

void WINAPI SetLastError(DWORD dwErrCode) { tLastError = dwErrCode; }

}  // extern "C"
