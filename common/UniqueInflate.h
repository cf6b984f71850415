#pragma once
// The owner of an inflating z_stream: once inflateInit has succeeded on a stream, it hands the
// stream's address to a UniqueInflate, which calls inflateEnd on every path. The z_stream
// itself stays where the caller keeps it (zlib's state points back at it, so it never moves).
// Portable; for the areas that link zlib.
#include <zlib.h>

#include "common/UniqueResource.h"

struct InflateEndTraits {
    using Type = z_stream*;
    static Type Invalid() { return nullptr; }
    static void Close(Type stream) { inflateEnd(stream); }
};
using UniqueInflate = UniqueResource<InflateEndTraits>;
