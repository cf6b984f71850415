#pragma once
// The installer's command line, read once at the program entry into one small value that
// everything below takes instead of the raw line. Portable: no Windows header.
//
// Switches, each introduced by '/' or '-', names compared without regard to the case of ASCII
// letters:
//   /S, /quiet      the whole install with no window of any kind
//   /log=PATH       a UTF-8 log of the run at PATH
// Arguments are separated by blanks (space, tab); a double quote starts or ends a quoted part,
// in which blanks belong to the argument, and is itself dropped, so that /log="C:\a b\x.log"
// and "/log=C:\a b\x.log" both give C:\a b\x.log. A quote left open runs to the end of the line.
// Backslashes are plain characters (no escapes), so a path may end in one before its quote.
//
// Anything else is invalid: an unknown switch, a word that is no switch, /log without a path
// ("/log" or "/log="), and a second /log naming another path (which of two logs to write
// would be a guess); the first invalid argument is kept, as written. The same switch given
// twice (/S /quiet, the same /log twice) is harmless. The line is read whatever its length.
#include <string>

struct SetupOptions {
    bool Silent = false;
    // The log's path without its quotes; empty: no log.
    std::wstring LogPath;
    // The first invalid argument as it stands on the line (quotes included); empty: none.
    std::wstring Invalid;
};

// Reads `line`, the whole command line as the process got it (GetCommandLineW): the program's
// own path first (quoted or not, as Windows splits it), then the arguments.
SetupOptions ReadSetupCommandLine(const std::wstring& line);
