#include <gtest/gtest.h>

#include <cstring>

#include "InstallTestSupport.h"
#include "common/Resources_win32.h"

// The installer's resource script, compiled into the complete test DLL: every entry under its
// type and name, each with the content its consumers expect at the start.
TEST(SetupResources, EveryEntryIsThereWithItsKindOfContent)
{
    ResourceDll dll(MW_RES_FULL);
    const char* const pngs[] = {"WALL1", "WALL2", "WALL3", "WALL4", "SMWALL1", "SMWALL2",
                                "SMWALL3", "SMWALL4", "ABOUT", "BUTTONNORMAL", "BUTTONOVER",
                                "BUTTONPRESS", "BUTTONDISABLED", "RADIOON", "RADIOOFF",
                                "WALLPAPER"};
    for (const char* name : pngs) {
        ResourceStream s(name, "PNG");
        ASSERT_GT(s.Size(), 8u) << name;
        EXPECT_EQ(std::memcmp(s.Data(), "\x89PNG\r\n\x1a\n", 8), 0) << name;
    }
    for (const char* name : {"MRLWND", "MRLWNDT", "UNINSTALL", "UPDATE"}) {
        ResourceStream s(name, "ZIP");
        ASSERT_GT(s.Size(), 6u) << name;
        EXPECT_EQ(s.Data()[0], 0x78) << name;
        EXPECT_EQ(s.Data()[1], 0x01) << name;
    }
    ResourceStream licence("LICENSE", "TXT");
    ASSERT_GT(licence.Size(), 2u);
    EXPECT_EQ(licence.Data()[0], 0xFF);
    EXPECT_EQ(licence.Data()[1], 0xFE);
    ResourceStream web("ONWEB", "URL");
    const std::string text(reinterpret_cast<const char*>(web.Data()), web.Size());
    EXPECT_EQ(text.rfind("[{000214A0-0000-0000-C000-000000000046}]\r\nProp3=19,2\r\n"
                         "[InternetShortcut]\r\nURL=", 0),
              0u);
    ASSERT_GE(text.size(), 11u);
    EXPECT_EQ(text.substr(text.size() - 11), "\r\nIDList=\r\n");
    size_t lines = 0;
    for (size_t i = 0; (i = text.find("\r\n", i)) != std::string::npos; i += 2)
        ++lines;
    EXPECT_EQ(lines, 5u);
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
}
