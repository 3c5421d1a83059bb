#include <gtest/gtest.h>
#include <windows.h>

#include "palette_builder.h"

namespace {

HPALETTE StockPalette() { return static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)); }

TEST(GdiDcRelease, ReleasesEachHandedOutDcOnce) {
    HDC dc = GetDC(nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(ReleaseDC(nullptr, dc), 1);
    EXPECT_EQ(ReleaseDC(nullptr, dc), 0);
}

TEST(GdiDcRelease, ForeignHandlesAreNotReleased) {
    EXPECT_EQ(ReleaseDC(nullptr, nullptr), 0);
    HPALETTE palette = MakeDistinctPalette(2, 0);
    EXPECT_EQ(ReleaseDC(nullptr, reinterpret_cast<HDC>(palette)), 0);
    int local = 0;
    EXPECT_EQ(ReleaseDC(nullptr, reinterpret_cast<HDC>(&local)), 0);
    EXPECT_EQ(GetPaletteEntries(palette, 0, 0, nullptr), 2u);  // untouched by the attempt
    DeleteObject(palette);
}

TEST(GdiDcRelease, EveryGetDcGivesItsOwnDc) {
    HDC first = GetDC(nullptr);
    HDC second = GetDC(nullptr);
    ASSERT_NE(first, second);
    EXPECT_EQ(ReleaseDC(nullptr, first), 1);
    EXPECT_EQ(GetDeviceCaps(second, PLANES), 1);  // still live
    EXPECT_EQ(ReleaseDC(nullptr, second), 1);
}

TEST(GdiDcWindow, WindowDcOnlyForALiveWindow) {
    HWND window = CreateWindowExA(0, "test", "dc", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    HDC dc = GetDC(window);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(ReleaseDC(window, dc), 1);
    HDC desktopDc = GetDC(GetDesktopWindow());
    EXPECT_NE(desktopDc, nullptr);
    EXPECT_EQ(ReleaseDC(GetDesktopWindow(), desktopDc), 1);

    ASSERT_TRUE(DestroyWindow(window));
    SetLastError(0);
    EXPECT_EQ(GetDC(window), nullptr);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
    EXPECT_EQ(GetDC(reinterpret_cast<HWND>(dc)), nullptr);
}

TEST(GdiDcSelectPalette, ReturnsStockFirstThenThePrevious) {
    HDC dc = GetDC(nullptr);
    HPALETTE first = MakeDistinctPalette(3, 0);
    HPALETTE second = MakeDistinctPalette(3, 0, 1);
    EXPECT_EQ(SelectPalette(dc, first, FALSE), StockPalette());
    EXPECT_EQ(SelectPalette(dc, second, TRUE), first);
    EXPECT_EQ(SelectPalette(dc, StockPalette(), TRUE), second);
    EXPECT_EQ(ReleaseDC(nullptr, dc), 1);
    DeleteObject(first);
    DeleteObject(second);
}

TEST(GdiDcSelectPalette, BadDcOrPaletteGivesNullAndKeepsTheSelection) {
    HDC dc = GetDC(nullptr);
    HPALETTE palette = MakeDistinctPalette(3, 0);
    EXPECT_EQ(SelectPalette(dc, palette, FALSE), StockPalette());

    SetLastError(0);
    EXPECT_EQ(SelectPalette(dc, nullptr, FALSE), nullptr);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
    EXPECT_EQ(SelectPalette(dc, reinterpret_cast<HPALETTE>(dc), FALSE), nullptr);
    EXPECT_EQ(SelectPalette(nullptr, palette, FALSE), nullptr);
    EXPECT_EQ(SelectPalette(dc, StockPalette(), FALSE), palette);

    ASSERT_EQ(ReleaseDC(nullptr, dc), 1);
    EXPECT_EQ(SelectPalette(dc, palette, FALSE), nullptr);
    DeleteObject(palette);
}

TEST(GdiDcSelectPalette, DeletingASelectedPaletteLeavesTheStockPalette) {
    HDC dc = GetDC(nullptr);
    HPALETTE palette = MakeDistinctPalette(3, 0);
    SelectPalette(dc, palette, TRUE);
    ASSERT_TRUE(DeleteObject(palette));
    EXPECT_EQ(SelectPalette(dc, StockPalette(), TRUE), StockPalette());
    EXPECT_NE(RealizePalette(dc), GDI_ERROR);
    ReleaseDC(nullptr, dc);
}

TEST(GdiDcCalls, BadDcFailsEveryCall) {
    HDC dc = GetDC(nullptr);
    ASSERT_EQ(ReleaseDC(nullptr, dc), 1);
    PALETTEENTRY entry = {9, 9, 9, 9};
    EXPECT_EQ(RealizePalette(dc), GDI_ERROR);
    EXPECT_EQ(RealizePalette(nullptr), GDI_ERROR);
    EXPECT_EQ(GetSystemPaletteEntries(dc, 0, 1, &entry), 0u);
    EXPECT_EQ(entry.peRed, 9);
    SetLastError(0);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 0);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
}

}  // namespace
