#include "system/AsciiText.h"

namespace {
char UpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
}  // namespace

std::string AsciiUpperCase(std::string text)
{
    for (char& c : text)
        c = UpperAscii(c);
    return text;
}

bool SameTextAscii(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i]))
            return false;
    return true;
}
