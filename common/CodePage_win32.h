#pragma once
// Conversions between UTF-16 texts and 8-bit strings in the system code page.
#include <string>

// Characters the code page lacks become its default character ("?").
std::string ToSystemCodePage(const std::wstring& text);
std::wstring FromSystemCodePage(const std::string& text);
