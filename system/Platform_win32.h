#pragma once
// The platform tests for the running system.
#include "system/Platform.h"

// The platform id and version the system reports to this program (GetVersionExA). Without a
// manifest entry for them, newer systems report 6.2; Wine reports the version its prefix is
// set to imitate. Read once and kept.
const PlatformVersion& CurrentPlatform();

bool IsWindows8();
bool IsWindows7();
bool IsWindowsVista();
bool IsWindows2003();
bool IsWindowsXP();
bool IsWindows2000OrLater();
bool IsWindowsNT4();
bool IsWindowsNT3();
