#include <gtest/gtest.h>

#include <cstring>

#include "common/MessageText.h"
#include "common/PathParts.h"

// The wide splitters agree with the 8-bit file-name rule ("\", "/" and ":" end a folder part),
// and a drive's root keeps the separator that makes it a root.
TEST(PathParts, SplitsWidePathsAtEveryDelimiter)
{
    const struct {
        const wchar_t* path;
        const wchar_t* name;
        const wchar_t* folder;
        const wchar_t* trimmed;  // WithoutTrailingSeparators(path)
    } cases[] = {
        {L"C:\\Program Files\\Marlowind\\", L"", L"C:\\Program Files\\Marlowind\\",
         L"C:\\Program Files\\Marlowind"},
        {L"C:\\Temp\\x\\UninstallMW.exe", L"UninstallMW.exe", L"C:\\Temp\\x\\",
         L"C:\\Temp\\x\\UninstallMW.exe"},
        {L"C:/dir/x.exe", L"x.exe", L"C:/dir/", L"C:/dir/x.exe"},
        {L"D:tool.exe", L"tool.exe", L"D:", L"D:tool.exe"},
        {L"C:\\", L"", L"C:\\", L"C:\\"},
        {L"C:\\\\", L"", L"C:\\\\", L"C:\\"},
        {L"\\\\server\\share\\\\", L"", L"\\\\server\\share\\\\", L"\\\\server\\share"},
        {L"\\", L"", L"\\", L"\\"},
        {L"tool.exe", L"tool.exe", L"", L"tool.exe"},
        {L"", L"", L"", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractFileName(std::wstring(c.path)), c.name) << c.path;
        EXPECT_EQ(FolderOf(c.path), c.folder) << c.path;
        EXPECT_EQ(WithoutTrailingSeparators(c.path), c.trimmed) << c.path;
    }
}

TEST(MessageText, AddsOrDropsTheFullStop)
{
    const struct {
        const char* text;
        const char* with;
        const char* without;
    } cases[] = {
        {"Stream write error", "Stream write error.", "Stream write error"},
        {"Access is denied.", "Access is denied.", "Access is denied"},
        {"Access is denied. ", "Access is denied. .", "Access is denied"},
        {"done.\r\n", "done.\r\n.", "done.\r\n"},
        {"...", "...", ""},
        {"", ".", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WithFullStop(std::string(c.text)), c.with) << c.text;
        EXPECT_EQ(WithoutFullStop(c.text), c.without) << c.text;
        const std::string with = c.with;
        EXPECT_EQ(WithFullStop(std::wstring(c.text, c.text + std::strlen(c.text))),
                  std::wstring(with.begin(), with.end()))
            << c.text;
    }
}
