#pragma once
// Case folding and file-name parts for paths in the system code page. Only the ASCII letters
// fold: the other bytes of an 8-bit path belong to a code page we do not interpret, so two
// paths that differ in a non-ASCII letter's case are different paths here.
#include <string>

#include "common/PathParts.h"  // ExtractFileName

// `text` with a-z turned into A-Z; every other byte unchanged.
std::string AsciiUpperCase(std::string text);

// True when `a` and `b` are byte for byte equal after ASCII upper-casing.
bool SameTextAscii(const std::string& a, const std::string& b);
