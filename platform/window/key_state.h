// The keyboard's state for GetAsyncKeyState, fed by whatever window
// receives the keys (the screen's desktop mirror).
#pragma once

namespace standin {

// Records that virtual key `vk` went down or up; keys outside 1-255 are
// ignored.
void SetKeyDown(int vk, bool down);

}  // namespace standin
