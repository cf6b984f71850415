#pragma once
// The one base of every error the program raises. Its message is the text the user sees
// (8-bit, system code page); the application's error display shows it as it stands.
#include <cstdarg>
#include <exception>
#include <string>

// What kind of fault an error comes from, beside its system error code: what an unattended
// run's exit code is chosen by (FailureExitCode, ExitCodes.h), never the message's text.
enum class ErrorCause : unsigned char {
    System,   // the system refused something; SystemCode() says what, when known
    Damaged,  // a file the installer carries is missing or corrupt (resource, zlib, PNG)
};

class Exception : public std::exception {
public:
    // `systemCode`: the system's error code behind the failure (0: none, or not known).
    explicit Exception(std::string message, unsigned long systemCode = 0,
                       ErrorCause cause = ErrorCause::System)
        : message_(std::move(message)), systemCode_(systemCode), cause_(cause)
    {
    }
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }
    unsigned long SystemCode() const noexcept { return systemCode_; }
    ErrorCause Cause() const noexcept { return cause_; }

private:
    std::string message_;
    unsigned long systemCode_;
    ErrorCause cause_;
};

// printf-style formatting into a std::string, for the directives %s %c %d %i %u %x %X and %%
// (flags '-' and '0', width, precision, length h, hh, l, ll, z); see Exception.cpp.
std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// The same with the arguments as a va_list.
std::string FormatArgs(const char* format, va_list args);
