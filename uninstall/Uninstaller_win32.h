#pragma once
// The uninstaller program: asks once, hands itself over to a copy in the temporary folder so
// that its own file can go too, closes the running messenger and updater, removes the installation and
// reports the outcome. Message boxes are captioned "Marlowind setup".

// Runs the uninstaller for the process's command line; returns the exit code: 0 when the
// user said No or everything was removed, 1 when something stayed or an error stopped it,
// 0 as well for a first stage that handed over to its copy. Never raises.
int RunUninstaller(const wchar_t* commandLine);
