#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/ByteSource.h"
#include "install/StreamInflater.h"

namespace {
using Bytes = std::vector<uint8_t>;

// Hands out at most `step` bytes per read, like a file read in odd pieces.
class PieceSource : public ByteSource {
public:
    PieceSource(const Bytes& data, size_t step) : data_(data), step_(step) {}
    size_t Read(void* buffer, size_t size) override
    {
        const size_t n = std::min({size, step_, data_.size() - pos_});
        std::copy_n(data_.data() + pos_, n, static_cast<uint8_t*>(buffer));
        pos_ += n;
        return n;
    }
    void SeekToStart() override { pos_ = 0; }
    size_t Position() const { return pos_; }

private:
    const Bytes& data_;
    size_t step_;
    size_t pos_ = 0;
};

class CollectSink : public ByteSink {
public:
    void Write(const void* data, size_t size) override
    {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + size);
        largestWrite = std::max(largestWrite, size);
    }
    Bytes bytes;
    size_t largestWrite = 0;
};

Bytes Deflate(const Bytes& in, int level)
{
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY), Z_OK);
    Bytes out(deflateBound(&z, static_cast<uLong>(in.size())));
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// Half random bytes, half long runs: both stored-like and well-compressing stretches.
Bytes Sample(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes b(size);
    for (size_t i = 0; i < size; ++i)
        b[i] = (i / 4096) % 2 ? static_cast<uint8_t>(random()) : static_cast<uint8_t>(i / 977);
    return b;
}

std::string InflateError(const Bytes& stream)
{
    PieceSource source(stream, 7);
    CollectSink sink;
    try {
        InflateStream(source, sink);
    } catch (const EZlibError& e) {
        return e.what();
    }
    return "no error";
}
}  // namespace

TEST(StreamInflater, MatchesZlibForSizesLevelsAndReadPieces)
{
    const size_t sizes[] = {0, 1, 65535, 65536, 65537, 3 * 65536 + 11, 1 << 20};
    const int levels[] = {0, 1, 6, 9};
    const size_t steps[] = {1, 4093, 1 << 20};
    for (size_t size : sizes)
        for (int level : levels)
            for (size_t step : steps) {
                if (step == 1 && size > 65537)
                    continue;  // byte-wise reads of large streams only slow the run down
                const Bytes original = Sample(size, static_cast<unsigned>(size + level));
                const Bytes stream = Deflate(original, level);
                PieceSource source(stream, step);
                CollectSink sink;
                EXPECT_EQ(InflateStream(source, sink), original.size());
                EXPECT_TRUE(sink.bytes == original)
                    << "size " << size << " level " << level << " step " << step;
                EXPECT_LE(sink.largestWrite, kInflateBlockSize);
            }
}

TEST(StreamInflater, EveryTruncationIsAnError)
{
    const Bytes stream = Deflate(Sample(2000, 9), 1);
    for (size_t cut = 0; cut < stream.size(); ++cut) {
        const Bytes shorter(stream.begin(), stream.begin() + static_cast<long>(cut));
        EXPECT_EQ(InflateError(shorter), "buffer error") << "cut at " << cut;
    }
}

TEST(StreamInflater, DamagedStreamsGiveZlibsTexts)
{
    const Bytes original = Sample(100000, 3);
    Bytes badSum = Deflate(original, 1);
    badSum.back() ^= 0x01;
    EXPECT_EQ(InflateError(badSum), "data error");

    Bytes badHeader = Deflate(original, 1);
    badHeader[1] ^= 0x01;  // header check no longer divisible by 31
    EXPECT_EQ(InflateError(badHeader), "data error");

    const Bytes gzipLike = {0x1f, 0x8b, 0x08, 0x00, 0, 0, 0, 0, 0, 3};
    EXPECT_EQ(InflateError(gzipLike), "data error");

    // Block type 3 does not exist.
    const Bytes badBlock = {0x78, 0x01, 0x07, 0x00};
    EXPECT_EQ(InflateError(badBlock), "data error");

    // A stream that asks for a preset dictionary.
    z_stream z{};
    ASSERT_EQ(deflateInit(&z, 6), Z_OK);
    const Bytef dict[] = "marlowind";
    ASSERT_EQ(deflateSetDictionary(&z, dict, sizeof dict), Z_OK);
    Bytes withDict(deflateBound(&z, static_cast<uLong>(original.size())));
    z.next_in = const_cast<Bytef*>(original.data());
    z.avail_in = static_cast<uInt>(original.size());
    z.next_out = withDict.data();
    z.avail_out = static_cast<uInt>(withDict.size());
    ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    withDict.resize(z.total_out);
    deflateEnd(&z);
    EXPECT_EQ(InflateError(withDict), "need dictionary");
}

TEST(StreamInflater, StopsAtTheEndOfTheStream)
{
    const Bytes original = Sample(5000, 11);
    Bytes stream = Deflate(original, 1);
    const size_t streamSize = stream.size();
    stream.insert(stream.end(), 100, 0xAB);
    PieceSource source(stream, 1);
    CollectSink sink;
    EXPECT_EQ(InflateStream(source, sink), original.size());
    EXPECT_TRUE(sink.bytes == original);
    EXPECT_EQ(source.Position(), streamSize);
}

TEST(StreamInflater, SinkErrorsPassThrough)
{
    struct FullDisk : ByteSink {
        size_t room = 100000;
        void Write(const void*, size_t size) override
        {
            if (size > room)
                throw Exception("Stream write error");
            room -= size;
        }
    } sink;
    const Bytes stream = Deflate(Sample(1 << 20, 4), 1);
    PieceSource source(stream, 65536);
    try {
        InflateStream(source, sink);
        FAIL() << "no error";
    } catch (const EZlibError&) {
        FAIL() << "sink error turned into a zlib error";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Stream write error");
    }
}

TEST(StreamInflater, ReadsWhatThePackerWrote)
{
    // The packer is run on this test's own source by the build.
    FILE* packed = std::fopen(MW_PACKED_SAMPLE, "rb");
    FILE* plain = std::fopen(MW_PLAIN_SAMPLE, "rb");
    ASSERT_TRUE(packed && plain);
    auto slurp = [](FILE* f) {
        Bytes b;
        int c;
        while ((c = std::fgetc(f)) != EOF)
            b.push_back(static_cast<uint8_t>(c));
        std::fclose(f);
        return b;
    };
    const Bytes stream = slurp(packed);
    const Bytes original = slurp(plain);
    ASSERT_GE(stream.size(), 2u);
    EXPECT_EQ(stream[0], 0x78);
    EXPECT_EQ(stream[1], 0x01);
    PieceSource source(stream, 333);
    CollectSink sink;
    InflateStream(source, sink);
    EXPECT_TRUE(sink.bytes == original);
}
