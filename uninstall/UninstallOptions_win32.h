#pragma once
// The uninstaller's command line, read once at the entry into one value that everything below
// takes. Switches start with "/" or "-" and compare without regard to ASCII case:
//   /S, /quiet                  remove with no window and no question
//   /continue <stage> <report>  the second stage (SelfRemoval_win32.h): the first stage's
//                               process handle and the write end of the pipe that takes the
//                               result, both inherited, in decimal
#include <cstdint>
#include <string>

struct UninstallOptions {
    bool Silent = false;
    // The first argument that is no switch of the uninstaller, or a /continue without its two
    // numbers, as given; empty when every argument was understood.
    std::wstring Invalid;
    bool SecondStage = false;
    uintptr_t Starter = 0;  // /continue only: the handle values as given
    uintptr_t Report = 0;
};

// Reads the process's command line (the program's name first, as GetCommandLineW gives it).
// A switch given twice counts once. Never raises.
UninstallOptions ParseUninstallOptions(const wchar_t* commandLine);

// The arguments that start the second stage: "/continue <starter> <report>", with " /S" when
// `silent`, so that the second stage runs as the first was asked to.
std::wstring SecondStageArguments(uintptr_t starter, uintptr_t report, bool silent);
