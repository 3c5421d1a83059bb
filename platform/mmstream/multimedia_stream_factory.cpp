#include "mmstream/multimedia_stream_factory.h"

namespace standin {

// Placeholder until the FFmpeg-backed stream lands.
HRESULT CreateAMMultiMediaStream(IUnknown *, REFIID, void **out) {
    if (out) *out = nullptr;
    return REGDB_E_CLASSNOTREG;
}

}  // namespace standin
