// Our decoder against libpng, pixel for pixel, on the generated corpus and the skin pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "PngOracle.h"
#include "skin/PngLoader.h"
#include "skin/PngRows.h"

namespace {

std::vector<std::string> PngFilesIn(const std::string& folder)
{
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".png")
            files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

PngTransparency ExpectedClass(const std::string& name)
{
    if (name.rfind("c4_", 0) == 0 || name.rfind("c6_", 0) == 0 || name.find("_partial_") != std::string::npos)
        return PngTransparency::AlphaChannel;
    if (name.find("_key_") != std::string::npos)
        return PngTransparency::ColorKey;
    return PngTransparency::None;
}

// Decodes the file with both decoders into `ours` and reports the first differing pixel.
void ExpectSameAsLibpng(const std::string& path, PngImage& ours)
{
    SCOPED_TRACE(path);
    const std::vector<uint8_t> file = ReadTestFile(path);
    ASSERT_FALSE(file.empty());
    const OracleImage reference = DecodeWithLibpng(file);
    ASSERT_EQ(reference.Error, "");
    MemorySource source(file.data(), file.size());
    try {
        ours = DecodePng(source);
    } catch (const EPngError& e) {
        FAIL() << "refused: " << e.what();
    }
    ASSERT_EQ(ours.Width, reference.Width);
    ASSERT_EQ(ours.Height, reference.Height);
    ASSERT_EQ(ours.Pixels.size(), reference.Pixels.size());
    for (size_t i = 0; i < ours.Pixels.size(); ++i) {
        if (ours.Pixels[i] != reference.Pixels[i]) {
            ADD_FAILURE() << "pixel (" << i % ours.Width << ", " << i / ours.Width << "): ours "
                          << std::hex << ours.Pixels[i] << ", libpng " << reference.Pixels[i];
            return;
        }
    }
}

}  // namespace

// Row conversion has SSSE3 and SSE2 forms; the corpus runs through both.
class PngDecoderOracleBothPaths : public testing::TestWithParam<bool> {
protected:
    void SetUp() override { was_ = UsePngSsse3(GetParam()); }
    void TearDown() override { UsePngSsse3(was_); }
    bool was_ = false;
};

INSTANTIATE_TEST_SUITE_P(Ssse3, PngDecoderOracleBothPaths, testing::Bool());

TEST_P(PngDecoderOracleBothPaths, EveryColourTypeDepthInterlaceAndTransparencyMatchesLibpng)
{
    const std::vector<std::string> files = PngFilesIn(MW_PNG_CORPUS);
    ASSERT_GE(files.size(), 240u) << "corpus missing in " << MW_PNG_CORPUS;
    for (const std::string& path : files) {
        PngImage ours;
        ExpectSameAsLibpng(path, ours);
        const std::string name = std::filesystem::path(path).filename().string();
        SCOPED_TRACE(name);
        EXPECT_EQ(ours.Transparency, ExpectedClass(name));
        if (ours.Transparency == PngTransparency::ColorKey && !ours.Pixels.empty()) {
            // Pixel (0, 0) of every key file has the transparent colour.
            EXPECT_EQ(ours.Pixels[0] >> 24, 0u);
            EXPECT_EQ(ours.KeyColor, ours.Pixels[0] | 0xFF000000u);
        }
    }
}

TEST(PngDecoderOracle, SkinAndWallpaperPicturesMatchLibpng)
{
    std::vector<std::string> files = PngFilesIn(std::string(MW_SOURCE_DIR) + "/resources/skin");
    for (const std::string& f : PngFilesIn(std::string(MW_SOURCE_DIR) + "/resources/wallpapers"))
        files.push_back(f);
    if (files.empty())
        GTEST_SKIP() << "no pictures under resources/ yet";
    for (const std::string& path : files) {
        PngImage ours;
        ExpectSameAsLibpng(path, ours);
    }
}

// Files as libpng's encoder writes them, with its own filter choices, at sizes where rows
// span many inflate blocks: every colour type and bit depth, interlaced and not.
TEST(PngDecoderOracle, EncoderWrittenSetMatchesLibpng)
{
    const std::vector<std::string> files = PngFilesIn(MW_PNG_BENCH_SET);
    ASSERT_EQ(files.size(), 60u) << "benchmark set missing in " << MW_PNG_BENCH_SET;
    for (const std::string& path : files) {
        PngImage ours;
        ExpectSameAsLibpng(path, ours);
    }
}
