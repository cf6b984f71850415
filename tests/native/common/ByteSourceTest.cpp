#include <gtest/gtest.h>

#include "common/ByteSource.h"
#include "common/Exception.h"

TEST(MemorySource, ReadsInPiecesAndRewinds)
{
    const char data[] = "abcdefg";
    MemorySource s(data, 7);
    char buf[4] = {};
    EXPECT_EQ(s.Read(buf, 4), 4u);
    EXPECT_EQ(std::string(buf, 4), "abcd");
    EXPECT_EQ(s.Read(buf, 4), 3u);
    EXPECT_EQ(std::string(buf, 3), "efg");
    EXPECT_EQ(s.Read(buf, 4), 0u);
    s.SeekToStart();
    EXPECT_EQ(s.Read(buf, 2), 2u);
    EXPECT_EQ(std::string(buf, 2), "ab");
}

TEST(Format, FormatsLongTexts)
{
    const std::string longName(5000, 'x');
    const std::string s = Format("Cannot create file \"%s\". %s", longName.c_str(), "Access denied");
    EXPECT_EQ(s, "Cannot create file \"" + longName + "\". Access denied");
}
