#pragma once
// The system's own texts for error codes.
#include <windows.h>

#include <string>

#include "common/Exception.h"

// The system's message for `code`, without the trailing line break (system code page).
std::string SystemErrorText(DWORD code);

// An error carrying the system's text for an error code; raised for failed OS calls that the
// program does not describe itself.
class EOSError : public Exception {
public:
    explicit EOSError(DWORD code);
    DWORD Code() const { return code_; }

private:
    DWORD code_;
};

// Raises EOSError for GetLastError().
[[noreturn]] void RaiseLastOSError();
