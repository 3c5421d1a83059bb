// What a leak would change in the host's process: open file descriptors,
// the thread's COM initialisations, an object's reference count.
#pragma once

#include <windows.h>

// Entries of /proc/self/fd.
int OpenFileDescriptors();
// Successful CoInitialize calls of this thread not yet undone.
ULONG ComInitCount();
// The reference count of an object, read without changing it.
ULONG RefCount(IUnknown *object);
