#pragma once
// The one base of every error the program raises. Its message is the English text (8-bit,
// system code page) that logs keep; an error the user may see also names its text in the text
// tables and the two values put into it, so that the error display can show it in the user's
// language.
#include <cstdarg>
#include <exception>
#include <string>

#include "common/TextIds.h"

class Exception : public std::exception {
public:
    // Out of line, as the destructor: every error class shares one copy of each.
    explicit Exception(std::string message, TextId text = tiNone, std::string first = {},
                       std::string second = {});
    // An error whose message is text `text` of the English table, with `first` and `second`
    // put in for its %1 and %2 (the table's texts are what the program always said).
    // Windows only: the tables are the program's resources (common/Texts_win32.cpp).
    explicit Exception(TextId text, std::string first = {}, std::string second = {});
    Exception(const Exception& other);
    ~Exception() override;
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }
    // The message's text in the tables (tiNone: the message has none) and what goes in for its
    // %1 and %2 (system code page).
    TextId Text() const noexcept { return text_; }
    const std::string& First() const noexcept { return first_; }
    const std::string& Second() const noexcept { return second_; }

private:
    std::string message_;
    TextId text_;
    std::string first_, second_;
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
