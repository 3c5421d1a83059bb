#include "real_clock_checks.h"

#include "check.h"
#include "format_checks.h"
#include "frame_checks.h"
#include "movie_stream.h"

namespace {

// The frame may be written up to 1 ms ahead of its start.
constexpr STREAM_TIME kEarly = 10000;

HRESULT UpdateNow(IDirectDrawStreamSample *sample) { return sample->Update(0, nullptr, nullptr, 0); }
HRESULT UpdateLater(IDirectDrawStreamSample *sample) {
    return sample->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0);
}

STREAM_TIME Clock(const MovieStream &stream) {
    STREAM_TIME now = -1;
    stream.mm->GetTime(&now);
    return now;
}

// A sample on a surface of the host's, with the stream's format.
struct HostSample {
    IDirectDrawSurface *surface = nullptr;
    IDirectDrawStreamSample *sample = nullptr;
};

bool MakeSample(IDirectDraw *dd, const MovieStream &stream, const StreamFormat &format, HostSample *made) {
    DDSURFACEDESC desc = format.current;
    if (dd->CreateSurface(&desc, &made->surface, nullptr) != DD_OK) return false;
    return stream.ddStream->CreateSample(made->surface, nullptr, 0, &made->sample) == S_OK;
}

}  // namespace

void CheckFrameTimes(IDirectDraw *dd, const TestMovie &movie, DWORD screenBits) {
    const std::string where = movie.name + " on " + std::to_string(screenBits) + "-bit, real clock";
    const ULONG ddBefore = RefCount(dd);
    MovieStream stream;
    if (!OpenMovieStream(dd, movie.path, movie.recipe.audio, &stream)) return;
    StreamFormat format;
    HostSample host;
    if (CheckFormat(stream, movie, screenBits, where, &format) && MakeSample(dd, stream, format, &host)) {
        Check(stream.mm->SetState(STREAMSTATE_RUN) == S_OK, where + ": SetState(RUN)");
        int onTime = 0, delivered = 0;
        for (; delivered < movie.recipe.frames && UpdateNow(host.sample) == S_OK; ++delivered) {
            const STREAM_TIME now = Clock(stream);
            const STREAM_TIME start = moviegen::FrameStart100ns(movie.recipe, delivered);
            if (now >= start - kEarly) ++onTime;
            else Check(false, where + ": frame " + std::to_string(delivered) + " at " + std::to_string(now) +
                              ", before its start " + std::to_string(start));
            CheckFrame(movie, delivered, host.surface, format.entries, where);
        }
        Check(delivered == movie.recipe.frames && onTime == delivered, where + ": every frame, none early");
        Check(UpdateNow(host.sample) == MS_S_ENDOFSTREAM, where + ": MS_S_ENDOFSTREAM after the last frame");
        STREAM_TIME end = Clock(stream);
        Check(end >= moviegen::FrameStart100ns(movie.recipe, movie.recipe.frames - 1),
              where + ": the clock has passed the last frame's start");
    } else {
        Check(false, where + ": a sample on a host surface");
    }
    if (host.sample) Check(host.sample->Release() == 0, where + ": the sample is gone at its last Release");
    if (host.surface) Check(host.surface->Release() == 0, where + ": the surface is gone at its last Release");
    Check(ReleaseMovieStream(&stream) == 0, where + ": the multimedia stream is gone at its last Release");
    if (format.palette) format.palette->Release();
    Check(RefCount(dd) == ddBefore, where + ": the DirectDraw object's count is back");
}

void CheckPendingUpdates(IDirectDraw *dd, const TestMovie &slow, DWORD screenBits) {
    const std::string where = slow.name + " on " + std::to_string(screenBits) + "-bit, real clock";
    const ULONG ddBefore = RefCount(dd);
    MovieStream stream;
    if (!OpenMovieStream(dd, slow.path, false, &stream)) return;
    StreamFormat format;
    HostSample host;
    if (CheckFormat(stream, slow, screenBits, where, &format) && MakeSample(dd, stream, format, &host)) {
        Check(stream.mm->SetState(STREAMSTATE_RUN) == S_OK, where + ": SetState(RUN)");
        Check(UpdateNow(host.sample) == S_OK, where + ": the first frame");
        Check(host.sample->CompletionStatus(0, 0) == S_OK, where + ": CompletionStatus after a finished update");
        Check(UpdateLater(host.sample) == MS_S_PENDING, where + ": an update ahead of time is MS_S_PENDING");
        Check(UpdateLater(host.sample) == MS_E_BUSY, where + ": a second update is MS_E_BUSY");
        Check(UpdateNow(host.sample) == MS_E_BUSY, where + ": a synchronous one too");
        Check(stream.mm->SetState(STREAMSTATE_STOP) == S_OK && stream.mm->SetState(STREAMSTATE_RUN) == S_OK,
              where + ": stop and run");
        Check(UpdateLater(host.sample) == MS_E_BUSY, where + ": still MS_E_BUSY after a stop and run");
        Check(host.sample->CompletionStatus(COMPSTAT_WAIT, INFINITE) == S_OK, where + ": the pending update ends");
        const STREAM_TIME now = Clock(stream);
        Check(now >= moviegen::FrameStart100ns(slow.recipe, 1) - kEarly, where + ": the pending frame came on time");
        CheckFrame(slow, 1, host.surface, format.entries, where);

        // Withdrawn through CompletionStatus, then released while pending.
        Check(stream.mm->Seek(0) == S_OK && UpdateNow(host.sample) == S_OK, where + ": back to the first frame");
        Check(UpdateLater(host.sample) == MS_S_PENDING, where + ": pending again");
        Check(host.sample->CompletionStatus(COMPSTAT_NOUPDATEOK, 0) == MS_S_NOUPDATE,
              where + ": COMPSTAT_NOUPDATEOK withdraws it");
        Check(UpdateLater(host.sample) == MS_S_PENDING, where + ": pending once more");
    } else {
        Check(false, where + ": a sample on a host surface");
    }
    // The pending update is withdrawn: nothing keeps the surface afterwards.
    if (host.sample) Check(host.sample->Release() == 0, where + ": a pending sample is gone at its last Release");
    if (host.surface) Check(host.surface->Release() == 0, where + ": its surface is gone at its last Release");
    Check(ReleaseMovieStream(&stream) == 0, where + ": the multimedia stream is gone at its last Release");
    if (format.palette) format.palette->Release();
    Check(RefCount(dd) == ddBefore, where + ": the DirectDraw object's count is back");
}
