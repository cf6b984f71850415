#include "install/Registry_win32.h"

#include "common/CodePage_win32.h"
#include "common/RunLog_win32.h"

std::string RegistryPathText(const std::wstring& path)
{
    std::string text;
    if (!ToSystemCodePageExactly(path, text))
        throw ERegistryException(
            Format("Cannot record \"%s\" in the registry: the system code page can't spell it",
                   ToSystemCodePage(path).c_str()));
    return text;
}

void TRegistry::SetRootKey(HKEY root)
{
    CloseKey();
    root_ = root;
}

HKEY TRegistry::BaseFor(const std::string& key, std::string& relative) const
{
    const bool absolute = !key.empty() && key[0] == '\\';
    relative = absolute ? key.substr(1) : key;
    return absolute || !current_ ? root_ : current_.get();
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate)
{
    std::string relative;
    const HKEY base = BaseFor(key, relative);
    HKEY opened = nullptr;
    LONG rc;
    if (canCreate)
        rc = ::RegCreateKeyExA(base, relative.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               access_, nullptr, &opened, nullptr);
    else
        rc = ::RegOpenKeyExA(base, relative.c_str(), 0, access_, &opened);
    // The previous key may be the base of the new one: it is closed only now.
    current_.reset(rc == ERROR_SUCCESS ? opened : nullptr);
    key_ = key;
    return rc == ERROR_SUCCESS;
}

void TRegistry::CreateKey(const std::string& key)
{
    std::string relative;
    const HKEY base = BaseFor(key, relative);
    UniqueHkey created;
    const LONG rc = ::RegCreateKeyExA(base, relative.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      access_, nullptr, created.receive(), nullptr);
    if (rc != ERROR_SUCCESS)
        throw ERegistryException(tiErrCreateKey, key, {}, rc);
}

void TRegistry::WriteValue(const std::string& name, DWORD type, const void* data, DWORD size)
{
    const LONG rc = current_ ? ::RegSetValueExA(current_.get(), name.c_str(), 0, type,
                                                static_cast<const BYTE*>(data), size)
                             : ERROR_INVALID_HANDLE;
    if (rc != ERROR_SUCCESS)
        throw ERegistryException(tiErrSetData, name, {}, rc);
    LogCodePageLine("Registry value written: " + key_ + "\\" + name);
}

void TRegistry::WriteString(const std::string& name, const std::string& value)
{
    WriteValue(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void TRegistry::WriteInteger(const std::string& name, DWORD value)
{
    WriteValue(name, REG_DWORD, &value, sizeof value);
}
