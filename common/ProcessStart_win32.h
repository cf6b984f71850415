#pragma once
// What both programs do first, before any library is loaded by name: run elevated from a folder
// an ordinary user can write to (the download folder, a stage folder in %TEMP%), they must not
// pick up a DLL planted beside them, and must not follow a link planted for them.

// What HardenProcessStart could do on this system.
struct ProcessStartGuards {
    bool DefaultDirectories = false;  // SetDefaultDllDirectories(system folder) succeeded
    bool DllDirectoryCleared = false; // SetDllDirectoryA("") succeeded (tried only without the above)
    bool RedirectionGuard = false;    // the redirection trust policy is enforced
};

// Limits the search of libraries loaded later by bare name to the system folder (by
// SetDefaultDllDirectories where the system has it, else by taking the current folder out of
// the search with SetDllDirectoryA("")) and turns on the system's redirection guard for the
// process (SetProcessMitigationPolicy, redirection trust policy), where the system has one.
// Both entries are bound by name; whatever the system lacks is skipped. Never raises.
ProcessStartGuards HardenProcessStart();
