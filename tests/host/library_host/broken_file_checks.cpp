#include "broken_file_checks.h"

#include <vidsurf.h>

#include "check.h"
#include "process_probes.h"
#include "stderr_capture.h"

namespace {

void CheckRefused(IDirectDraw *dd, const std::string &what, const std::string &path) {
    const ULONG comBefore = ComInitCount();
    const ULONG ddBefore = RefCount(dd);
    StreamSample *stream = reinterpret_cast<StreamSample *>(1);
    const std::string said = CaptureStderr([&] { stream = createStreamSample(path.c_str(), nullptr, dd); });
    Check(stream == nullptr, "createStreamSample gives null for " + what);
    const std::string expected = "Error in create MMStream for " + path + "\n";
    Check(said == expected, "one diagnostic line for " + what + " (said \"" + said + "\")");
    Check(ComInitCount() == comBefore, "COM is given back after " + what);
    Check(RefCount(dd) == ddBefore, "the DirectDraw object's count is as it was after " + what);
    if (stream) freeStreamSample(stream);
}

}  // namespace

void CheckBrokenFiles(IDirectDraw *dd, const moviegen::TempDir &dir) {
    CheckRefused(dd, "a missing file", dir.File("missing.avi"));
    const std::string garbage = dir.File("garbage.avi");
    Check(moviegen::WriteGarbage(garbage, 64 * 1024, 11), "writing garbage");
    CheckRefused(dd, "garbage", garbage);
}
