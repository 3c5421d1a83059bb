// GetAsyncKeyState over the key events that the screen's mirror receives.
#include "window/key_state.h"

#include <mutex>

#include <windows.h>

namespace {

constexpr int kKeys = 256;
constexpr SHORT kDown = static_cast<SHORT>(0x8000);
constexpr SHORT kPressedSinceLastCall = 0x0001;

struct Keyboard {
    std::mutex mutex;
    bool down[kKeys] = {};
    bool pressed[kKeys] = {};  // went down since the last query
};

Keyboard &TheKeyboard() {
    static Keyboard keyboard;
    return keyboard;
}

bool ValidKey(int vk) { return vk > 0 && vk < kKeys; }

}  // namespace

namespace standin {

void SetKeyDown(int vk, bool down) {
    if (!ValidKey(vk)) return;
    Keyboard &keyboard = TheKeyboard();
    std::lock_guard<std::mutex> hold(keyboard.mutex);
    keyboard.down[vk] = down;
    if (down) keyboard.pressed[vk] = true;
}

}  // namespace standin

extern "C" SHORT WINAPI GetAsyncKeyState(int vKey) {
    if (!ValidKey(vKey)) return 0;
    Keyboard &keyboard = TheKeyboard();
    std::lock_guard<std::mutex> hold(keyboard.mutex);
    SHORT state = keyboard.down[vKey] ? kDown : 0;
    if (keyboard.pressed[vKey]) state |= kPressedSinceLastCall;
    keyboard.pressed[vKey] = false;
    return state;
}
