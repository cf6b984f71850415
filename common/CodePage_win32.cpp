#include "common/CodePage_win32.h"

#include <windows.h>

namespace {
std::string Narrow(UINT codePage, const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int size = static_cast<int>(text.size());
    const int n = ::WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(codePage, 0, text.data(), size, &out[0], n, nullptr, nullptr);
    return out;
}
}  // namespace

std::string ToSystemCodePage(const std::wstring& text)
{
    return Narrow(CP_ACP, text);
}

std::string ToUtf8(const std::wstring& text)
{
    return Narrow(CP_UTF8, text);
}

std::wstring FromSystemCodePage(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int size = static_cast<int>(text.size());
    const int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, &out[0], n);
    return out;
}

bool ToSystemCodePageExactly(const std::wstring& text, std::string& out)
{
    if (text.empty()) {
        out.clear();
        return true;
    }
    const int size = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    const int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr,
                                        0, nullptr, &usedDefault);
    if (n <= 0 || usedDefault)
        return false;
    std::string converted(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, &converted[0], n,
                          nullptr, &usedDefault);
    // WC_NO_BEST_FIT_CHARS alone still lets some code pages map characters they lack; only a
    // round trip proves the text is what it was.
    if (usedDefault || FromSystemCodePage(converted) != text)
        return false;
    out = std::move(converted);
    return true;
}
