// CreateEvent, SetEvent, ResetEvent, WaitForSingleObject and CloseHandle
// on the stand-in's event objects, the only kernel objects it has.
#include <windows.h>

#include "common/exception_guard.h"
#include "sync/event_table.h"

using standin::GuardApi;
using standin::sync::Events;

namespace {

// Events have no names here: a named event would be shared with other
// processes on Windows, which the stand-in cannot offer.
HANDLE CreateUnnamedEvent(BOOL manualReset, BOOL initialState, bool named) {
    if (named) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    return GuardApi<HANDLE>(nullptr, [&] {
        HANDLE event = Events().Create(manualReset != FALSE, initialState != FALSE);
        SetLastError(event ? ERROR_SUCCESS : ERROR_NO_SYSTEM_RESOURCES);
        return event;
    });
}

BOOL InvalidHandle() {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

}  // namespace

extern "C" {

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCSTR lpName) {
    return CreateUnnamedEvent(bManualReset, bInitialState, lpName != nullptr);
}

HANDLE WINAPI CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCWSTR lpName) {
    return CreateUnnamedEvent(bManualReset, bInitialState, lpName != nullptr);
}

BOOL WINAPI SetEvent(HANDLE hEvent) {
    const auto event = Events().Find(hEvent);
    if (!event) return InvalidHandle();
    event->Set();
    return TRUE;
}

BOOL WINAPI ResetEvent(HANDLE hEvent) {
    const auto event = Events().Find(hEvent);
    if (!event) return InvalidHandle();
    event->Reset();
    return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    const auto event = Events().Find(hHandle);
    if (!event) {
        InvalidHandle();
        return WAIT_FAILED;
    }
    return event->Wait(dwMilliseconds) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

BOOL WINAPI CloseHandle(HANDLE hObject) { return Events().Close(hObject) ? TRUE : InvalidHandle(); }

}  // extern "C"
