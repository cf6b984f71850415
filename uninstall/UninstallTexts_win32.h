#pragma once
// The uninstaller's message texts (UTF-16, shown with the ...W functions), from the text
// tables in the user's language (common/Texts_win32.h).
#include <string>
#include <vector>

#include "common/CodePage_win32.h"
#include "common/ProductFacts.h"
#include "uninstall/Removal_win32.h"

// The box of a command line with an argument the uninstaller does not know: names it.
std::wstring InvalidSwitchText(const std::wstring& argument);

// The report of a removal that left `failures` behind (not empty): one line per item, its name
// (DescribeItem) and the system's reason, with `entryKept` a line that the uninstaller and its
// entry stay, then what the user can do.
std::wstring FailureReport(const std::vector<RemovalFailure>& failures, bool entryKept = false);
