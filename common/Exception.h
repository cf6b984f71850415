#pragma once
// The one base of every error the program raises. Its message is the English text (8-bit,
// system code page) that logs keep; an error the user may see also names its text in the text
// tables and the two values put into it, so that the error display can show it in the user's
// language.
#include <cstdarg>
#include <exception>
#include <string>

#include "common/TextIds.h"

// What kind of fault an error comes from, beside its system error code: what an unattended
// run's exit code is chosen by (FailureExitCode, ExitCodes.h), never the message's text.
enum class ErrorCause : unsigned char {
    System,   // the system refused something; SystemCode() says what, when known
    Damaged,  // a file the installer carries is missing or corrupt (resource, zlib, PNG)
};

class Exception : public std::exception {
public:
    // `systemCode`: the system's error code behind the failure (0: none, or not known).
    // Out of line, as the others and the destructor: every error class shares one copy.
    explicit Exception(std::string message, unsigned long systemCode = 0,
                       ErrorCause cause = ErrorCause::System);
    // The same, with the message's text in the text tables (`text`) and the values put in
    // for its %1 and %2 (system code page), for the error display in the user's language.
    Exception(std::string message, TextId text, std::string first = {}, std::string second = {},
              unsigned long systemCode = 0, ErrorCause cause = ErrorCause::System);
    // An error whose message is text `text` of the English table, with `first` and `second`
    // put in for its %1 and %2 (the table's texts are what the program always said).
    // Windows only: the tables are the program's resources (common/Texts_win32.cpp).
    explicit Exception(TextId text, std::string first = {}, std::string second = {},
                       unsigned long systemCode = 0, ErrorCause cause = ErrorCause::System);
    Exception(const Exception& other);
    ~Exception() override;
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }
    unsigned long SystemCode() const noexcept { return systemCode_; }
    ErrorCause Cause() const noexcept { return cause_; }
    // The message's text in the tables (tiNone: the message has none) and what goes in for its
    // %1 and %2 (system code page).
    TextId Text() const noexcept { return text_; }
    const std::string& First() const noexcept { return first_; }
    const std::string& Second() const noexcept { return second_; }

private:
    std::string message_;
    unsigned long systemCode_;
    ErrorCause cause_;
    TextId text_;
    std::string first_, second_;
};

// `error` as one of ours when it is the exception being handled; null for any other error, and
// outside a handler. The programs carry no type information beyond what exceptions need, so
// errors are reported from their handlers, where this can tell.
const Exception* OwnException(const std::exception& error);

// printf-style formatting into a std::string, for the directives %s %c %d %i %u %x %X and %%
// (flags '-' and '0', width, precision, length h, hh, l, ll, z); see Exception.cpp.
std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// The same with the arguments as a va_list.
std::string FormatArgs(const char* format, va_list args);
