#pragma once
// Conversions between UTF-16 texts and 8-bit strings in the system code page.
#include <string>

// Characters the code page lacks become its default character ("?"). For texts shown to the
// user (messages), where a "?" is the best the code page can do.
std::string ToSystemCodePage(const std::wstring& text);
std::wstring FromSystemCodePage(const std::string& text);
// `text` in UTF-8 (an unpaired surrogate becomes U+FFFD).
std::string ToUtf8(const std::wstring& text);

// `text` in the system code page when every character of it has its own form there (no
// default character, no best-fit look-alike); false and `out` untouched otherwise. For 8-bit
// data that names a file: a name with "?" in it would name nothing, or something else.
bool ToSystemCodePageExactly(const std::wstring& text, std::string& out);
