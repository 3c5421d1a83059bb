// How a file that FFmpeg cannot open is reported to a caller of OpenFile.
#pragma once

#include <windows.h>

namespace standin::mmstream {

// Maps an error of avformat_open_input to the HRESULT Windows gives for the
// same kind of file.
HRESULT OpenFailure(int averror);

}  // namespace standin::mmstream
