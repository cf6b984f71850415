// Painting through an off-screen buffer: what the painter draws in client coordinates reaches
// the same place on the target, and nothing outside the area changes.
#include <gtest/gtest.h>
#include <windows.h>

#include "common/BufferedPaint_win32.h"

TEST(PaintBuffered, DrawsTheAreaInClientCoordinatesAndLeavesTheRest)
{
    WindowDc screen(nullptr);
    UniqueHdc dc(::CreateCompatibleDC(screen.get()));
    UniqueHbitmap bmp(::CreateCompatibleBitmap(screen.get(), 40, 30));
    SelectScope select(dc.get(), bmp.get());
    RECT all = {0, 0, 40, 30};
    UniqueHbrush white(::CreateSolidBrush(RGB(255, 255, 255)));
    UniqueHbrush red(::CreateSolidBrush(RGB(255, 0, 0)));
    UniqueHbrush blue(::CreateSolidBrush(RGB(0, 0, 255)));
    ::FillRect(dc.get(), &all, blue.get());

    const RECT area = {10, 5, 30, 25};
    HDC painted = nullptr;
    EXPECT_TRUE(PaintBuffered(dc.get(), area, [&](HDC buffer) {
        painted = buffer;
        // The whole client area, as a window's painter draws it; only `area` may arrive.
        ::FillRect(buffer, &all, white.get());
        const RECT spot = {12, 7, 14, 9};
        ::FillRect(buffer, &spot, red.get());
    }));
    EXPECT_NE(painted, dc.get()) << "drawn off-screen";
    EXPECT_EQ(::GetPixel(dc.get(), 12, 7), RGB(255, 0, 0));
    EXPECT_EQ(::GetPixel(dc.get(), 14, 9), RGB(255, 255, 255));
    EXPECT_EQ(::GetPixel(dc.get(), 29, 24), RGB(255, 255, 255));
    EXPECT_EQ(::GetPixel(dc.get(), 9, 7), RGB(0, 0, 255));
    EXPECT_EQ(::GetPixel(dc.get(), 30, 24), RGB(0, 0, 255));

    bool called = false;
    EXPECT_FALSE(PaintBuffered(dc.get(), RECT{5, 5, 5, 9}, [&](HDC) { called = true; }));
    EXPECT_FALSE(called) << "an empty area paints nothing";
}
