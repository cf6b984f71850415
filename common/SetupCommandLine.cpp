#include "common/SetupCommandLine.h"

#include <cwchar>

namespace {
bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

// Whether `text` begins with `name` (lower-case ASCII), the case of ASCII letters ignored;
// `text` then points past it.
bool Skip(const wchar_t*& text, const wchar_t* name)
{
    const wchar_t* p = text;
    for (; *name; ++name, ++p)
        if ((*p >= L'A' && *p <= L'Z' ? *p - L'A' + L'a' : *p) != *name)
            return false;
    text = p;
    return true;
}

// Applies one argument (its quotes dropped); false when it is invalid.
bool Apply(const std::wstring& argument, SetupOptions& options)
{
    const wchar_t* p = argument.c_str();
    if (*p != L'/' && *p != L'-')
        return false;
    ++p;
    const wchar_t* name = p;
    if ((Skip(p, L"s") && !*p) || (Skip(name, L"quiet") && !*name)) {
        options.Silent = true;
        return true;
    }
    if (!Skip(p, L"log=") || !*p || (!options.LogPath.empty() && std::wcscmp(options.LogPath.c_str(), p) != 0))
        return false;
    options.LogPath = p;
    return true;
}
}  // namespace

SetupOptions ReadSetupCommandLine(const std::wstring& line)
{
    SetupOptions options;
    // The program's path, which Windows splits by its own rule: up to the closing quote when it
    // starts with one, else up to the first blank.
    const wchar_t* p = line.c_str();
    if (*p == L'"') {
        for (++p; *p && *p != L'"'; ++p) {
        }
        if (*p)
            ++p;
    }
    while (*p && !IsBlank(*p))
        ++p;
    std::wstring argument;
    for (;;) {
        while (IsBlank(*p))
            ++p;
        if (!*p)
            break;
        // One argument: blanks inside quotes belong to it, the quotes themselves do not.
        const wchar_t* start = p;
        bool quoted = false;
        argument.clear();
        for (; *p && (quoted || !IsBlank(*p)); ++p) {
            if (*p == L'"')
                quoted = !quoted;
            else
                argument += *p;
        }
        if (!Apply(argument, options) && options.Invalid.empty())
            options.Invalid.assign(start, p);
    }
    return options;
}
