#include <gtest/gtest.h>

#include <windows.h>

#include "skin/BitmapDc_win32.h"
#include "skin/Bitmap32.h"

namespace {

DIBSECTION SectionOf(TBitmap32& b)
{
    DIBSECTION ds{};
    EXPECT_EQ(::GetObjectA(BitmapHandle(b), sizeof(ds), &ds), static_cast<int>(sizeof(ds)));
    return ds;
}

}  // namespace

TEST(DibBitmap, PixelsAreTheTopDownSectionSelectedIntoTheDc)
{
    TBitmap32 b;
    b.Resize(7, 5);
    ASSERT_NE(BitmapHandle(b), nullptr);
    const DIBSECTION ds = SectionOf(b);
    EXPECT_EQ(ds.dsBm.bmBits, static_cast<void*>(b.Bits()));
    EXPECT_EQ(ds.dsBm.bmWidth, 7);
    EXPECT_EQ(ds.dsBm.bmBitsPixel, 32);
    EXPECT_EQ(ds.dsBm.bmHeight, 5);  // GetObject gives the height unsigned; the row test shows top-down
    EXPECT_EQ(::GetCurrentObject(BitmapDC(b), OBJ_BITMAP), BitmapHandle(b));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(b.Pixel(x, y), 0u);
}

TEST(DibBitmap, GdiDrawingAndRowAccessSeeTheSamePixels)
{
    // GDI's row 2 of 4 is Row(2): the section is top-down.
    TBitmap32 b;
    b.Resize(6, 4);
    b.FillAll(0xFF000000);
    HBRUSH brush = ::CreateSolidBrush(RGB(0x11, 0x22, 0x33));
    const RECT r{1, 2, 4, 3};
    ASSERT_NE(::FillRect(BitmapDC(b), &r, brush), 0);
    ::DeleteObject(brush);
    ::GdiFlush();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 1 && x < 4 && y == 2;
            ASSERT_EQ(b.Pixel(x, y) & 0xFFFFFF, inside ? 0x112233u : 0u) << x << "," << y;
        }
    // And the other way: what the bitmap writes, GDI reads (COLORREF is blue-green-red).
    b.Row(3)[5] = 0xFFA0B0C0;
    EXPECT_EQ(::GetPixel(BitmapDC(b), 5, 3), RGB(0xA0, 0xB0, 0xC0));
    // Our own operations flush GDI first: a fill right after GDI drawing wins.
    brush = ::CreateSolidBrush(RGB(0xFF, 0, 0));
    const RECT all{0, 0, 6, 4};
    ::FillRect(BitmapDC(b), &all, brush);
    ::DeleteObject(brush);
    b.FillRectangle(0, 0, 1, 1, 0x80010203);
    EXPECT_EQ(b.Pixel(0, 0), 0x80010203u);
    EXPECT_EQ(b.Pixel(1, 0) & 0xFFFFFF, 0xFF0000u);
}

TEST(DibBitmap, ResizeReplacesTheSectionAndZeroSizeKeepsADc)
{
    TBitmap32 b;
    EXPECT_NE(BitmapDC(b), nullptr);  // an empty bitmap can still measure text
    EXPECT_EQ(BitmapHandle(b), nullptr);
    SIZE extent{};
    EXPECT_TRUE(::GetTextExtentPoint32A(BitmapDC(b), "Ok", 2, &extent));
    EXPECT_GT(extent.cx, 0);

    b.Resize(78, 25);
    b.FillAll(0xFFFFFFFF);
    EXPECT_EQ(SectionOf(b).dsBm.bmHeight, 25);
    b.Resize(78, 25);  // same size: same pixels, all 0
    EXPECT_EQ(b.Pixel(77, 24), 0u);
    b.Resize(446, 365);
    EXPECT_EQ(SectionOf(b).dsBm.bmWidth, 446);
    EXPECT_EQ(SectionOf(b).dsBm.bmHeight, 365);
    EXPECT_EQ(SectionOf(b).dsBm.bmBits, static_cast<void*>(b.Bits()));
    // A refused size keeps the section there was.
    HBITMAP before = BitmapHandle(b);
    EXPECT_THROW(b.Resize(70000, 70000), EBitmapError);
    EXPECT_EQ(BitmapHandle(b), before);
    EXPECT_EQ(b.Width(), 446);
    b.Resize(0, 0);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Bits(), nullptr);
    EXPECT_EQ(BitmapHandle(b), nullptr);
    EXPECT_NE(BitmapDC(b), nullptr);

    // Copies get their own section.
    TBitmap32 a, c;
    a.Resize(3, 3);
    a.FillAll(0xFF123456);
    c.Assign(a);
    EXPECT_NE(BitmapHandle(c), BitmapHandle(a));
    EXPECT_EQ(::GetPixel(BitmapDC(c), 2, 2), RGB(0x12, 0x34, 0x56));
}

TEST(DibBitmap, ManyBitmapsComeAndGoWithoutExhaustingGdi)
{
    // Every section and DC is given back: five objects an iteration, more in all than any GDI
    // handle table holds (Windows allows 10000 a process, Wine 65536).
    for (int i = 0; i < 14000; ++i) {
        TBitmap32 b;
        b.Resize(13, 13);
        b.Resize(5, 5);
        ASSERT_NE(BitmapHandle(b), nullptr) << i;
    }
}
