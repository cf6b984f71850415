#pragma once
// Helpers shared by the Windows test programs.
#include <windows.h>

#include <exception>
#include <string>

#include "common/Exception.h"
#include "common/ExitCodes.h"

// The message of the exception that `f` raises, or "no error".
template <typename F>
std::string ErrorOf(F f)
{
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}

// The message of the error `f` raises, then " -> " and the exit code an unattended run ends
// with for that error ("no error -> 0" when none).
template <typename F>
std::string OutcomeOf(F f)
{
    try {
        f();
    } catch (const Exception& e) {
        return e.Message() + " -> " +
               std::to_string(ExitValue(FailureExitCode(e.SystemCode(), e.Cause())));
    } catch (const std::exception& e) {
        return std::string(e.what()) + " -> " + std::to_string(ExitValue(ExitCode::Failed));
    }
    return "no error -> 0";
}

inline std::string Outcome(const std::string& message, ExitCode code)
{
    return message + " -> " + std::to_string(ExitValue(code));
}

// Points the machine's program-files folder elsewhere for the scope (an empty text loses it)
// and puts the earlier value back when the scope ends, however the test leaves it.
class ProgramFilesDirOverride {
public:
    explicit ProgramFilesDirOverride(const std::wstring& value)
    {
        DWORD size = sizeof saved_;
        read_ = ::RegGetValueW(HKEY_LOCAL_MACHINE, kKey, kValue, RRF_RT_REG_SZ, nullptr, saved_,
                               &size) == ERROR_SUCCESS;
        if (read_)
            Set(value);
    }
    ~ProgramFilesDirOverride()
    {
        if (read_)
            Set(saved_);
    }
    ProgramFilesDirOverride(const ProgramFilesDirOverride&) = delete;
    ProgramFilesDirOverride& operator=(const ProgramFilesDirOverride&) = delete;
    // False when the earlier value could not be read; nothing was changed then.
    bool ok() const { return read_; }

private:
    static constexpr const wchar_t* kKey = L"Software\\Microsoft\\Windows\\CurrentVersion";
    static constexpr const wchar_t* kValue = L"ProgramFilesDir";
    static void Set(const std::wstring& value)
    {
        ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKey, kValue, REG_SZ, value.c_str(),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    wchar_t saved_[MAX_PATH] = {};
    bool read_ = false;
};
