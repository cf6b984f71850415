#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <stdexcept>

#include "common/Exception.h"

namespace {
// Format must write what the C library's snprintf writes for the same directive and values.
template <typename... Args>
void ExpectAsPrintf(const char* format, Args... args)
{
    char expected[256];
    std::snprintf(expected, sizeof expected, format, args...);
    EXPECT_EQ(Format(format, args...), expected) << "format: " << format;
}
}  // namespace

TEST(Format, WritesWhatPrintfWrites)
{
    ExpectAsPrintf("plain text, 100%% sure");
    ExpectAsPrintf("Resource %s not found", "LICENSE");
    ExpectAsPrintf("[%8s|%-8s|%.3s|%-6.2s|%s]", "ab", "cd", "abcdef", "xyz", "");
    ExpectAsPrintf("[%*s|%-*s|%.*s]", 5, "a", 4, "b", 2, "abc");
    ExpectAsPrintf("%c%c%5c|%-3c|", 'M', 'w', 'x', 'y');
    ExpectAsPrintf("%d %i %d %d %d", 0, -1, 42, INT_MAX, INT_MIN);
    ExpectAsPrintf("%ld %lld %lld %zu", -7L, LLONG_MIN, LLONG_MAX, SIZE_MAX);
    ExpectAsPrintf("%u %lu %llu", UINT_MAX, 4000000000UL, ULLONG_MAX);
    ExpectAsPrintf("%x %X %08x %lx %llX", 0xbeefu, 0xbeefu, 0x1fu, 0xfffffffful, ~0ull);
    ExpectAsPrintf("[%5d|%-5d|%05d|%05d|%-05d|%.3d|%8.3d|%.0d|%.0u]", 42, 42, 42, -42, 7, 5, -5, 0,
                   0u);
    ExpectAsPrintf("[%hd|%hu|%hhd|%hhu|%hx]", 70000, 70000, 200, 300, 0x12345);
    ExpectAsPrintf("Error %lu", 2UL);
    ExpectAsPrintf("System Error.  Code: %lu.\n%s", 5UL, "Access is denied.");
    ExpectAsPrintf("bit depth %u with colour type %u (CSIDL %d)", 16u, 3u, 38);
}

// Only the exception being handled is told apart as one of ours, and only the very object.
TEST(OwnException, IsTheHandledErrorWhenItIsOurs)
{
    const Exception other("other");
    EXPECT_EQ(OwnException(other), nullptr) << "outside any handler";
    try {
        throw Exception("disk full", 112);
    } catch (const std::exception& error) {
        const Exception* own = OwnException(error);
        ASSERT_NE(own, nullptr);
        EXPECT_EQ(own->SystemCode(), 112u);
        EXPECT_EQ(OwnException(other), nullptr) << "not the handled one";
        try {
            throw std::runtime_error("theirs");
        } catch (const std::exception& inner) {
            EXPECT_EQ(OwnException(inner), nullptr);
        }
        // Asking rethrew it: it is still the one handled, whole.
        EXPECT_EQ(OwnException(error), own);
        EXPECT_STREQ(error.what(), "disk full");
    }
}
