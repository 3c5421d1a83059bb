#include "presentation_checks.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>
#include <vidsurf.h>

#include "check.h"
#include "screen_pixels.h"

namespace {

struct Ticking {
    std::vector<int> results;
    std::vector<int> shown;  // frame numbers as they changed on the screen
};

// Ticks back to back until the tick returns 0, or ten seconds pass.
Ticking tickToTheEnd(StreamSample *stream, IDirectDrawSurface *primary, const std::function<int()> &shownFrame) {
    Ticking ticking;
    const auto guard = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < guard) {
        const int result = updateStreamSample(stream, primary);
        ticking.results.push_back(result);
        if (result == 0) break;
        if (result != 1) continue;
        const int frame = shownFrame();
        if (ticking.shown.empty() || ticking.shown.back() != frame) ticking.shown.push_back(frame);
    }
    return ticking;
}

std::vector<int> framesFrom(int first, int last) {
    std::vector<int> frames;
    for (int frame = first; frame <= last; ++frame) frames.push_back(frame);
    return frames;
}

bool endedAfterFramesAndWaits(const Ticking &ticking) {
    if (ticking.results.size() < 2 || ticking.results.front() != 2 || ticking.results.back() != 0) return false;
    for (size_t i = 0; i + 1 < ticking.results.size(); ++i)
        if (ticking.results[i] != 1 && ticking.results[i] != 2) return false;
    return true;
}

bool allBlack(const std::vector<uint8_t> &rgb) {
    for (uint8_t byte : rgb)
        if (byte != 0) return false;
    return !rgb.empty();
}

RECT clientOnScreen(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    OffsetRect(&client, origin.x, origin.y);
    return client;
}

}  // namespace

void CheckPresentation(IDirectDraw *dd, IDirectDrawSurface *primary, const TestMovie &movie, DWORD screenBits,
                       bool windowed) {
    const std::string where = movie.name + (windowed ? " in a window" : " at the top-left");
    const moviegen::MovieRecipe &recipe = movie.recipe;
    const int lastFrame = recipe.frames - 1;
    HWND window = nullptr;
    if (windowed) {
        window = CreateWindowExA(0, "host", "movie", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 70, 50, 430, 360, nullptr,
                                 nullptr, nullptr, nullptr);
        Check(window != nullptr, where + ": CreateWindowExA");
        if (window == nullptr) return;
    }
    Check(ClearScreen(primary), where + ": clearing the screen");
    StreamSample *stream = createStreamSample(movie.path.c_str(), window, dd);
    Check(stream != nullptr, where + ": opens");
    if (stream == nullptr) {
        if (window != nullptr) DestroyWindow(window);
        return;
    }
    const RECT frameRect = {0, 0, recipe.width, recipe.height};
    auto area = [&] { return windowed ? clientOnScreen(window) : frameRect; };
    auto picture = [&] { return ScreenPicture(primary, area(), recipe.width, recipe.height); };
    auto shownFrame = [&] {
        const std::vector<uint8_t> rgb = picture();
        return rgb.empty() ? -1 : moviegen::ReadFrameIndex(rgb.data(), recipe.width, recipe.height, recipe.width * 3);
    };
    // Without a window, lossless frames can be checked pixel for pixel.
    auto checkPixels = [&](int frame, const std::string &when) {
        if (windowed || !moviegen::KindIsLossless(recipe.kind)) return;
        const std::vector<uint8_t> shown = ScreenRgb(primary, frameRect);
        const std::vector<uint8_t> wanted = moviegen::FrameRgb24(recipe, frame);
        if (screenBits == 32) Check(shown == wanted, where + ": " + when + " shows the frame's exact pixels");
        if (screenBits == 8 && moviegen::KindIsPaletted(recipe.kind))
            Check(NearestSystemColours(shown, wanted), where + ": " + when + " shows the nearest system colours");
    };

    Check(updateSurface(stream, primary) == 1, where + ": updateSurface releases its device context");
    Check(shownFrame() == 0, where + ": updateSurface shows the first frame");
    checkPixels(0, "updateSurface");
    if (windowed) {
        RECT outer;
        GetWindowRect(window, &outer);
        const RECT client = area();
        Check(allBlack(ScreenRgb(primary, RECT{outer.left, outer.top, outer.right, client.top})),
              where + ": nothing drawn over the caption");
    } else {
        Check(allBlack(ScreenRgb(primary, RECT{recipe.width, 0, recipe.width + 16, recipe.height + 16})) &&
                  allBlack(ScreenRgb(primary, RECT{0, recipe.height, recipe.width, recipe.height + 16})),
              where + ": nothing drawn past the frame's own size");
    }

    Ticking ticking = tickToTheEnd(stream, primary, shownFrame);
    Check(endedAfterFramesAndWaits(ticking), where + ": ticks give 2, then 1 and 2, then 0 at the end");
    Check(ticking.shown == framesFrom(1, lastFrame), where + ": ticking shows every later frame in order");
    checkPixels(lastFrame, "the last tick");

    streamSeek(stream, 0.2);
    ticking = tickToTheEnd(stream, primary, shownFrame);
    Check(endedAfterFramesAndWaits(ticking), where + ": after a seek the ticks play to the end again");
    Check(ticking.shown == framesFrom(5, lastFrame), where + ": after a seek to 0.2 s frames 5 on are shown");

    if (windowed) MoveWindow(window, 150, 100, 430, 360, TRUE);
    streamPause(stream, primary, 0.32);
    Check(shownFrame() == 8, where + ": streamPause(0.32) shows frame 8");
    Check(streamClock(stream) == 0.32, where + ": streamPause sets the clock to its time");
    checkPixels(8, "streamPause");
    ticking = tickToTheEnd(stream, primary, shownFrame);
    Check(!ticking.results.empty() && ticking.results.back() == 0, where + ": after a pause the ticks end");
    Check(ticking.shown.empty() || ticking.shown == std::vector<int>{8}, where + ": the paused frame stays");
    streamPause(stream, primary, -3.0);
    Check(shownFrame() == 8, where + ": streamPause with a negative time shows nothing new");

    Check(drawSurface(stream, primary, 1) == 1 && shownFrame() == 8, where + ": drawSurface shows the frame again");
    Check(redrawSurface(stream, primary) == 1, where + ": redrawSurface releases its device context");
    if (screenBits == 32) Check(shownFrame() == 8, where + ": redrawSurface shows the frame again");

    freeStreamSample(stream);
    if (window != nullptr) DestroyWindow(window);
}
