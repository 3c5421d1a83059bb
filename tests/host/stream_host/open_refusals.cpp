#include "open_refusals.h"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "check.h"
#include "movie_stream.h"

namespace {

// A fresh stream refuses the file and stays without one.
void CheckRefused(IDirectDraw *dd, const std::string &what, const std::string &path) {
    MovieStream stream;
    if (!CreateMovieStream(dd, false, &stream)) return;
    const HRESULT hr = OpenMovieFile(stream.mm, path);
    Check(FAILED(hr), "OpenFile fails on " + what);
    STREAM_TIME duration = -1;
    Check(stream.mm->GetDuration(&duration) == E_NOINTERFACE && duration == -1, "nothing stays open after " + what);
    IDirectDrawMediaStream *dds = nullptr;
    IMediaStream *video = nullptr;
    if (stream.mm->GetMediaStream(MSPID_PrimaryVideo, &video) == S_OK && video) {
        if (video->QueryInterface(IID_IDirectDrawMediaStream, reinterpret_cast<void **>(&dds)) == S_OK) {
            // Nothing open: the stream keeps the default format it had before.
            DDSURFACEDESC current{};
            current.dwSize = sizeof(current);
            Check(dds->GetFormat(&current, nullptr, nullptr, nullptr) == S_OK && current.dwWidth == 100 &&
                      current.dwHeight == 100,
                  "GetFormat gives the 100x100 default after " + what);
            dds->Release();
        }
        video->Release();
    }
    Check(ReleaseMovieStream(&stream) == 0, "the stream that refused " + what + " is gone at its last Release");
}

}  // namespace

void CheckOpenRefusals(IDirectDraw *dd, const moviegen::TempDir &dir, const TestMovie &intact) {
    const ULONG ddBefore = RefCount(dd);
    std::vector<std::pair<std::string, std::string>> broken;
    broken.emplace_back("a missing file", dir.File("missing.avi"));

    const std::string empty = dir.File("empty.avi");
    if (moviegen::WriteZeroLength(empty)) broken.emplace_back("a zero-length file", empty);
    const std::string garbage = dir.File("garbage.avi");
    if (moviegen::WriteGarbage(garbage, 64 * 1024, 7)) broken.emplace_back("garbage", garbage);
    // 32 bytes: not even the AVI header survives.
    const std::string truncated = dir.File("truncated.avi");
    const double keep = 32.0 / static_cast<double>(std::filesystem::file_size(intact.path));
    if (moviegen::WriteTruncated(intact.path, truncated, keep)) broken.emplace_back("a truncated movie", truncated);
    const std::string wav = dir.File("tone.wav");
    if (moviegen::WriteAudioOnly(wav, 0.5)) broken.emplace_back("an audio-only WAV", wav);
    const std::string audioAvi = dir.File("tone.avi");
    if (moviegen::WriteAudioOnly(audioAvi, 0.5)) broken.emplace_back("an audio-only AVI", audioAvi);
    Check(broken.size() == 6, "the broken files are written");

    for (const auto &[what, path] : broken) CheckRefused(dd, what, path);

    MovieStream stream;
    if (CreateMovieStream(dd, false, &stream)) {
        Check(stream.mm->OpenFile(nullptr, 0) == E_POINTER, "OpenFile(null) is E_POINTER");
        ReleaseMovieStream(&stream);
    }
    Check(RefCount(dd) == ddBefore, "refused files leave the DirectDraw object's count as it was");
}
