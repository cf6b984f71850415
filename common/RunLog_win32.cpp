#include "common/RunLog_win32.h"

#include <windows.h>

#include "common/CodePage_win32.h"
#include "common/Exception.h"
#include "common/SafeFiles_win32.h"

namespace {
UniqueFile g_log;
}  // namespace

unsigned long OpenRunLog(const std::wstring& path)
{
    // A relative name is the caller's current folder's, as the shell would take it; the
    // no-follow checks compare full paths.
    wchar_t full[MAX_PATH * 4];
    const DWORD n = ::GetFullPathNameW(path.c_str(), MAX_PATH * 4, full, nullptr);
    if (n == 0 || n >= MAX_PATH * 4)
        return n ? ERROR_FILENAME_EXCED_RANGE : ::GetLastError();
    return SafeCreateFile(full, g_log);
}

void LogLine(const char* text)
{
    if (!g_log)
        return;
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    const std::string line = Format("%04u-%02u-%02u %02u:%02u:%02u.%03u  %s\r\n", t.wYear,
                                    t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
                                    t.wMilliseconds, text);
    DWORD written = 0;
    ::WriteFile(g_log.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void LogCodePageLine(const std::string& text)
{
    if (g_log)
        LogLine(ToUtf8(FromSystemCodePage(text)).c_str());
}

void LogStep(const char* what, const std::wstring& name)
{
    if (g_log)
        LogLine((what + (" " + ToUtf8(name))).c_str());
}

void CloseRunLog()
{
    if (g_log)
        ::FlushFileBuffers(g_log.get());
    g_log.reset();
}
