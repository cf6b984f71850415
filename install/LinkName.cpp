#include "install/LinkName.h"

namespace {
// Index just past the last folder or drive delimiter, 0 when there is none.
size_t FileNameStart(const std::string& path)
{
    const size_t d = path.find_last_of("\\:");
    return d == std::string::npos ? 0 : d + 1;
}
}  // namespace

std::string LinkNameFor(const std::string& target)
{
    std::string name = target.substr(FileNameStart(target));
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name + ".lnk";
}

std::string LinkPathFor(const std::string& folder, const std::string& subfolder,
                        const std::string& linkName)
{
    if (subfolder.empty())
        return folder + "\\" + linkName;
    return folder + "\\" + subfolder + "\\" + linkName;
}

std::string FolderOf(const std::string& target)
{
    return target.substr(0, FileNameStart(target));
}
