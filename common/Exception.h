#pragma once
// The one base of every error the program raises. Its message is the text the user sees
// (8-bit, system code page); the application's error display shows it as it stands.
#include <cstdarg>
#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }

private:
    std::string message_;
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
