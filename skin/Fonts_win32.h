#pragma once
// The one place fonts are made: by point size for a given resolution. And the resolution a
// window is shown at.
#include <windows.h>

#include <cstdint>
#include <string>

#include "common/UniqueHandle_win32.h"
#include "skin/Bitmap32.h"

// The GDI font `face` (system code page) at `points` for a device of `dpi` pixels per inch, in
// `style` (TFontStyle bits), with the glyph quality asked for, for texts in `language` (a
// Windows language id; 0 for none in particular): a language whose letters the Latin faces do
// not carry (Japanese, Chinese, Arabic) is drawn in a face that every supported Windows has for
// it instead of `face` (ScriptFace). Null when GDI refuses it.
UniqueHfont CreatePointFont(const std::string& face, int points, int dpi, uint8_t style,
                            DWORD quality = DEFAULT_QUALITY, LANGID language = 0);
// The face CreatePointFont uses for `face` in `language`, and the character set it asks for.
const char* ScriptFace(const char* face, LANGID language, BYTE* charset = nullptr);

// The pixels per inch `window` is shown at: its monitor's where the system tells that
// (GetDpiForWindow, found by name), else the screen's.
int WindowDpi(HWND window);
// The system's pixels per inch, which a window on the main display is shown at, read without a
// device context (GetDpiForSystem, found by name): a device context would load the display
// driver on the calling thread first. 0 where the system cannot tell it so.
int SystemDpi();
