#pragma once
// A number in decimal, as a wide text: what std::to_wstring writes for an unsigned value, without
// the wide printf family that std::to_wstring formats through.
#include <string>

inline std::wstring DecimalText(unsigned long long value)
{
    wchar_t digits[20];
    size_t n = 0;
    do {
        digits[n++] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    std::wstring text;
    while (n > 0)
        text += digits[--n];
    return text;
}
