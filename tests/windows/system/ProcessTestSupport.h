#pragma once
// Real processes and folders for the process tests, each cleaned up by its owner.
#include <windows.h>

#include <memory>
#include <string>

#include "common/UniqueHandle_win32.h"

// The full path of this test program, and the folder holding it and its helpers (ending "\").
std::string OwnPath();
std::string OwnFolder();

// A fresh folder under the temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    // The folder's path, ending in "\".
    const std::string& Path() const { return path_; }
    // Creates the subfolder `name` (system code page) and returns its path ending in "\".
    std::string Subfolder(const std::string& name) const;

private:
    std::string path_;
};

// Copies the helper program `helper` (its file name beside the test program) to `target`.
// Returns false when that fails.
bool CopyHelper(const std::string& helper, const std::string& target);

// A started program, terminated on destruction if it still runs.
class ChildProcess {
public:
    // Starts `exe` with `arguments`; check Started() afterwards.
    ChildProcess(const std::string& exe, const std::string& arguments = std::string());
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return static_cast<bool>(process_); }
    DWORD Id() const { return id_; }
    HANDLE Handle() const { return process_.get(); }
    bool Running() const;
    // True when the process has ended within `ms` milliseconds.
    bool WaitEnded(DWORD ms) const;
    // True when the process shows its main window (of the windowed helper's class) and waits
    // for input, within `ms` milliseconds.
    bool WaitForWindow(DWORD ms) const;

private:
    UniqueHandle process_;
    DWORD id_ = 0;
};

// Starts the sleeper helper from `exe` and waits until it has finished setting itself up.
// `arguments` are passed on ("--deny-access"). Null when it did not start or get ready.
std::unique_ptr<ChildProcess> StartSleeper(const std::string& exe,
                                           const std::string& arguments = std::string());

// Runs `exe` with `arguments` to its end; its exit code, or 99999 when it did not start or
// end within half a minute.
DWORD RunToExit(const std::string& exe, const std::string& arguments);

// Wine's settings for one program (by file name), under HKCU\Software\Wine\AppDefaults;
// removed on destruction.
class WineAppSettings {
public:
    explicit WineAppSettings(const std::string& exeName);
    ~WineAppSettings();
    WineAppSettings(const WineAppSettings&) = delete;
    WineAppSettings& operator=(const WineAppSettings&) = delete;
    // Sets string value `name` in `subkey` ("" for the program's own key); false on failure.
    bool Set(const std::string& subkey, const std::string& name, const std::string& value);

private:
    std::string key_;
};

// `text` with a-z turned into A-Z (or A-Z into a-z when `lower`).
std::string ChangeAsciiCase(std::string text, bool lower);
