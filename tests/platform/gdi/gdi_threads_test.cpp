#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>
#include <windows.h>

#include "palette_builder.h"

namespace {

// Threads creating, using and deleting palettes and DCs at once must each
// see only their own objects.
TEST(GdiThreads, ConcurrentPalettesAndDcsStayConsistent) {
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 300; ++i) {
                HPALETTE palette = MakeDistinctPalette(16, 0, t);
                HDC dc = GetDC(nullptr);
                const PALETTEENTRY expected = DistinctColour(i % 16, 0, t);
                if (!palette || !dc) ++failures;
                if (SelectPalette(dc, palette, TRUE) == nullptr) ++failures;
                if (GetNearestPaletteIndex(palette, RGB(expected.peRed, expected.peGreen, expected.peBlue)) !=
                    UINT(i % 16))
                    ++failures;
                if (RealizePalette(dc) == GDI_ERROR) ++failures;
                if (ReleaseDC(nullptr, dc) != 1) ++failures;
                if (!DeleteObject(palette)) ++failures;
            }
        });
    }
    for (auto &thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);
}

}  // namespace
