#include "app/SetupOutcome_win32.h"

#include <windows.h>

#include "common/CodePage_win32.h"
#include "common/ProductVersion.h"
#include "common/RunLog_win32.h"
#include "common/SystemError_win32.h"
#include "forms/Application_win32.h"
#include "install/FileStreams_win32.h"

namespace {
SetupOutcome* g_outcome = nullptr;
}  // namespace

SetupOutcome::SetupOutcome(const SetupOptions& options) : options_(options)
{
    g_outcome = this;
}

SetupOutcome::~SetupOutcome()
{
    g_outcome = nullptr;
}

void ReportInstalled()
{
    if (g_outcome)
        g_outcome->Installed();
}

ExitCode SetupOutcome::Start(const std::wstring& commandLine)
{
    if (!options_.LogPath.empty()) {
        if (const unsigned long code = OpenRunLog(options_.LogPath)) {
            Refuse(ExitCode::LogFailed, Exception(tiErrLogFailed, ToSystemCodePage(options_.LogPath),
                                                  SystemErrorText(code), code));
            return failure_;
        }
    }
    LogLine("Marlowind setup " MW_VERSION_TEXT);
    LogStep("Command line:", commandLine);
    LogLine(options_.Silent ? "Silent run: no window; the licence counts as accepted"
                            : "Interactive run");
    if (!options_.Invalid.empty()) {
        Refuse(ExitCode::InvalidParameter,
               Exception(tiErrInvalidSwitch, ToSystemCodePage(options_.Invalid)));
        return failure_;
    }
    return ExitCode::Success;
}

void SetupOutcome::Installed()
{
    installed_ = true;
    LogLine("Installed");
}

void SetupOutcome::Failed(const std::exception& error)
{
    Report(ExitCode::Failed, error, true);
}

void SetupOutcome::Refuse(ExitCode code, const Exception& error)
{
    // Reported from its handler, as every failure is (OwnException).
    try {
        throw error;
    } catch (const Exception& thrown) {
        Report(code, thrown, false);
    }
}

void SetupOutcome::Report(ExitCode code, const std::exception& error, bool classify)
{
    const Exception* own = OwnException(error);
    const unsigned long system = own ? own->SystemCode() : 0;
    failure_ = classify && own ? FailureExitCode(system, own->Cause()) : code;
    LogCodePageLine(system ? Format("Error: %s [system error %lu: %s]", error.what(), system,
                                    SystemErrorText(system).c_str())
                           : Format("Error: %s", error.what()));
    if (!options_.Silent)
        Application.ShowException(error);
}

int SetupOutcome::Finish()
{
    const ExitCode code = installed_ ? ExitCode::Success : failure_;
    LogLine(Format("Outcome: %s, exit code %d",
                   code == ExitCode::Success     ? "installed"
                   : code == ExitCode::Cancelled ? "cancelled"
                                                 : "failed",
                   ExitValue(code))
                .c_str());
    CloseRunLog();
    return ExitValue(code);
}
