#include "common/PathParts.h"

namespace {
template <typename Char>
bool IsSeparator(Char c)
{
    return c == Char('\\') || c == Char('/');
}

// Index just past the last folder or drive delimiter, 0 when there is none.
template <typename Char>
size_t FileNameStart(const std::basic_string<Char>& path)
{
    for (size_t i = path.size(); i > 0; --i)
        if (IsSeparator(path[i - 1]) || path[i - 1] == Char(':'))
            return i;
    return 0;
}
}  // namespace

std::string ExtractFileName(const std::string& path)
{
    return path.substr(FileNameStart(path));
}

std::wstring ExtractFileName(const std::wstring& path)
{
    return path.substr(FileNameStart(path));
}

std::wstring FolderOf(const std::wstring& path)
{
    return path.substr(0, FileNameStart(path));
}

std::wstring WithoutTrailingSeparators(std::wstring path)
{
    while (path.size() > 1 && IsSeparator(path.back()) &&
           !(path.size() == 3 && path[1] == L':'))
        path.pop_back();
    return path;
}
