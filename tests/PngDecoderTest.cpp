#include "framework/PngDecoder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// A small independent encoder, so every case is built from samples we know.

void PutBig32(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

Bytes Chunk(const std::string& type, const Bytes& data) {
    Bytes out;
    PutBig32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, out.data() + 4, static_cast<uInt>(out.size() - 4));
    PutBig32(out, static_cast<std::uint32_t>(crc));
    return out;
}

Bytes Ihdr(std::uint32_t width, std::uint32_t height, int depth, int colourType, int interlace = 0,
           int compression = 0, int filter = 0) {
    Bytes data;
    PutBig32(data, width);
    PutBig32(data, height);
    for (int b : {depth, colourType, compression, filter, interlace})
        data.push_back(static_cast<std::uint8_t>(b));
    return Chunk("IHDR", data);
}

Bytes Compress(const Bytes& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes out(size);
    EXPECT_EQ(compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9), Z_OK);
    out.resize(size);
    return out;
}

Bytes Png(std::initializer_list<Bytes> chunks) {
    Bytes out{137, 80, 78, 71, 13, 10, 26, 10};
    for (const Bytes& c : chunks)
        out.insert(out.end(), c.begin(), c.end());
    return out;
}

int ChannelsOf(int colourType) {
    switch (colourType) {
    case 2:
        return 3;
    case 4:
        return 2;
    case 6:
        return 4;
    default:
        return 1;
    }
}

// An image as raw samples, row by row, channel by channel.
struct Image {
    std::uint32_t Width, Height;
    int Depth, ColourType;
    std::vector<std::uint32_t> Samples;

    std::uint32_t At(std::uint32_t x, std::uint32_t y, int c) const {
        return Samples[(std::size_t{y} * Width + x) * ChannelsOf(ColourType) + c];
    }
};

Image RandomImage(std::uint32_t width, std::uint32_t height, int depth, int colourType, std::uint32_t seed,
                  std::uint32_t sampleLimit = 0) {
    std::mt19937 rng(seed);
    const std::uint32_t limit = sampleLimit ? sampleLimit : (1u << depth);
    Image img{width, height, depth, colourType, {}};
    img.Samples.resize(std::size_t{width} * height * ChannelsOf(colourType));
    for (auto& s : img.Samples)
        s = rng() % limit;
    return img;
}

Bytes PackRow(const Image& img, std::uint32_t y, const std::vector<std::uint32_t>& xs) {
    Bytes row;
    int bitsUsed = 0;
    for (std::uint32_t x : xs)
        for (int c = 0; c < ChannelsOf(img.ColourType); ++c) {
            const std::uint32_t v = img.At(x, y, c);
            if (img.Depth == 16) {
                row.push_back(static_cast<std::uint8_t>(v >> 8));
                row.push_back(static_cast<std::uint8_t>(v));
            } else if (img.Depth == 8) {
                row.push_back(static_cast<std::uint8_t>(v));
            } else {
                if (bitsUsed == 0) row.push_back(0);
                row.back() = static_cast<std::uint8_t>(row.back() | (v << (8 - img.Depth - bitsUsed)));
                bitsUsed = (bitsUsed + img.Depth) % 8;
            }
        }
    return row;
}

