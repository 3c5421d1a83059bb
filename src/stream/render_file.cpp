#include "stream/render_file.h"

#include <cstdlib>

#include "stream/wide_file_name.h"

namespace {

// Anything but S_OK from OpenFile, S_FALSE included, means no movie.
HRESULT openMovie(IAMMultiMediaStream *mmStream, const char *fileName, IDirectDraw *directDraw) {
    WCHAR *wideName = widenFileName(fileName);
    if (wideName == nullptr) return E_INVALIDARG;

    // No graph thread: the library learns of decodes only by polling.
    mmStream->Initialize(STREAMTYPE_READ, AMMSF_NOGRAPHTHREAD, nullptr);
    mmStream->AddMediaStream(directDraw, &MSPID_PrimaryVideo, 0, nullptr);
    mmStream->AddMediaStream(nullptr, &MSPID_PrimaryAudio, AMMSF_ADDDEFAULTRENDERER, nullptr);
    const HRESULT opened = mmStream->OpenFile(wideName, 0);
    std::free(wideName);
    return opened;
}

}  // namespace

void RenderFileToMMStream(const char *fileName, IAMMultiMediaStream **mmStream, IDirectDraw *directDraw) {
    IAMMultiMediaStream *created = nullptr;
    CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER, IID_IAMMultiMediaStream,
                     reinterpret_cast<void **>(&created));
    if (created == nullptr) return;

    if (openMovie(created, fileName, directDraw) == S_OK) {
        *mmStream = created;  // the creation's reference passes to the caller
        return;
    }
    *mmStream = nullptr;
    created->Release();
}
