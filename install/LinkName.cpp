#include "install/LinkName.h"

namespace {
// Index just past the last folder or drive delimiter, 0 when there is none.
size_t FileNameStart(const std::wstring& path)
{
    const size_t d = path.find_last_of(L"\\:");
    return d == std::wstring::npos ? 0 : d + 1;
}
}  // namespace

std::wstring LinkNameFor(const std::wstring& target)
{
    std::wstring name = target.substr(FileNameStart(target));
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos)
        name.erase(dot);
    return name + L".lnk";
}

std::wstring LinkPathFor(const std::wstring& folder, const std::wstring& subfolder,
                         const std::wstring& linkName)
{
    if (subfolder.empty())
        return folder + L"\\" + linkName;
    return folder + L"\\" + subfolder + L"\\" + linkName;
}

std::wstring FolderOf(const std::wstring& target)
{
    return target.substr(0, FileNameStart(target));
}
