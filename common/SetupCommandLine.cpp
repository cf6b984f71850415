#include "common/SetupCommandLine.h"

namespace {
bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

wchar_t AsciiLower(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// Whether `text` from `at` begins with `name` (lower-case ASCII), case ignored.
bool NameAt(const std::wstring& text, size_t at, const wchar_t* name)
{
    for (; *name; ++name, ++at)
        if (at >= text.size() || AsciiLower(text[at]) != *name)
            return false;
    return true;
}

// One argument: its text without quotes and as written.
struct Argument {
    std::wstring Text, Written;
};

// The argument that starts at `at` (no blank there); `at` moves past it.
Argument NextArgument(const std::wstring& line, size_t& at)
{
    Argument arg;
    bool quoted = false;
    const size_t start = at;
    for (; at < line.size() && (quoted || !IsBlank(line[at])); ++at) {
        if (line[at] == L'"')
            quoted = !quoted;
        else
            arg.Text += line[at];
    }
    arg.Written = line.substr(start, at - start);
    return arg;
}

// The end of the program's path, which Windows splits by its own rule: up to the closing quote
// when it starts with one, else up to the first blank.
size_t AfterProgramPath(const std::wstring& line)
{
    size_t at = 0;
    if (!line.empty() && line[0] == L'"') {
        at = line.find(L'"', 1);
        return at == std::wstring::npos ? line.size() : at + 1;
    }
    while (at < line.size() && !IsBlank(line[at]))
        ++at;
    return at;
}

// Applies one argument; false when it is invalid.
bool Apply(const Argument& arg, SetupOptions& options)
{
    const std::wstring& t = arg.Text;
    if (t.size() < 2 || (t[0] != L'/' && t[0] != L'-'))
        return false;
    if ((t.size() == 2 && AsciiLower(t[1]) == L's') || (t.size() == 6 && NameAt(t, 1, L"quiet"))) {
        options.Silent = true;
        return true;
    }
    if (t.size() > 5 && NameAt(t, 1, L"log=")) {
        const std::wstring path = t.substr(5);
        if (!options.LogPath.empty() && options.LogPath != path)
            return false;
        options.LogPath = path;
        return true;
    }
    return false;
}
}  // namespace

SetupOptions ReadSetupCommandLine(const std::wstring& line)
{
    SetupOptions options;
    size_t at = AfterProgramPath(line);
    for (;;) {
        while (at < line.size() && IsBlank(line[at]))
            ++at;
        if (at >= line.size())
            break;
        const Argument arg = NextArgument(line, at);
        if (!Apply(arg, options) && options.Invalid.empty())
            options.Invalid = arg.Written;
    }
    return options;
}
