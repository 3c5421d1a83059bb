// StandinMirrorScreen: shows the screen in an SDL2 desktop window. SDL is
// touched by nothing else in the stand-in, so headless runs never load a
// video driver unless a host asks for the mirror.
#include <cstdlib>
#include <mutex>
#include <new>

#include <SDL.h>

#include <standin/standin.h>

#include "screen/screen_rgb.h"
#include "window/key_state.h"

namespace {

struct Mirror {
    bool videoReady = false;
    bool videoFailed = false;  // no display: not retried on every frame
    SDL_Window *window = nullptr;
    SDL_Renderer *renderer = nullptr;
    SDL_Texture *texture = nullptr;
};

void DropLog(void *, int, SDL_LogPriority, const char *) {}

bool EnvironmentSet(const char *name) {
    const char *value = std::getenv(name);
    return value && *value;
}

// Without an X or Wayland display SDL would fall back to its offscreen
// driver (a window nobody sees), and its Wayland probe prints to stderr;
// so without one, and unless a driver was chosen by hand, there is nothing
// to mirror into.
bool DisplayPresent() {
    return EnvironmentSet("DISPLAY") || EnvironmentSet("WAYLAND_DISPLAY") || EnvironmentSet("SDL_VIDEODRIVER");
}

bool StartVideo(Mirror &mirror) {
    if (mirror.videoReady) return true;
    if (mirror.videoFailed) return false;
    if (!DisplayPresent()) {
        mirror.videoFailed = true;
        return false;
    }
    SDL_LogSetOutputFunction(DropLog, nullptr);
    // The host owns Ctrl+C.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    mirror.videoReady = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    mirror.videoFailed = !mirror.videoReady;
    return mirror.videoReady;
}

void CloseWindow(Mirror &mirror) {
    if (mirror.texture) SDL_DestroyTexture(mirror.texture);
    if (mirror.renderer) SDL_DestroyRenderer(mirror.renderer);
    if (mirror.window) SDL_DestroyWindow(mirror.window);
    mirror.texture = nullptr;
    mirror.renderer = nullptr;
    mirror.window = nullptr;
}

bool OpenWindow(Mirror &mirror, int width, int height) {
    if (mirror.window) return true;
    mirror.window = SDL_CreateWindow("vidsurf screen", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width,
                                     height, 0);
    if (mirror.window) mirror.renderer = SDL_CreateRenderer(mirror.window, -1, 0);
    if (mirror.renderer) {
        mirror.texture =
            SDL_CreateTexture(mirror.renderer, SDL_PIXELFORMAT_RGB24, SDL_TEXTUREACCESS_STREAMING, width, height);
    }
    if (mirror.texture) return true;
    CloseWindow(mirror);
    return false;
}

// The virtual key of an SDL key, or 0 for keys GetAsyncKeyState does not
// report.
int VirtualKey(SDL_Keycode key) {
    switch (key) {
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    default: break;
    }
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    return 0;
}

// Drains the window's events: keys go to GetAsyncKeyState (held keys'
// repeats are not new presses); closing the window hides the mirror until
// the next call opens it again.
void PumpEvents(Mirror &mirror) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) CloseWindow(mirror);
        if ((event.type == SDL_KEYDOWN && !event.key.repeat) || event.type == SDL_KEYUP)
            standin::SetKeyDown(VirtualKey(event.key.keysym.sym), event.type == SDL_KEYDOWN);
    }
}

}  // namespace

extern "C" BOOL StandinMirrorScreen(void) {
    static std::mutex guard;
    static Mirror mirror;
    std::lock_guard<std::mutex> hold(guard);
    if (!StartVideo(mirror)) return FALSE;
    try {
        const standin::RgbImage image = standin::CaptureScreenRgb();
        const int width = static_cast<int>(image.width);
        const int height = static_cast<int>(image.height);
        if (!OpenWindow(mirror, width, height)) return FALSE;
        SDL_UpdateTexture(mirror.texture, nullptr, image.rgb.data(), width * 3);
        SDL_RenderClear(mirror.renderer);
        SDL_RenderCopy(mirror.renderer, mirror.texture, nullptr, nullptr);
        SDL_RenderPresent(mirror.renderer);
    } catch (const std::bad_alloc &) {
        return FALSE;
    }
    PumpEvents(mirror);
    return TRUE;
}
