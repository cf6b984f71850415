#pragma once
// Where a run's outcome goes: one per run, made by the program entry from the command line.
// The interactive run shows each failure in the application's error display and ends with the
// code of what happened; the silent run shows nothing, ever. Both write the log the command line
// names (/log=PATH) as they go: its head (product, version, command line), every error with the
// system's text, and the outcome with the exit code. The install steps report here and never
// decide how a failure is shown.
//
// Exit codes (common/ExitCodes.h): 0 once the install ran to its end; otherwise the code of the
// last failure, chosen by what its error carries (FailureExitCode); otherwise 1602 (closed or
// cancelled before the install). 87 for an invalid switch and 1622 for a log that can't be
// created, both before anything is changed.
#include <exception>
#include <string>

#include "common/Exception.h"
#include "common/ExitCodes.h"
#include "common/SetupCommandLine.h"

class SetupOutcome {
public:
    explicit SetupOutcome(const SetupOptions& options);
    ~SetupOutcome();
    SetupOutcome(const SetupOutcome&) = delete;
    SetupOutcome& operator=(const SetupOutcome&) = delete;

    // Opens the log, when one is asked for, and writes its head; then refuses an invalid switch.
    // Success, or the code to end with at once (LogFailed, InvalidParameter) once the failure
    // is logged and, in the interactive run, shown.
    ExitCode Start(const std::wstring& commandLine);
    // The install ran to its end.
    void Installed();
    // A failure, logged and (interactive) shown; its code stands unless the install later ends
    // well.
    void Failed(const std::exception& error);
    // Writes the outcome, closes the log and returns the exit code.
    int Finish();

private:
    // Logs `error` and shows it (interactive); its code is `code`, or with `classify` the one
    // FailureExitCode gives for what the error carries (Failed for errors not our own).
    void Report(ExitCode code, const std::exception& error, bool classify);
    // Reports `error`, one of ours found before anything ran, with the code `code`.
    void Refuse(ExitCode code, const Exception& error);

    const SetupOptions& options_;
    bool installed_ = false;
    ExitCode failure_ = ExitCode::Cancelled;
};

// The run's outcome while one exists: the wizard's install step reports its end here.
void ReportInstalled();
