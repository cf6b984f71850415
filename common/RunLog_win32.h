#pragma once
// The log of a run, a UTF-8 text file at the place the command line names (/log=PATH) and
// nowhere else. Every line is handed to the system as soon as it is formed, so a run that is
// killed leaves its log up to the kill; the steps of the install write to it as they go, and
// nothing is written while no log is open. English, one line per step, each after the local
// time: "2026-12-10 11:45:42.123  <text>".
#include <string>

// Creates the log at `path` (made a full path first; an existing file is emptied), refusing a
// link planted under that name, as every name the elevated program writes. Returns the
// system's error code (ERROR_SUCCESS when open).
unsigned long OpenRunLog(const std::wstring& path);

// One line of ASCII or UTF-8 text, when a log is open.
void LogLine(const char* text);
// One line given in the system code page (error messages, registry names).
void LogCodePageLine(const std::string& text);
// `what` (ASCII), a blank and `name`.
void LogStep(const char* what, const std::wstring& name);
// Makes what was written durable (also against a power cut) and closes the log.
void CloseRunLog();
