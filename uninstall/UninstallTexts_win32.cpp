#include "uninstall/UninstallTexts_win32.h"

#include <windows.h>

#include "common/MessageText.h"
#include "common/SystemError_win32.h"
#include "common/Texts_win32.h"

std::wstring InvalidSwitchText(const std::wstring& argument)
{
    return TextWith(tiUninstallInvalidSwitch, argument);
}

std::wstring FailureReport(const std::vector<RemovalFailure>& failures, bool entryKept)
{
    std::wstring text = Text(tiUninstallIncomplete);
    text += L"\n\n";
    for (const RemovalFailure& f : failures) {
        text += DescribeItem(f.Item);
        const std::string reason = WithoutFullStop(SystemErrorText(f.Error));
        if (!reason.empty())
            text += L" (" + FromSystemCodePage(reason) + L")";
        text += L"\n";
    }
    if (entryKept)
        text += std::wstring(L"\n") + Text(tiUninstallEntryKept) + L"\n";
    text += std::wstring(L"\n") + Text(tiUninstallAdvice);
    return text;
}
