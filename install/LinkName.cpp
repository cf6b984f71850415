#include "install/LinkName.h"

std::wstring LinkNameFor(const std::wstring& target)
{
    std::wstring name = ExtractFileName(target);
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
