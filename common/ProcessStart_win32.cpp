#include "common/ProcessStart_win32.h"

#include <windows.h>

namespace {
// Not in every SDK's headers: the policy's number and its record.
constexpr int kProcessRedirectionTrustPolicy = 16;
struct RedirectionTrustPolicy {
    DWORD Flags;  // bit 0 EnforceRedirectionTrust, bit 1 AuditRedirectionTrust
};
constexpr DWORD kEnforceRedirectionTrust = 1;

template <typename F>
F Bind(const char* name)
{
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    return kernel ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(kernel, name)))
                  : nullptr;
}
}  // namespace

ProcessStartGuards HardenProcessStart()
{
    ProcessStartGuards done;
    // Systems without the KB2533623 update lack it; there the current folder at least goes.
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    if (const auto set = Bind<SetDirectories>("SetDefaultDllDirectories"))
        done.DefaultDirectories = set(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
    if (!done.DefaultDirectories)
        done.DllDirectoryCleared = ::SetDllDirectoryA("") != FALSE;

    using SetPolicy = BOOL(WINAPI*)(int, const void*, SIZE_T);
    if (const auto set = Bind<SetPolicy>("SetProcessMitigationPolicy")) {
        const RedirectionTrustPolicy policy = {kEnforceRedirectionTrust};
        done.RedirectionGuard =
            set(kProcessRedirectionTrustPolicy, &policy, sizeof policy) != FALSE;
    }
    return done;
}
