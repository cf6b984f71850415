#include <gtest/gtest.h>

#include "common/Resources_win32.h"
#include "common/SystemError_win32.h"

TEST(ResourceStream, MissingResourceNamesIt)
{
    try {
        ResourceStream s("NOSUCHTHING", "PNG");
        FAIL() << "no error raised";
    } catch (const EResNotFound& e) {
        EXPECT_STREQ(e.what(), "Resource NOSUCHTHING not found");
    }
}

TEST(SystemErrorText, HasNoTrailingLineBreak)
{
    const std::string t = SystemErrorText(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(t.empty());
    EXPECT_NE(t.back(), '\n');
    EXPECT_NE(t.back(), '\r');
}
