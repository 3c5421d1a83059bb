#include "mmstream/com/open_failure.h"

#include <cerrno>

extern "C" {
#include <libavutil/error.h>
}

namespace standin::mmstream {

HRESULT OpenFailure(int averror) {
    if (averror == AVERROR(ENOENT) || averror == AVERROR(ENOTDIR)) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    if (averror == AVERROR(EACCES) || averror == AVERROR(EISDIR) || averror == AVERROR(EPERM)) return E_ACCESSDENIED;
    if (averror == AVERROR(ENOMEM)) return E_OUTOFMEMORY;
    return VFW_E_UNKNOWN_FILE_TYPE;  // not a file format FFmpeg knows
}

}  // namespace standin::mmstream
