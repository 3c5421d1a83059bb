#include "mmstream/com/multimedia_stream_factory.h"

#include <new>

#include "mmstream/com/multimedia_stream.h"

namespace standin {

HRESULT CreateAMMultiMediaStream(IUnknown *outer, REFIID riid, void **out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto *stream = new (std::nothrow) mmstream::MultimediaStream();
    if (!stream) return E_OUTOFMEMORY;
    const HRESULT hr = stream->QueryInterface(riid, out);
    stream->Release();  // the caller's reference, if any, keeps it alive
    return hr;
}

}  // namespace standin
