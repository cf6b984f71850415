#include "uninstall/UninstallTexts_win32.h"

#include <windows.h>

#include "common/MessageText.h"
#include "common/SystemError_win32.h"

const wchar_t* const kConfirmText =
    L"Do you want to remove Marlowind instant messenger and all of its components from your "
    L"computer?";
const wchar_t* const kRemovedText =
    L"Marlowind instant messenger and all of its components were removed from your computer.";

const wchar_t* const kAlreadyRunningText =
    L"Marlowind setup or its uninstaller is already running. Nothing was removed.\n\nWait until "
    L"it has ended, then run the uninstaller again.";

std::wstring InvalidSwitchText(const std::wstring& argument)
{
    return L"The uninstaller does not know the switch \"" + argument +
           L"\". Nothing was removed.\n\nTo remove Marlowind instant messenger without questions, "
           L"run the uninstaller with /S.";
}

std::wstring FailureReport(const std::vector<RemovalFailure>& failures, bool entryKept)
{
    std::wstring text =
        L"Marlowind instant messenger was not removed completely. These items could not be "
        L"removed:\n\n";
    for (const RemovalFailure& f : failures) {
        text += DescribeItem(f.Item);
        const std::string reason = WithoutFullStop(SystemErrorText(f.Error));
        if (!reason.empty())
            text += L" (" + FromSystemCodePage(reason) + L")";
        text += L"\n";
    }
    if (entryKept)
        text += L"\nThe uninstaller and its entry in the list of programs were kept.\n";
    text += L"\nClose the programs that may be using them and run the uninstaller again, or "
            L"delete them yourself.";
    return text;
}
