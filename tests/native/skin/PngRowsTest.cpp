// The decoder's wide row operations against their plain definitions: the five filters at
// every pixel size and many row lengths (so that every whole-step count and every tail
// occurs), and the stream checksum against zlib's.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

#include <zlib.h>

#include "skin/Adler32.h"
#include "skin/Crc32.h"
#include "skin/PngFilters.h"

namespace {

int PaethOf(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return a;
    return pb <= pc ? b : c;
}

// The filters exactly as the PNG standard states them, one byte at a time.
std::vector<uint8_t> Reference(uint8_t type, std::vector<uint8_t> row, const std::vector<uint8_t>& prev,
                               unsigned bpp)
{
    for (size_t i = 0; i < row.size(); ++i) {
        const int a = i >= bpp ? row[i - bpp] : 0;
        const int b = prev[i];
        const int c = i >= bpp ? prev[i - bpp] : 0;
        const int predicted = type == 1 ? a : type == 2 ? b : type == 3 ? (a + b) / 2 : type == 4 ? PaethOf(a, b, c) : 0;
        row[i] = static_cast<uint8_t>(row[i] + predicted);
    }
    return row;
}

}  // namespace

TEST(PngRows, EveryFilterAtEveryPixelSizeMatchesItsDefinition)
{
    std::mt19937 rng(7);
    for (unsigned bpp : {1u, 2u, 3u, 4u, 6u, 8u}) {
        for (size_t pixels : {1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 31, 33, 64, 250, 1001}) {
            const size_t size = pixels * bpp;
            for (uint8_t type = 0; type <= 4; ++type) {
                SCOPED_TRACE(testing::Message() << "bpp " << bpp << ", " << size << " bytes, type " << int(type));
                // Bytes past the row are readable slack: they must come out as they went in.
                std::vector<uint8_t> row(size + kPngRowSlack), prev(size + kPngRowSlack);
                for (auto& v : row)
                    v = static_cast<uint8_t>(rng());
                for (auto& v : prev)
                    v = static_cast<uint8_t>(rng());
                if (type == 3 && pixels == 250) {
                    // Extremes of the average: all 255 above and to the left, then all 0.
                    std::fill(prev.begin(), prev.begin() + size / 2, 255);
                    std::fill(row.begin(), row.begin() + size / 2, 255);
                    std::fill(prev.begin() + size / 2, prev.begin() + size, 0);
                }
                const std::vector<uint8_t> expected =
                    Reference(type, std::vector<uint8_t>(row.begin(), row.begin() + size), prev, bpp);
                const std::vector<uint8_t> slack(row.begin() + size, row.end());
                ASSERT_TRUE(UnfilterPngRow(type, row.data(), prev.data(), size, bpp));
                EXPECT_EQ(std::vector<uint8_t>(row.begin(), row.begin() + size), expected);
                EXPECT_EQ(std::vector<uint8_t>(row.begin() + size, row.end()), slack);
            }
        }
    }
    std::vector<uint8_t> row(16 + kPngRowSlack, 9), prev(row.size(), 1);
    EXPECT_FALSE(UnfilterPngRow(5, row.data(), prev.data(), 16, 4));
    EXPECT_EQ(row, std::vector<uint8_t>(row.size(), 9));
}

TEST(PngRows, ChecksumsMatchZlibAtEveryStretchBoundary)
{
    std::mt19937 rng(11);
    std::vector<uint8_t> noise(70000), full(70000, 0xFF);
    for (auto& v : noise)
        v = static_cast<uint8_t>(rng());
    for (const std::vector<uint8_t>* data : {&noise, &full}) {
        for (size_t size : {0, 1, 15, 16, 17, 31, 5535, 5536, 5551, 5552, 5553, 5568, 11104, 70000}) {
            SCOPED_TRACE(size);
            const uint32_t zlib = static_cast<uint32_t>(adler32(adler32(0, nullptr, 0), data->data(), uInt(size)));
            EXPECT_EQ(Adler32(1, data->data(), size), zlib);
            // In two pieces, the first ending anywhere.
            const size_t cut = size / 3 + 1 > size ? size : size / 3 + 1;
            EXPECT_EQ(Adler32(Adler32(1, data->data(), cut), data->data() + cut, size - cut), zlib);
            const uint32_t crc = static_cast<uint32_t>(crc32(0, data->data(), uInt(size)));
            EXPECT_EQ(Crc32(0, data->data(), size), crc);
            EXPECT_EQ(Crc32(Crc32(0, data->data(), cut), data->data() + cut, size - cut), crc);
        }
    }
}
