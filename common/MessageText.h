#pragma once
// The full stop at the end of a message: error texts are shown as sentences, and a system's
// reason quoted inside another sentence loses its own.
#include <string>

// `text` with "." appended unless it already ends in one; an empty text becomes ".". Trailing
// line breaks and blanks count as an end: "done.\r\n" gets another ".".
std::string WithFullStop(const std::string& text);
std::wstring WithFullStop(const std::wstring& text);

// `text` without the full stops and blanks it ends in ("Access is denied. " gives
// "Access is denied").
std::string WithoutFullStop(std::string text);
