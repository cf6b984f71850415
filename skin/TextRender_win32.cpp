#include "skin/TextRender.h"

#include <windows.h>

#include <cstdint>

#include "common/UniqueHandle_win32.h"
#include "skin/BitmapDc_win32.h"
#include "skin/Fonts_win32.h"

namespace {

// A device context to measure in: the bitmap's own (an empty bitmap has one too), or a memory DC
// of the screen's resolution should the bitmap have none.
class MeasuringDc {
public:
    explicit MeasuringDc(TBitmap32& bitmap)
    {
        dc_ = BitmapDC(bitmap);
        if (!dc_) {
            own_.reset(::CreateCompatibleDC(nullptr));
            dc_ = own_.get();
        }
        if (!dc_)
            throw EBitmapError("Can't create compatible DC");
    }
    HDC get() const { return dc_; }

private:
    UniqueHdc own_;
    HDC dc_ = nullptr;
};

// The GDI font for `font` at `scale` times its point size, at the font's resolution or, when it
// names none, that of `dc`.
UniqueHfont CreateGdiFont(const TFont32& font, int scale, HDC dc, DWORD quality)
{
    const int dpi = font.PixelsPerInch > 0 ? font.PixelsPerInch : ::GetDeviceCaps(dc, LOGPIXELSY);
    UniqueHfont handle =
        CreatePointFont(font.Name, font.Size, dpi * scale, font.Style, quality, font.Language);
    if (!handle)
        throw EBitmapError("Can't create the font " + font.Name);
    return handle;
}

void RequireSelected(const SelectScope& scope)
{
    if (!scope.ok())
        throw EBitmapError("Can't select an object into DC");
}

}  // namespace

int MeasureText(TBitmap32& bitmap, const std::wstring& text)
{
    if (text.empty())
        return 0;
    MeasuringDc dc(bitmap);
    UniqueHfont font = CreateGdiFont(bitmap.Font, 1, dc.get(), DEFAULT_QUALITY);
    SelectScope select(dc.get(), font.get());
    RequireSelected(select);
    // The text as drawn: a caption in a language other than the system code page's measures
    // its own letters, not the question marks the code page would make of them.
    SIZE extent{0, 0};
    if (!::GetTextExtentPoint32W(dc.get(), text.data(), static_cast<int>(text.size()), &extent))
        return 0;
    return extent.cx;
}

namespace {

// What one coverage bitmap was rasterised from.
struct CoverageKey {
    std::wstring Text;
    std::string Font;
    int Size = 0;
    uint8_t Style = 0;
    int Dpi = 0;
    int Level = 0;
    uint16_t Language = 0;

    bool operator==(const CoverageKey& o) const
    {
        return Text == o.Text && Font == o.Font && Size == o.Size && Style == o.Style &&
               Dpi == o.Dpi && Level == o.Level && Language == o.Language;
    }
};

// The last coverage rasterised, kept for the next call with the same text in the same font: a
// button draws its caption six times (shadow and caption on each of three faces), and each
// supersampled rasterisation is a large scratch bitmap and a text output at 2^level size.
struct LastCoverage {
    CoverageKey Key;
    TBitmap32 Coverage;
    bool Valid = false;
};

LastCoverage& Last()
{
    static LastCoverage last;
    return last;
}

// Rasterises `text` into `coverage` (alpha = coverage, colour = `color`'s RGB); false when GDI
// could not measure it.
bool RasteriseText(TBitmap32& bitmap, const std::wstring& text, int s, TColor32 color,
                   TBitmap32& coverage)
{
    const int factor = TextSupersampling(s);
    // Supersampled glyphs must be hard-edged, or GDI's own smoothing would be averaged twice.
    const DWORD quality = s < 0 ? ANTIALIASED_QUALITY : NONANTIALIASED_QUALITY;

    MeasuringDc target(bitmap);
    UniqueHfont font = CreateGdiFont(bitmap.Font, factor, target.get(), quality);

    SIZE extent{0, 0};
    {
        // The appended space leaves room for the overhang of bold and italic glyphs.
        const std::wstring measured = text + L" ";
        SelectScope select(target.get(), font.get());
        RequireSelected(select);
        if (!::GetTextExtentPoint32W(target.get(), measured.data(), static_cast<int>(measured.size()), &extent))
            return false;
    }
    // No scratch side may overflow when rounded up; such a bitmap could not be had anyway.
    if (extent.cx < 0 || extent.cy < 0 || extent.cx > INT32_MAX - factor || extent.cy > INT32_MAX - factor)
        throw EBitmapError("Can't allocate the DIB handle");

    TBitmap32 scratch;
    scratch.Resize(ScratchSide(extent.cx, factor), ScratchSide(extent.cy, factor));
    HDC dc = BitmapDC(scratch);
    if (!dc)
        throw EBitmapError("Can't create compatible DC");
    {
        SelectScope select(dc, font.get());
        RequireSelected(select);
        ::SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, RGB(255, 255, 255));
        // The fresh scratch is all zero, which is the black background.
        ::TextOutW(dc, 0, 0, text.data(), static_cast<int>(text.size()));
        ::GdiFlush();
    }
    ReduceCoverage(scratch, factor, color, coverage);
    return true;
}

void Recolour(TBitmap32& coverage, TColor32 color)
{
    const TColor32 rgb = color & 0x00FFFFFFu;
    for (int32_t y = 0; y < coverage.Height(); ++y) {
        TColor32* row = coverage.Row(y);
        for (int32_t x = 0; x < coverage.Width(); ++x)
            row[x] = (row[x] & 0xFF000000u) | rgb;
    }
}

}  // namespace

void RenderAntialiasedText(TBitmap32& bitmap, int x, int y, const std::wstring& text, int level,
                           TColor32 color)
{
    if (bitmap.Empty() || text.empty())
        return;
    const int s = ClampTextLevel(level);
    const TFont32& f = bitmap.Font;
    CoverageKey key{text, f.Name, f.Size, f.Style, f.PixelsPerInch, s, f.Language};
    if (key.Dpi <= 0)
        key.Dpi = ::GetDeviceCaps(MeasuringDc(bitmap).get(), LOGPIXELSY);

    LastCoverage& last = Last();
    if (last.Valid && last.Key == key) {
        Recolour(last.Coverage, color);
    } else {
        last.Valid = false;
        if (!RasteriseText(bitmap, text, s, color, last.Coverage))
            return;
        last.Key = std::move(key);
        last.Valid = true;
    }
    TBitmap32& coverage = last.Coverage;
    coverage.SetDrawMode(dmBlend);
    coverage.SetMasterAlpha(static_cast<uint8_t>(color >> 24));
    coverage.SetCombineMode(bitmap.CombineMode());
    coverage.DrawOnto(bitmap, x, y);
}
