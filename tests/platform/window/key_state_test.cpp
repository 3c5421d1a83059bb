// GetAsyncKeyState over the keys that reach the screen's mirror window.
#include <gtest/gtest.h>

#include <windows.h>

#include "window/key_state.h"

namespace {

TEST(AsyncKeyState, DownWhileHeldAndPressedOnceSinceTheLastCall) {
    EXPECT_EQ(GetAsyncKeyState(VK_SPACE), 0);
    standin::SetKeyDown(VK_SPACE, true);
    EXPECT_EQ(GetAsyncKeyState(VK_SPACE) & 0xFFFF, 0x8001);
    EXPECT_EQ(GetAsyncKeyState(VK_SPACE) & 0xFFFF, 0x8000);
    standin::SetKeyDown(VK_SPACE, false);
    EXPECT_EQ(GetAsyncKeyState(VK_SPACE), 0);

    // A press and release between two calls is still seen once.
    standin::SetKeyDown(VK_LEFT, true);
    standin::SetKeyDown(VK_LEFT, false);
    EXPECT_EQ(GetAsyncKeyState(VK_LEFT), 0x0001);
    EXPECT_EQ(GetAsyncKeyState(VK_LEFT), 0);
    EXPECT_EQ(GetAsyncKeyState(VK_RIGHT), 0);  // keys are separate
}

TEST(AsyncKeyState, KeysOutsideTheTableAreNeverDown) {
    for (int vk : {-1, 0, 256, 100000}) {
        standin::SetKeyDown(vk, true);
        EXPECT_EQ(GetAsyncKeyState(vk), 0) << vk;
    }
}

}  // namespace
