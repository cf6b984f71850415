#include <gtest/gtest.h>

#include "system/AsciiText.h"

TEST(AsciiTextUpperCase, FoldsOnlyAsciiLetters)
{
    EXPECT_EQ(AsciiUpperCase("c:\\program files\\marlowind\\marlowind.exe"),
              "C:\\PROGRAM FILES\\MARLOWIND\\MARLOWIND.EXE");
    // The bytes right around 'a'..'z' and every byte above 127 stay as they are.
    EXPECT_EQ(AsciiUpperCase("`az{@AZ["), "`AZ{@AZ[");
    const std::string high = "\xe4\xf6\xfc\xe0\xff\x80\xb5";
    EXPECT_EQ(AsciiUpperCase(high), high);
}

TEST(AsciiTextUpperCase, EveryByteValue)
{
    for (int b = 0; b < 256; ++b) {
        const std::string in(1, static_cast<char>(b));
        const char expected = (b >= 'a' && b <= 'z') ? static_cast<char>(b - 32)
                                                     : static_cast<char>(b);
        EXPECT_EQ(AsciiUpperCase(in), std::string(1, expected)) << "byte " << b;
    }
}

TEST(AsciiTextSame, ComparesPathsIgnoringAsciiCaseOnly)
{
    EXPECT_TRUE(SameTextAscii("C:\\Temp\\Marlowind.exe", "c:\\TEMP\\marloWIND.EXE"));
    EXPECT_TRUE(SameTextAscii("", ""));
    // Windows-1252 a-umlaut against A-umlaut: the same letter to the file system, not here.
    EXPECT_FALSE(SameTextAscii("C:\\\xe4\\M.exe", "C:\\\xc4\\M.exe"));
    EXPECT_FALSE(SameTextAscii("C:\\M.exe", "C:\\M.exe "));
    EXPECT_FALSE(SameTextAscii("C:\\M.exe", "C:\\M.ex"));
    // Embedded NULs count as bytes.
    EXPECT_FALSE(SameTextAscii(std::string("a\0b", 3), std::string("a\0c", 3)));
}

TEST(AsciiTextFileName, TakesTextAfterLastDelimiter)
{
    EXPECT_EQ(ExtractFileName("C:\\Program Files\\Marlowind\\Marlowind.exe"), "Marlowind.exe");
    EXPECT_EQ(ExtractFileName("C:/dir/x.exe"), "x.exe");
    EXPECT_EQ(ExtractFileName("C:x.exe"), "x.exe");
    EXPECT_EQ(ExtractFileName("x.exe"), "x.exe");
    EXPECT_EQ(ExtractFileName("C:\\dir\\"), "");
    EXPECT_EQ(ExtractFileName(""), "");
}
