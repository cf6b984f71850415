#include "common/Resources_win32.h"

namespace {
HMODULE g_resourceModule = nullptr;

MemorySource Locate(HMODULE module, const char* name, const char* type)
{
    HRSRC info = ::FindResourceA(module, name, type);
    HGLOBAL handle = info ? ::LoadResource(module, info) : nullptr;
    const void* data = handle ? ::LockResource(handle) : nullptr;
    if (!data)
        throw EResNotFound(name);
    return MemorySource(data, ::SizeofResource(module, info));
}
}  // namespace

HMODULE ResourceModule()
{
    return g_resourceModule ? g_resourceModule : ::GetModuleHandleA(nullptr);
}

void SetResourceModule(HMODULE module)
{
    g_resourceModule = module;
}

ResourceStream::ResourceStream(const char* name, const char* type)
    : ResourceStream(ResourceModule(), name, type)
{
}

ResourceStream::ResourceStream(HMODULE module, const char* name, const char* type)
    : MemorySource(Locate(module, name, type))
{
}
