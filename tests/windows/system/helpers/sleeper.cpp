// A program without windows that sleeps until it is terminated.
// With "--deny-access" it first gives its process object an empty access list, so that other
// processes can no longer open it for query, memory reading or termination.
#include <windows.h>
#include <aclapi.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    if (std::strstr(commandLine, "--deny-access")) {
        ACL empty;
        if (!::InitializeAcl(&empty, sizeof(empty), ACL_REVISION))
            return 2;
        if (::SetSecurityInfo(::GetCurrentProcess(), SE_KERNEL_OBJECT,
                              DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, &empty, nullptr) != ERROR_SUCCESS)
            return 3;
    }
    // Tells the starter that the set-up above is done.
    HANDLE ready = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, "MwSystemTestSleeperReady");
    if (ready) {
        ::SetEvent(ready);
        ::CloseHandle(ready);
    }
    ::Sleep(INFINITE);
    return 0;
}
