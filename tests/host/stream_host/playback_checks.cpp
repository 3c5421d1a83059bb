#include "playback_checks.h"

#include "check.h"
#include "format_checks.h"
#include "frame_checks.h"
#include "host_surfaces.h"
#include "movie_stream.h"

namespace {

HRESULT UpdateNow(IDirectDrawStreamSample *sample) { return sample->Update(0, nullptr, nullptr, 0); }

// A surface of the other depth than the stream's is refused.
void CheckForeignSurface(IDirectDraw *dd, const MovieStream &stream, const TestMovie &movie, DWORD screenBits,
                         const std::string &where) {
    IDirectDrawSurface *foreign = MakeSurface(dd, movie.recipe.width, movie.recipe.height, screenBits == 8 ? 32 : 8);
    Check(foreign != nullptr, where + ": a surface of the other depth");
    if (!foreign) return;
    IDirectDrawStreamSample *sample = nullptr;
    Check(stream.ddStream->CreateSample(foreign, nullptr, 0, &sample) == DDERR_INVALIDSURFACETYPE && !sample,
          where + ": CreateSample refuses a surface of another format");
    if (sample) sample->Release();
    Check(foreign->Release() == 0, where + ": the refused surface is not kept");
}

// A null surface makes the stream create one of its own format.
void CheckOwnSurface(const MovieStream &stream, const TestMovie &movie, DWORD screenBits, const std::string &where) {
    IDirectDrawStreamSample *sample = nullptr;
    Check(stream.ddStream->CreateSample(nullptr, nullptr, 0, &sample) == S_OK && sample,
          where + ": CreateSample with no surface");
    if (!sample) return;
    IDirectDrawSurface *surface = nullptr;
    RECT rect{};
    Check(sample->GetSurface(&surface, &rect) == S_OK && surface, where + ": GetSurface");
    Check(rect.left == 0 && rect.top == 0 && rect.right == movie.recipe.width && rect.bottom == movie.recipe.height,
          where + ": the sample covers the frame");
    if (surface) {
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof desc;
        Check(surface->GetSurfaceDesc(&desc) == DD_OK && desc.ddpfPixelFormat.dwRGBBitCount == screenBits,
              where + ": the sample's own surface has the stream's format");
        surface->Release();
    }
    Check(sample->Release() == 0, where + ": a sample with its own surface is released");
}

void PlayFrames(const MovieStream &stream, IDirectDrawStreamSample *sample, IDirectDrawSurface *surface,
                const TestMovie &movie, const StreamFormat &format, const std::string &where) {
    Check(UpdateNow(sample) == MS_E_NOTRUNNING, where + ": Update on a stopped stream is MS_E_NOTRUNNING");
    Check(stream.mm->SetState(STREAMSTATE_RUN) == S_OK, where + ": SetState(RUN)");
    int delivered = 0;
    for (; delivered < movie.recipe.frames; ++delivered) {
        const HRESULT hr = UpdateNow(sample);
        if (hr != S_OK) break;
        CheckFrame(movie, delivered, surface, format.entries, where);
    }
    Check(delivered == movie.recipe.frames,
          where + ": " + std::to_string(delivered) + " of " + std::to_string(movie.recipe.frames) + " frames");
    Check(UpdateNow(sample) == MS_S_ENDOFSTREAM, where + ": MS_S_ENDOFSTREAM after the last frame");
    Check(UpdateNow(sample) == MS_S_ENDOFSTREAM, where + ": MS_S_ENDOFSTREAM again");

    // After a seek the next frame is the one shown at the new position.
    const int target = movie.recipe.frames / 2;
    Check(stream.mm->Seek(moviegen::FrameStart100ns(movie.recipe, target)) == S_OK, where + ": Seek");
    Check(UpdateNow(sample) == S_OK, where + ": Update after a seek");
    CheckFrame(movie, target, surface, format.entries, where + " after a seek");
    Check(stream.mm->SetState(STREAMSTATE_STOP) == S_OK, where + ": SetState(STOP)");
    STREAM_TIME stopped = -1;
    Check(stream.mm->GetTime(&stopped) == S_FALSE, where + ": GetTime on a stopped stream is S_FALSE");
}

}  // namespace

void CheckPlayback(IDirectDraw *dd, const TestMovie &movie, DWORD screenBits) {
    const std::string where = movie.name + " on " + std::to_string(screenBits) + "-bit";
    const ULONG ddBefore = RefCount(dd);
    MovieStream stream;
    if (!OpenMovieStream(dd, movie.path, movie.recipe.audio, &stream)) return;
    Check(RefCount(dd) > ddBefore, where + ": the video stream holds the DirectDraw object");

    StreamFormat format;
    if (CheckFormat(stream, movie, screenBits, where, &format)) {
        CheckForeignSurface(dd, stream, movie, screenBits, where);
        CheckOwnSurface(stream, movie, screenBits, where);

        IDirectDrawSurface *surface = nullptr;
        Check(dd->CreateSurface(&format.current, &surface, nullptr) == DD_OK && surface,
              where + ": a surface from the current format");
        RECT rect{0, 0, movie.recipe.width, movie.recipe.height};
        IDirectDrawStreamSample *sample = nullptr;
        if (surface) {
            Check(stream.ddStream->CreateSample(surface, &rect, 0, &sample) == S_OK && sample,
                  where + ": CreateSample on the host's surface");
            Check(RefCount(surface) == 2, where + ": the sample holds one reference on the surface");
        }
        if (sample) {
            PlayFrames(stream, sample, surface, movie, format, where);
            Check(sample->Release() == 0, where + ": the sample is gone at its last Release");
        }
        if (surface) Check(surface->Release() == 0, where + ": the surface is gone at its last Release");
    }
    Check(ReleaseMovieStream(&stream) == 0, where + ": the multimedia stream is gone at its last Release");
    if (format.palette) Check(format.palette->Release() == 0, where + ": the palette is gone at its last Release");
    Check(RefCount(dd) == ddBefore, where + ": the DirectDraw object's count is back");
}