int PaethPredictor(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

Bytes FilterRow(const Bytes& row, const Bytes& prior, int filter, std::size_t bpp) {
    Bytes out{static_cast<std::uint8_t>(filter)};
    for (std::size_t i = 0; i < row.size(); ++i) {
        const int a = i >= bpp ? row[i - bpp] : 0, b = prior[i], c = i >= bpp ? prior[i - bpp] : 0;
        const int predicted = std::array<int, 5>{0, a, b, (a + b) / 2, PaethPredictor(a, b, c)}[filter];
        out.push_back(static_cast<std::uint8_t>(row[i] - predicted));
    }
    return out;
}

// Filter of each row: cycles through all five unless told otherwise.
std::function<int(std::uint32_t)> AllFilters = [](std::uint32_t y) { return static_cast<int>(y % 5); };

Bytes FilteredData(const Image& img, bool interlaced,
                   const std::function<int(std::uint32_t)>& filterOf = AllFilters) {
    struct Pass {
        std::uint32_t X0, Y0, Dx, Dy;
    };
    const std::vector<Pass> passes =
        interlaced ? std::vector<Pass>{{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                       {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}
                   : std::vector<Pass>{{0, 0, 1, 1}};
    const std::size_t bpp = std::max(1, ChannelsOf(img.ColourType) * img.Depth / 8);
    Bytes out;
    std::uint32_t rowNumber = 0;
    for (const Pass& p : passes) {
        std::vector<std::uint32_t> xs;
        for (std::uint32_t x = p.X0; x < img.Width; x += p.Dx)
            xs.push_back(x);
        if (xs.empty()) continue;
        Bytes prior;
        for (std::uint32_t y = p.Y0; y < img.Height; y += p.Dy) {
            const Bytes row = PackRow(img, y, xs);
            if (prior.empty()) prior.assign(row.size(), 0);
            const Bytes filtered = FilterRow(row, prior, filterOf(rowNumber++), bpp);
            out.insert(out.end(), filtered.begin(), filtered.end());
            prior = row;
        }
    }
    return out;
}

Bytes Encode(const Image& img, bool interlaced = false, const Bytes& extraBeforeData = {}) {
    Bytes out = Png({Ihdr(img.Width, img.Height, img.Depth, img.ColourType, interlaced ? 1 : 0)});
    out.insert(out.end(), extraBeforeData.begin(), extraBeforeData.end());
    const Bytes idat = Chunk("IDAT", Compress(FilteredData(img, interlaced)));
    const Bytes iend = Chunk("IEND", {});
    out.insert(out.end(), idat.begin(), idat.end());
    out.insert(out.end(), iend.begin(), iend.end());
    return out;
}

PngPicture Decode(const Bytes& file) {
    return DecodePng(std::span<const std::uint8_t>(file.data(), file.size()));
}

std::uint32_t Argb(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

std::uint32_t Premultiply(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    auto scale = [a](std::uint32_t c) { return static_cast<std::uint32_t>(c * a / 255.0 + 0.5); };
    return Argb(a, scale(r), scale(g), scale(b));
}

std::uint32_t Scale(std::uint32_t v, int depth) {
    return static_cast<std::uint32_t>(v * 255.0 / ((1u << depth) - 1) + (depth == 16 ? 0.5 : 0.0));
}

// What a picture of the given image must hold, pixel by pixel.
std::vector<std::uint32_t> Expected(const Image& img, const std::vector<std::uint32_t>& palette = {}) {
    std::vector<std::uint32_t> out;
    for (std::uint32_t y = 0; y < img.Height; ++y)
        for (std::uint32_t x = 0; x < img.Width; ++x) {
            auto s = [&](int c) { return Scale(img.At(x, y, c), img.Depth); };
            switch (img.ColourType) {
            case 0:
                out.push_back(Argb(255, s(0), s(0), s(0)));
                break;
            case 2:
                out.push_back(Argb(255, s(0), s(1), s(2)));
                break;
            case 3: {
                const std::uint32_t c = palette[img.At(x, y, 0)];
                out.push_back(Premultiply(c >> 24, (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
                break;
            }
            case 4:
                out.push_back(Premultiply(s(1), s(0), s(0), s(0)));
                break;
            default:
                out.push_back(Premultiply(s(3), s(0), s(1), s(2)));
            }
        }
    return out;
}

void ExpectPicture(const PngPicture& pic, const Image& img, const std::vector<std::uint32_t>& expected) {
    ASSERT_FALSE(pic.Empty());
    EXPECT_EQ(pic.Width, static_cast<int>(img.Width));
    EXPECT_EQ(pic.Height, static_cast<int>(img.Height));
    ASSERT_EQ(pic.Pixels.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(pic.Pixels[i], expected[i]) << "pixel " << i % img.Width << "," << i / img.Width;
}

Bytes PaletteChunk(const std::vector<std::uint32_t>& argb) {
    Bytes data;
    for (std::uint32_t c : argb)
        for (int shift : {16, 8, 0})
            data.push_back(static_cast<std::uint8_t>(c >> shift));
    return Chunk("PLTE", data);
}

Bytes TransparencyChunk(const std::vector<std::uint32_t>& argb) {
    Bytes data;
    for (std::uint32_t c : argb)
        data.push_back(static_cast<std::uint8_t>(c >> 24));
    return Chunk("tRNS", data);
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A valid 8-bit RGBA file used as the base of the damage tests.
Image SmallRgba() {
    return RandomImage(13, 7, 8, 6, 42);
}

} // namespace

TEST(PngDecoderTest, DecodesEveryColourTypeAndDepthWithEveryFilter) {
    struct Case {
        int ColourType, Depth;
    };
    const std::vector<Case> cases{{0, 1},  {0, 2}, {0, 4},  {0, 8}, {0, 16}, {2, 8},
                                  {2, 16}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
    std::uint32_t seed = 1;
    for (const Case& c : cases)
        for (std::uint32_t width : {1u, 7u, 13u, 33u}) {
            SCOPED_TRACE("type " + std::to_string(c.ColourType) + " depth " + std::to_string(c.Depth) +
                         " width " + std::to_string(width));
            const Image img = RandomImage(width, 11, c.Depth, c.ColourType, seed++);
            ExpectPicture(Decode(Encode(img)), img, Expected(img));
        }
}

TEST(PngDecoderTest, PremultipliesAndReportsAlpha) {
    Image translucent{3, 1, 8, 6, {200, 100, 50, 128, 255, 255, 255, 0, 10, 20, 30, 255}};
    const PngPicture pic = Decode(Encode(translucent));
    ASSERT_FALSE(pic.Empty());
    EXPECT_EQ(pic.Pixels, (std::vector<std::uint32_t>{0x80643219u, 0x00000000u, 0xFF0A141Eu}));
    EXPECT_TRUE(pic.HasAlpha);

    Image opaque{2, 1, 8, 6, {1, 2, 3, 255, 4, 5, 6, 255}};
    const PngPicture solid = Decode(Encode(opaque));
    ASSERT_FALSE(solid.Empty());
    EXPECT_FALSE(solid.HasAlpha);
    EXPECT_EQ(solid.Pixels[1], 0xFF040506u);
}

TEST(PngDecoderTest, PaletteWithPartialTransparencyAtEveryDepth) {
    for (int depth : {1, 2, 4, 8}) {
        SCOPED_TRACE("depth " + std::to_string(depth));
        const std::uint32_t entries = std::min(1u << depth, 20u);
        std::vector<std::uint32_t> palette;
        for (std::uint32_t i = 0; i < entries; ++i)
            palette.push_back(Argb(255, i * 12, 255 - i * 7, i * 3 + 1));
        palette[0] = Argb(0, 10, 20, 30);
        const std::size_t alphaCount = std::min<std::size_t>(2, palette.size());
        if (alphaCount > 1) palette[1] = Argb(100, 200, 150, 50);
        const Image img = RandomImage(9, 5, depth, 3, 100u + depth, entries);
        const Bytes file =
            Encode(img, false,
                   Concat({PaletteChunk(palette), TransparencyChunk(std::vector<std::uint32_t>(
                                                      palette.begin(), palette.begin() + alphaCount))}));
        const PngPicture pic = Decode(file);
        ExpectPicture(pic, img, Expected(img, palette));
        EXPECT_TRUE(pic.HasAlpha);
    }
}

TEST(PngDecoderTest, TransparentColourKeyComparesFullPrecision) {
    // Colours that agree with the key in their high bytes, or in all but one
    // sample: only the exact key is clear.
    Image rgb{
        4,
        1,
        16,
        2,
        {0x1200, 0x3400, 0x5600, 0x1201, 0x3400, 0x5600, 0x1200, 0x3401, 0x5600, 0x1200, 0x3400, 0x5601}};
    Bytes key;
    for (std::uint32_t v : {0x1200u, 0x3400u, 0x5600u}) {
        key.push_back(static_cast<std::uint8_t>(v >> 8));
        key.push_back(static_cast<std::uint8_t>(v));
    }
    const PngPicture pic = Decode(Encode(rgb, false, Chunk("tRNS", key)));
    ASSERT_FALSE(pic.Empty());
    EXPECT_EQ(pic.Pixels, (std::vector<std::uint32_t>{0x00000000u, 0xFF123456u, 0xFF123456u, 0xFF123456u}));
    EXPECT_TRUE(pic.HasAlpha);

    Image grey{3, 1, 4, 0, {5, 6, 5}};
    const PngPicture greyPic = Decode(Encode(grey, false, Chunk("tRNS", {0, 5})));
    ASSERT_FALSE(greyPic.Empty());
    EXPECT_EQ(greyPic.Pixels, (std::vector<std::uint32_t>{0u, 0xFF666666u, 0u}));
}

TEST(PngDecoderTest, InterlacedMatchesPlainIncludingEmptyPasses) {
    for (auto [w, h] : std::vector<std::pair<std::uint32_t, std::uint32_t>>{
             {1, 1}, {2, 1}, {1, 5}, {3, 5}, {9, 9}, {17, 12}}) {
        for (auto [depth, type] : std::vector<std::pair<int, int>>{{8, 6}, {1, 0}, {16, 2}, {4, 0}}) {
            SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " type " + std::to_string(type));
            const Image img = RandomImage(w, h, depth, type, w * 100 + h + static_cast<std::uint32_t>(depth));
            ExpectPicture(Decode(Encode(img, true)), img, Expected(img));
        }
    }
}

TEST(PngDecoderTest, ImageDataSplitAcrossChunksAndSkippedAncillaryChunks) {
    const Image img = SmallRgba();
    const Bytes compressed = Compress(FilteredData(img, false));
    const std::size_t third = compressed.size() / 3;
    const Bytes file =
        Png({Ihdr(img.Width, img.Height, 8, 6), Chunk("tEXt", {'a', 0, 'b'}), Chunk("IDAT", {}),
             Chunk("IDAT", Bytes(compressed.begin(), compressed.begin() + third)),
             Chunk("IDAT", Bytes(compressed.begin() + third, compressed.begin() + 2 * third)),
             Chunk("IDAT", {}), Chunk("IDAT", Bytes(compressed.begin() + 2 * third, compressed.end())),
             Chunk("prVt", {1, 2, 3}), Chunk("IEND", {}), Bytes{0xDE, 0xAD}});
    ExpectPicture(Decode(file), img, Expected(img));
}

TEST(PngDecoderTest, SuggestedPaletteOfTrueColourImageIsIgnored) {
    const Image img = RandomImage(5, 4, 8, 2, 7);
    ExpectPicture(Decode(Encode(img, false, PaletteChunk({Argb(255, 1, 2, 3)}))), img, Expected(img));
}

TEST(PngDecoderTest, TruncationAtAnyLengthGivesEmptyPicture) {
    const Bytes file = Encode(SmallRgba());
    ASSERT_FALSE(Decode(file).Empty());
    for (std::size_t length = 0; length < file.size(); ++length) {
        const PngPicture pic =
            Decode(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length)));
        EXPECT_TRUE(pic.Empty()) << "cut at " << length;
        EXPECT_EQ(pic.Width, 0);
        EXPECT_EQ(pic.Height, 0);
    }
}

TEST(PngDecoderTest, DamagedCrcOrSignatureGivesEmptyPicture) {
    const Bytes good = Encode(SmallRgba(), false, Chunk("tEXt", {'k', 0, 'v'}));
    // Flip one bit in every byte after the signature: each lands in a length,
    // type, body or CRC, and the CRC catches every one.
    for (std::size_t i = 8; i < good.size(); ++i) {
        Bytes bad = good;
        bad[i] ^= 0x10;
        EXPECT_TRUE(Decode(bad).Empty()) << "byte " << i;
    }
    for (std::size_t i = 0; i < 8; ++i) {
        Bytes bad = good;
        bad[i] ^= 0x01;
        EXPECT_TRUE(Decode(bad).Empty()) << "signature byte " << i;
    }
    EXPECT_TRUE(Decode({}).Empty());
}

TEST(PngDecoderTest, RefusesHugeZeroOrOversizedDimensions) {
    const Bytes data = Chunk("IDAT", Compress(Bytes(2, 0)));
    const Bytes iend = Chunk("IEND", {});
    const std::uint32_t sizes[][2] = {
        {0, 1},     {1, 0},     {0x7FFFFFFFu, 1}, {1, 0x80000000u}, {0xFFFFFFFFu, 0xFFFFFFFFu},
        {16385, 1}, {1, 16385}, {4097, 4096},     {16384, 16384},
    };
    for (const auto& size : sizes)
        EXPECT_TRUE(Decode(Png({Ihdr(size[0], size[1], 8, 6), data, iend})).Empty())
            << size[0] << "x" << size[1];

    // Within the limits, but 64 MiB of pixels cannot come out of a few compressed bytes.
    EXPECT_TRUE(Decode(Png({Ihdr(4096, 4096, 8, 6), Chunk("IDAT", Compress(Bytes(100, 0))), iend})).Empty());
}

TEST(PngDecoderTest, LargestAcceptedSizeDecodes) {
    // A wide single row and a tall single column at the size limit.
    const Image wide{PngMaxDimension, 1, 1, 0, std::vector<std::uint32_t>(PngMaxDimension, 1)};
    const PngPicture widePic = Decode(Encode(wide));
    ASSERT_EQ(widePic.Width, PngMaxDimension);
    EXPECT_EQ(widePic.Pixels.back(), 0xFFFFFFFFu);
    const Image tall{1, PngMaxDimension, 8, 0, std::vector<std::uint32_t>(PngMaxDimension, 9)};
    EXPECT_EQ(Decode(Encode(tall)).Height, PngMaxDimension);
}

TEST(PngDecoderTest, MissingOrZeroLengthImageDataGivesEmptyPicture) {
    EXPECT_TRUE(Decode(Png({Ihdr(1, 1, 8, 0), Chunk("IEND", {})})).Empty());
    EXPECT_TRUE(Decode(Png({Ihdr(1, 1, 8, 0), Chunk("IDAT", {}), Chunk("IEND", {})})).Empty());
    EXPECT_TRUE(
        Decode(Png({Ihdr(1, 1, 8, 0), Chunk("IDAT", {}), Chunk("IDAT", {}), Chunk("IEND", {})})).Empty());
}

TEST(PngDecoderTest, InflatedSizeMustMatchExactly) {
    const Image img = SmallRgba();
    const Bytes filtered = FilteredData(img, false);
    auto withData = [&](const Bytes& compressed) {
        return Png({Ihdr(img.Width, img.Height, 8, 6), Chunk("IDAT", compressed), Chunk("IEND", {})});
    };
    ASSERT_FALSE(Decode(withData(Compress(filtered))).Empty());

    EXPECT_TRUE(Decode(withData(Compress(Bytes(filtered.begin(), filtered.end() - 1)))).Empty())
        << "one short";
    Bytes longer = filtered;
    longer.push_back(0);
    EXPECT_TRUE(Decode(withData(Compress(longer))).Empty()) << "one long";
    Bytes muchLonger = filtered;
    muchLonger.resize(filtered.size() * 3, 0);
    EXPECT_TRUE(Decode(withData(Compress(muchLonger))).Empty()) << "far too long";

    Bytes trailing = Compress(filtered);
    trailing.push_back(0);
    EXPECT_TRUE(Decode(withData(trailing)).Empty()) << "bytes after the stream";

    Bytes badChecksum = Compress(filtered);
    badChecksum.back() ^= 0x01;
    EXPECT_TRUE(Decode(withData(badChecksum)).Empty()) << "checksum";

    Bytes cutStream = Compress(filtered);
    cutStream.resize(cutStream.size() - 4);
    EXPECT_TRUE(Decode(withData(cutStream)).Empty()) << "stream without its checksum";

    // A second stream in a later chunk is not part of the image.
    const Bytes twoStreams = Png({Ihdr(img.Width, img.Height, 8, 6), Chunk("IDAT", Compress(filtered)),
                                  Chunk("IDAT", Compress(Bytes(1, 0))), Chunk("IEND", {})});
    EXPECT_TRUE(Decode(twoStreams).Empty()) << "second stream";
}

TEST(PngDecoderTest, UnknownFilterTypeGivesEmptyPicture) {
    for (std::uint8_t filter : {5, 6, 255}) {
        const Bytes raw{0, 1, 2, filter, 3, 4};
        EXPECT_TRUE(Decode(Png({Ihdr(2, 2, 8, 0), Chunk("IDAT", Compress(raw)), Chunk("IEND", {})})).Empty());
    }
    EXPECT_FALSE(
        Decode(Png({Ihdr(2, 2, 8, 0), Chunk("IDAT", Compress({0, 1, 2, 4, 3, 4})), Chunk("IEND", {})}))
            .Empty());
}

TEST(PngDecoderTest, PaletteRulesAreEnforced) {
    const std::vector<std::uint32_t> four{Argb(255, 1, 1, 1), Argb(255, 2, 2, 2), Argb(255, 3, 3, 3),
                                          Argb(255, 4, 4, 4)};
    Image img{4, 1, 8, 3, {0, 1, 2, 3}};
    ASSERT_FALSE(Decode(Encode(img, false, PaletteChunk(four))).Empty());

    Image outside{4, 1, 8, 3, {0, 1, 2, 4}};
    EXPECT_TRUE(Decode(Encode(outside, false, PaletteChunk(four))).Empty()) << "index outside the palette";
    EXPECT_TRUE(Decode(Encode(img)).Empty()) << "no palette";
    EXPECT_TRUE(Decode(Encode(img, false, Chunk("PLTE", {}))).Empty()) << "empty palette";
    EXPECT_TRUE(Decode(Encode(img, false, Chunk("PLTE", {1, 2, 3, 4}))).Empty())
        << "length not a multiple of 3";
    EXPECT_TRUE(Decode(Encode(img, false, PaletteChunk(std::vector<std::uint32_t>(257, 0)))).Empty())
        << "too many entries";
    EXPECT_TRUE(Decode(Encode(img, false, Concat({PaletteChunk(four), PaletteChunk(four)}))).Empty())
        << "two palettes";

    Image twoBit{4, 1, 2, 3, {0, 1, 2, 3}};
    EXPECT_TRUE(Decode(Encode(twoBit, false, PaletteChunk(std::vector<std::uint32_t>(5, 0)))).Empty())
        << "more entries than the depth can index";
    EXPECT_TRUE(
        Decode(Encode(img, false,
                      Concat({PaletteChunk(four), TransparencyChunk(std::vector<std::uint32_t>(5, 0))})))
            .Empty())
        << "more alphas than entries";
    EXPECT_TRUE(Decode(Encode(img, false, Concat({TransparencyChunk({0}), PaletteChunk(four)}))).Empty())
        << "transparency before the palette";

    Image grey{1, 1, 8, 0, {7}};
    EXPECT_TRUE(Decode(Encode(grey, false, PaletteChunk(four))).Empty()) << "palette in a grey image";

    // A palette after the image data comes too late.
    const Image late{1, 1, 8, 3, {0}};
    EXPECT_TRUE(Decode(Png({Ihdr(1, 1, 8, 3), Chunk("IDAT", Compress(FilteredData(late, false))),
                            PaletteChunk(four), Chunk("IEND", {})}))
                    .Empty());
}

TEST(PngDecoderTest, TransparencyChunkMustFitTheColourType) {
    const Image rgba{1, 1, 8, 6, {1, 2, 3, 4}};
    EXPECT_TRUE(Decode(Encode(rgba, false, Chunk("tRNS", {0, 1, 0, 2, 0, 3}))).Empty());
    const Image grey{1, 1, 8, 0, {1}};
    EXPECT_TRUE(Decode(Encode(grey, false, Chunk("tRNS", {0, 1, 0}))).Empty());
    const Image rgb{1, 1, 8, 2, {1, 2, 3}};
    EXPECT_TRUE(Decode(Encode(rgb, false, Chunk("tRNS", {0, 1}))).Empty());
    EXPECT_TRUE(Decode(Encode(rgb, false,
                              Concat({Chunk("tRNS", {0, 1, 0, 2, 0, 3}), Chunk("tRNS", {0, 1, 0, 2, 0, 3})})))
                    .Empty());
}

TEST(PngDecoderTest, HeaderRulesAreEnforced) {
    struct Combination {
        int Depth, ColourType;
    };
    const std::vector<Combination> invalid{{3, 0}, {0, 0}, {32, 0}, {4, 2}, {16, 3}, {1, 4},
                                           {2, 6}, {8, 1}, {8, 5},  {8, 7}, {255, 6}};
    const Bytes data = Chunk("IDAT", Compress(Bytes(9, 0)));
    const Bytes iend = Chunk("IEND", {});
    for (const Combination& c : invalid)
        EXPECT_TRUE(Decode(Png({Ihdr(1, 1, c.Depth, c.ColourType), data, iend})).Empty())
            << "depth " << c.Depth << " type " << c.ColourType;

    const Image img{1, 1, 8, 0, {1}};
    const Bytes idat = Chunk("IDAT", Compress(FilteredData(img, false)));
    ASSERT_FALSE(Decode(Png({Ihdr(1, 1, 8, 0), idat, iend})).Empty());
    EXPECT_TRUE(Decode(Png({Ihdr(1, 1, 8, 0, 2), idat, iend})).Empty()) << "interlace method";
    EXPECT_TRUE(Decode(Png({Ihdr(1, 1, 8, 0, 0, 1), idat, iend})).Empty()) << "compression method";
    EXPECT_TRUE(Decode(Png({Ihdr(1, 1, 8, 0, 0, 0, 1), idat, iend})).Empty()) << "filter method";
    EXPECT_TRUE(Decode(Png({Chunk("tEXt", {'a', 0}), Ihdr(1, 1, 8, 0), idat, iend})).Empty())
        << "header not first";
    EXPECT_TRUE(Decode(Png({Ihdr(1, 1, 8, 0), Ihdr(1, 1, 8, 0), idat, iend})).Empty()) << "two headers";
    EXPECT_TRUE(Decode(Png({Chunk("IHDR", Bytes(14, 1)), idat, iend})).Empty()) << "header length";
}

TEST(PngDecoderTest, ChunkStructureRulesAreEnforced) {
    const Image img = SmallRgba();
    const Bytes compressed = Compress(FilteredData(img, false));
    const Bytes head = Ihdr(img.Width, img.Height, 8, 6);
    const Bytes iend = Chunk("IEND", {});
    const Bytes firstHalf(compressed.begin(), compressed.begin() + 10),
        secondHalf(compressed.begin() + 10, compressed.end());
    EXPECT_FALSE(Decode(Png({head, Chunk("IDAT", firstHalf), Chunk("IDAT", secondHalf), iend})).Empty());
    EXPECT_TRUE(Decode(Png({head, Chunk("IDAT", firstHalf), Chunk("tEXt", {'a', 0}),
                            Chunk("IDAT", secondHalf), iend}))
                    .Empty())
        << "image data interrupted";
    EXPECT_TRUE(Decode(Png({head, Chunk("QUUX", {}), Chunk("IDAT", compressed), iend})).Empty())
        << "unknown critical chunk";
    EXPECT_TRUE(Decode(Png({head, Chunk("pr1t", {}), Chunk("IDAT", compressed), iend})).Empty())
        << "chunk type with a digit";
    EXPECT_TRUE(Decode(Png({head, Chunk("IDAT", compressed), Chunk("IEND", {0})})).Empty())
        << "IEND with data";
    EXPECT_TRUE(Decode(Png({head, Chunk("IDAT", compressed)})).Empty()) << "no IEND";

    // A length beyond the PNG limit and far beyond the file.
    Bytes huge = Png({head});
    PutBig32(huge, 0x80000000u);
    huge.insert(huge.end(), {'t', 'E', 'X', 't'});
    huge.resize(huge.size() + 64, 0);
    EXPECT_TRUE(Decode(huge).Empty());
}

TEST(PngDecoderTest, RandomDamageBehindValidCrcsNeverCrashes) {
    // Corrupt chunk bodies and then repair their CRCs, so the damage reaches
    // the header, palette, inflate and filter stages instead of stopping at
    // the checksum. Whatever comes out must be empty or consistent.
    const Image palette = RandomImage(23, 9, 4, 3, 5, 12);
    std::vector<std::uint32_t> colours;
    for (std::uint32_t i = 0; i < 12; ++i)
        colours.push_back(Argb(255, i * 20, i, 255 - i));
    const std::vector<Bytes> bases{
        Encode(SmallRgba()), Encode(RandomImage(17, 11, 16, 2, 9), true),
        Encode(palette, false, Concat({PaletteChunk(colours), TransparencyChunk({0})}))};
    std::mt19937 rng(2024);
    int decoded = 0;
    for (const Bytes& base : bases)
        for (int round = 0; round < 700; ++round) {
            Bytes file = base;
            const int flips = 1 + static_cast<int>(rng() % 4);
            for (int f = 0; f < flips; ++f)
                file[8 + rng() % (file.size() - 8)] ^= static_cast<std::uint8_t>(1 + rng() % 255);
            // Repair every CRC that the chunk structure still lets us find.
            for (std::size_t pos = 8; file.size() - pos >= 12;) {
                const std::uint32_t length = (std::uint32_t{file[pos]} << 24) | (file[pos + 1] << 16) |
                                             (file[pos + 2] << 8) | file[pos + 3];
                if (length > file.size() - pos - 12) break;
                const uLong crc = crc32(0L, file.data() + pos + 4, length + 4);
                for (int b = 0; b < 4; ++b)
                    file[pos + 8 + length + b] = static_cast<std::uint8_t>(crc >> (24 - 8 * b));
                pos += 12 + length;
            }
            const PngPicture pic = Decode(file);
            if (pic.Empty()) {
                EXPECT_EQ(pic.Width, 0);
                continue;
            }
            ++decoded;
            ASSERT_EQ(pic.Pixels.size(), static_cast<std::size_t>(pic.Width) * pic.Height);
            for (std::uint32_t p : pic.Pixels) {
                const std::uint32_t a = p >> 24;
                ASSERT_LE((p >> 16) & 0xFF, a);
                ASSERT_LE((p >> 8) & 0xFF, a);
                ASSERT_LE(p & 0xFF, a);
            }
        }
    // Damage that lands in a CRC or a palette colour still decodes: the run
    // only shows something if some files got past every check.
    EXPECT_GT(decoded, 0);
}

TEST(PngDecoderTest, DecodesOurArtwork) {
    const std::filesystem::path resources =
        std::filesystem::path(__FILE__).parent_path().parent_path() / "resources";
    int count = 0;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(resources, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->path().extension() != ".png") continue;
        std::ifstream in(it->path(), std::ios::binary);
        const Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const PngPicture pic = Decode(file);
        EXPECT_FALSE(pic.Empty()) << it->path().string();
        EXPECT_EQ(pic.Pixels.size(), static_cast<std::size_t>(pic.Width) * pic.Height);
        ++count;
    }
    if (count == 0) GTEST_SKIP() << "no artwork under " << resources.string();
}
