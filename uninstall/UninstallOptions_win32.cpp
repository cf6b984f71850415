#include "uninstall/UninstallOptions_win32.h"

#include <windows.h>
#include <shellapi.h>

#include "common/DecimalText.h"
#include "common/UniqueHandle_win32.h"

namespace {
wchar_t AsciiLower(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// True when `arg` is "/" or "-" followed by `name` (lower case), ASCII case ignored.
bool IsSwitch(const wchar_t* arg, const wchar_t* name)
{
    if (arg[0] != L'/' && arg[0] != L'-')
        return false;
    size_t i = 0;
    for (; name[i] != L'\0'; ++i)
        if (AsciiLower(arg[i + 1]) != name[i])
            return false;
    return arg[i + 1] == L'\0';
}

// A handle value: decimal digits only, not zero, within a pointer.
bool ParseHandle(const wchar_t* text, uintptr_t& value)
{
    uintptr_t v = 0;
    if (text[0] == L'\0')
        return false;
    for (const wchar_t* p = text; *p != L'\0'; ++p) {
        if (*p < L'0' || *p > L'9' || v > (UINTPTR_MAX - 9) / 10)
            return false;
        v = v * 10 + static_cast<uintptr_t>(*p - L'0');
    }
    value = v;
    return v != 0;
}
}  // namespace

UninstallOptions ParseUninstallOptions(const wchar_t* commandLine)
{
    UninstallOptions options;
    int count = 0;
    LPWSTR* args = ::CommandLineToArgvW(commandLine, &count);
    if (!args)
        return options;
    const UniqueLocal argsOwner(args);
    for (int i = 1; i < count; ++i) {
        const wchar_t* arg = args[i];
        if (IsSwitch(arg, L"s") || IsSwitch(arg, L"quiet")) {
            options.Silent = true;
        } else if (IsSwitch(arg, L"continue") && i + 2 < count &&
                   ParseHandle(args[i + 1], options.Starter) &&
                   ParseHandle(args[i + 2], options.Report)) {
            options.SecondStage = true;
            i += 2;
        } else if (options.Invalid.empty()) {
            // An empty argument is named by its quotes, so that the box has something to show.
            options.Invalid = arg[0] != L'\0' ? arg : L"\"\"";
        }
    }
    return options;
}

std::wstring SecondStageArguments(uintptr_t starter, uintptr_t report, bool silent)
{
    return L"/continue " + DecimalText(starter) + L" " + DecimalText(report) +
           (silent ? L" /S" : L"");
}
