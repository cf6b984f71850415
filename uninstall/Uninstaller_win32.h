#pragma once
// The uninstaller program: asks once (not with /S), hands itself over to a copy in the
// temporary folder so that its own file can go too, closes the running messenger and updater,
// removes the installation and reports the outcome (SelfRemoval_win32.h). The process that was
// started ends only when the removal has ended. Message boxes are captioned "Marlowind setup";
// a silent run shows none.

// Runs the uninstaller for the process's command line; returns the exit code (ExitCodes.h):
// Success when everything was removed, RestartNeeded when the uninstaller's own file is left
// to the next restart, Failed when something stayed (then the uninstaller and its entry stay)
// or an error stopped it, Cancelled when the user said No, InvalidParameter for a switch it
// does not know, AlreadyRunning while the installer or another uninstaller runs on the machine
// (nothing is removed in these three). The first stage returns its second stage's code. Never
// raises.
int RunUninstaller(const wchar_t* commandLine);
