#include "common/SystemError_win32.h"

#include "common/UniqueHandle_win32.h"

std::string SystemErrorText(DWORD code)
{
    UniqueLocal text;
    // With FORMAT_MESSAGE_ALLOCATE_BUFFER the buffer argument receives the allocation.
    const DWORD n = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(text.receive()), 0, nullptr);
    std::string out;
    if (n && text)
        out.assign(static_cast<const char*>(text.get()), n);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' '))
        out.pop_back();
    if (out.empty())
        out = Format("Error %lu", static_cast<unsigned long>(code));
    return out;
}

EOSError::EOSError(DWORD code)
    : Exception(tiErrSystem, Format("%lu", static_cast<unsigned long>(code)),
                SystemErrorText(code), code),
      code_(code)
{
}

void RaiseLastOSError()
{
    throw EOSError(::GetLastError());
}
