// reelcheck: plays a movie to its end through the library's exports, ticking
// back to back (run it with VIDSURF_CLOCK=free), with the frame blitted to
// the top left corner of the screen, and reports what the screen showed.
//   reelcheck MOVIE FIRST.png LAST.png
// Saves the screen as it was after the first frame and at the end, and
// prints one line:
//   size WxH shown N distinct D clock SECONDS duration SECONDS
// where N counts the frames put on the screen and D those that differ from
// the one before them. Exits with 1 when the movie cannot be opened (the
// library has said why on standard error) and 2 after the usage line.
#include <cstdio>
#include <cstring>
#include <vector>

#include <windows.h>
#include <ddraw.h>
#include <vidsurf.h>

#include <standin/standin.h>

namespace {

DDSURFACEDESC EmptyDesc() {
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    return desc;
}

// Watches the frame's rectangle on the screen after every blit.
class ScreenWatch {
public:
    ScreenWatch(IDirectDrawSurface *primary, int width, int height, const char *firstPng)
        : primary_(primary), width_(width), height_(height), firstPng_(firstPng) {
        StandinWatchScreen(&ScreenWatch::blitted, this);
    }
    ~ScreenWatch() { StandinWatchScreen(nullptr, nullptr); }

    long shown() const { return shown_; }
    long distinct() const { return distinct_; }
    bool ok() const { return ok_; }

private:
    static void blitted(void *watch) { static_cast<ScreenWatch *>(watch)->look(); }

    void look() {
        if (++shown_ == 1 && FAILED(StandinSaveScreenPng(firstPng_))) ok_ = false;
        DDSURFACEDESC desc = EmptyDesc();
        if (primary_->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) {
            ok_ = false;
            return;
        }
        const size_t rowBytes = static_cast<size_t>(width_) * (desc.ddpfPixelFormat.dwRGBBitCount / 8);
        current_.resize(rowBytes * static_cast<size_t>(height_));
        const auto *pixels = static_cast<const unsigned char *>(desc.lpSurface);
        for (int y = 0; y < height_; ++y)
            std::memcpy(&current_[y * rowBytes], pixels + static_cast<size_t>(y) * desc.lPitch, rowBytes);
        primary_->Unlock(nullptr);
        if (current_ != previous_) ++distinct_;
        previous_.swap(current_);
    }

    IDirectDrawSurface *primary_;
    int width_, height_;
    const char *firstPng_;
    long shown_ = 0, distinct_ = 0;
    bool ok_ = true;
    std::vector<unsigned char> previous_, current_;
};

}  // namespace

int main(int argc, char **argv) {
    if (argc != 4) {
        std::fprintf(stderr, "Usage: reelcheck MOVIE FIRST.png LAST.png\n");
        return 2;
    }
    IDirectDraw *directDraw = nullptr;
    IDirectDrawSurface *primary = nullptr;
    DDSURFACEDESC desc = EmptyDesc();
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (DirectDrawCreate(nullptr, &directDraw, nullptr) != DD_OK ||
        directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL) != DD_OK ||
        directDraw->CreateSurface(&desc, &primary, nullptr) != DD_OK) {
        std::fprintf(stderr, "reelcheck: no primary surface\n");
        return 1;
    }
    DWORD screenWidth = 0, screenHeight = 0, screenBits = 0;
    StandinScreenMode(&screenWidth, &screenHeight, &screenBits);

    int status = 1;
    if (StreamSample *stream = createStreamSample(argv[1], nullptr, directDraw)) {
        int width = 0, height = 0;
        streamRect(stream, &width, &height);
        bool watched = true;
        long shown = 0, distinct = 0;
        {
            ScreenWatch watch(primary, width, height, argv[2]);
            // As on any palettized display, the movie's own palette is
            // realised once its first frame is up.
            bool realised = screenBits != 8 || streamPalette(stream, nullptr) == 0;
            for (int result; (result = updateStreamSample(stream, primary)) != 0;) {
                if (!realised && result == 1) {
                    drawSurface(stream, primary, TRUE);
                    realised = true;
                }
            }
            watched = watch.ok();
            shown = watch.shown();
            distinct = watch.distinct();
        }
        std::printf("size %dx%d shown %ld distinct %ld clock %.3f duration %.3f\n", width, height, shown, distinct,
                    streamClock(stream), streamDuration(stream));
        freeStreamSample(stream);
        if (!watched) std::fprintf(stderr, "reelcheck: cannot look at the screen\n");
        if (FAILED(StandinSaveScreenPng(argv[3]))) {
            std::fprintf(stderr, "reelcheck: cannot write %s\n", argv[3]);
            watched = false;
        }
        status = watched ? 0 : 1;
    }
    primary->Release();
    directDraw->Release();
    return status;
}
