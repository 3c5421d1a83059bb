// The built-in class behind CLSID_AMMultiMediaStream, created by the COM
// runtime without registration.
#pragma once

#include <windows.h>

namespace standin {

HRESULT CreateAMMultiMediaStream(IUnknown *outer, REFIID riid, void **out);

}  // namespace standin
