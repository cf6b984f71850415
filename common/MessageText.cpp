#include "common/MessageText.h"

namespace {
template <typename Char>
std::basic_string<Char> Appended(const std::basic_string<Char>& text)
{
    if (!text.empty() && text.back() == Char('.'))
        return text;
    return text + Char('.');
}
}  // namespace

std::string WithFullStop(const std::string& text)
{
    return Appended(text);
}

std::wstring WithFullStop(const std::wstring& text)
{
    return Appended(text);
}

std::string WithoutFullStop(std::string text)
{
    while (!text.empty() && (text.back() == '.' || text.back() == ' '))
        text.pop_back();
    return text;
}
