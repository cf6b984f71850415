#include "common/Exception.h"

#include <cxxabi.h>

#include <cstdarg>
#include <cstdint>
#include <cstring>

namespace {
// The directive being expanded: flags, width, precision and length modifier.
struct Directive {
    bool left = false;
    bool zero = false;
    int width = 0;
    int precision = -1;
    int longs = 0;  // -2 char, -1 short, 0 int, 1 long, 2 long long, 3 size_t
};

void Pad(std::string& out, size_t length, const Directive& field, char fill)
{
    if (field.width > 0 && length < static_cast<size_t>(field.width))
        out.append(static_cast<size_t>(field.width) - length, fill);
}

void AppendField(std::string& out, const char* text, size_t length, const Directive& field)
{
    if (!field.left)
        Pad(out, length, field, ' ');
    out.append(text, length);
    if (field.left)
        Pad(out, length, field, ' ');
}

void AppendNumber(std::string& out, bool negative, uint64_t magnitude, unsigned base,
                  bool upper, const Directive& field)
{
    const char* digitChars = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char digits[24];
    size_t n = 0;
    do {
        digits[n++] = digitChars[magnitude % base];
        magnitude /= base;
    } while (magnitude != 0);
    if (field.precision == 0 && n == 1 && digits[0] == '0')
        n = 0;
    size_t zeros = field.precision > 0 && static_cast<size_t>(field.precision) > n
                       ? static_cast<size_t>(field.precision) - n
                       : 0;
    const size_t sign = negative ? 1 : 0;
    if (field.zero && !field.left && field.precision < 0 && field.width > 0 &&
        static_cast<size_t>(field.width) > n + sign)
        zeros = static_cast<size_t>(field.width) - n - sign;
    const size_t length = sign + zeros + n;
    if (!field.left)
        Pad(out, length, field, ' ');
    if (negative)
        out += '-';
    out.append(zeros, '0');
    while (n > 0)
        out += digits[--n];
    if (field.left)
        Pad(out, length, field, ' ');
}

int ReadCount(const char*& p, va_list& args)
{
    if (*p == '*') {
        ++p;
        return va_arg(args, int);
    }
    int value = 0;
    while (*p >= '0' && *p <= '9')
        value = value * 10 + (*p++ - '0');
    return value;
}
}  // namespace

// Expands the directives the program's texts use: %s %c %d %i %u %x %X %% with the flags '-' and
// '0', a width, a precision and the length modifiers h, l, ll and z. It writes what the C library's
// printf writes for them, without pulling that family (and its floating-point conversion) into
// the programs. Any other directive is copied as it stands.
std::string FormatArgs(const char* format, va_list caller)
{
    // A copy of our own, so that helpers can take it by reference on every ABI.
    va_list args;
    va_copy(args, caller);
    std::string out;
    for (const char* p = format; *p != '\0'; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        const char* directive = p++;
        Directive field;
        for (;; ++p) {
            if (*p == '-')
                field.left = true;
            else if (*p == '0')
                field.zero = true;
            else
                break;
        }
        field.width = ReadCount(p, args);
        if (field.width < 0) {
            field.left = true;
            field.width = -field.width;
        }
        if (*p == '.') {
            ++p;
            field.precision = ReadCount(p, args);
            if (field.precision < 0)
                field.precision = -1;
        }
        if (*p == 'h') {
            ++p;
            field.longs = -1;
            if (*p == 'h') {
                ++p;
                field.longs = -2;
            }
        } else if (*p == 'l') {
            ++p;
            field.longs = 1;
            if (*p == 'l') {
                ++p;
                field.longs = 2;
            }
        } else if (*p == 'z') {
            ++p;
            field.longs = 3;
        }
        switch (*p) {
        case '%':
            out += '%';
            break;
        case 's': {
            const char* s = va_arg(args, const char*);
            if (s == nullptr)
                s = "(null)";
            size_t length = std::strlen(s);
            if (field.precision >= 0 && length > static_cast<size_t>(field.precision))
                length = static_cast<size_t>(field.precision);
            AppendField(out, s, length, field);
            break;
        }
        case 'c': {
            const char c = static_cast<char>(va_arg(args, int));
            AppendField(out, &c, 1, field);
            break;
        }
        case 'd':
        case 'i': {
            int64_t v = field.longs == 1   ? va_arg(args, long)
                        : field.longs == 2 ? va_arg(args, long long)
                        : field.longs == 3 ? static_cast<int64_t>(va_arg(args, size_t))
                                          : va_arg(args, int);
            if (field.longs == -1)
                v = static_cast<short>(v);
            else if (field.longs == -2)
                v = static_cast<signed char>(v);
            const uint64_t magnitude =
                v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
            AppendNumber(out, v < 0, magnitude, 10, false, field);
            break;
        }
        case 'u':
        case 'x':
        case 'X': {
            uint64_t v = field.longs == 1   ? va_arg(args, unsigned long)
                         : field.longs == 2 ? va_arg(args, unsigned long long)
                         : field.longs == 3 ? va_arg(args, size_t)
                                           : va_arg(args, unsigned);
            if (field.longs == -1)
                v = static_cast<unsigned short>(v);
            else if (field.longs == -2)
                v = static_cast<unsigned char>(v);
            AppendNumber(out, false, v, *p == 'u' ? 10 : 16, *p == 'X', field);
            break;
        }
        default:
            if (*p == '\0')
                --p;
            out.append(directive, static_cast<size_t>(p - directive + 1));
            break;
        }
    }
    va_end(args);
    return out;
}

Exception::Exception(std::string message, unsigned long systemCode, ErrorCause cause)
    : Exception(std::move(message), tiNone, {}, {}, systemCode, cause)
{
}

Exception::Exception(std::string message, TextId text, std::string first, std::string second,
                     unsigned long systemCode, ErrorCause cause)
    : message_(std::move(message)), systemCode_(systemCode), cause_(cause), text_(text),
      first_(std::move(first)), second_(std::move(second))
{
}

Exception::Exception(const Exception& other) = default;

Exception::~Exception() = default;

const Exception* OwnException(const std::exception& error)
{
    // Rethrown, the exception being handled is caught here as ours or not; it lives on until
    // the handler that asks has finished.
    if (!abi::__cxa_current_exception_type())
        return nullptr;
    try {
        throw;
    } catch (const Exception& own) {
        if (&own == &error)
            return &own;
    } catch (...) {
    }
    return nullptr;
}

std::string Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string out = FormatArgs(format, args);
    va_end(args);
    return out;
}
