#pragma once
// Named resources of the program's image, found by type name and resource name.
// The module searched defaults to the running executable; tests point it at a resource-only
// DLL to make resources broken or missing for real.
#include <windows.h>

#include "common/ByteSource.h"
#include "common/Exception.h"

// The module whose resources are read. Null means the executable that started the process.
HMODULE ResourceModule();
void SetResourceModule(HMODULE module);

// A resource the program carries is missing: the program's file is damaged.
class EResNotFound : public Exception {
public:
    // "Resource %s not found", naming the resource.
    explicit EResNotFound(const char* name)
        : Exception(tiErrResourceNotFound, name, {}, 0, ErrorCause::Damaged)
    {
    }
};

// The bytes of one resource, read in place (resources stay mapped while the module is loaded).
// Raises EResNotFound "Resource %s not found" (the resource name) when there is none.
class ResourceStream : public MemorySource {
public:
    ResourceStream(const char* name, const char* type);
    ResourceStream(HMODULE module, const char* name, const char* type);
};
