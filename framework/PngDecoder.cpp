#include "framework/PngDecoder.h"

#define ZLIB_CONST
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>
#include <optional>

namespace {

constexpr std::array<std::uint8_t, 8> Signature{137, 80, 78, 71, 13, 10, 26, 10};

constexpr std::uint32_t MaxChunkLength = 0x7FFFFFFFu;

// Deflate cannot expand its input more than about 1032 times; a file whose
// image data is too short for its claimed size is refused before any large
// allocation.
constexpr std::uint64_t MaxInflateRatio = 1032;
constexpr std::uint64_t InflateSlack = 64;

enum ColourType : std::uint8_t { Grey = 0, Rgb = 2, Palette = 3, GreyAlpha = 4, Rgba = 6 };

constexpr std::uint32_t Depths(std::initializer_list<int> depths) {
    std::uint32_t mask = 0;
    for (int d : depths)
        mask |= 1u << d;
    return mask;
}

struct ColourTypeRule {
    std::uint8_t Type;
    std::uint8_t Channels;
    std::uint32_t AllowedDepths; // bit n set: depth n allowed
};

constexpr std::array<ColourTypeRule, 5> ColourTypeRules{{
    {Grey, 1, Depths({1, 2, 4, 8, 16})},
    {Rgb, 3, Depths({8, 16})},
    {Palette, 1, Depths({1, 2, 4, 8})},
    {GreyAlpha, 2, Depths({8, 16})},
    {Rgba, 4, Depths({8, 16})},
}};

struct InterlacePass {
    std::uint32_t X0, Y0, Dx, Dy;
};

constexpr std::array<InterlacePass, 1> SinglePass{{{0, 0, 1, 1}}};

constexpr std::array<InterlacePass, 7> Adam7Passes{{
    {0, 0, 8, 8},
    {4, 0, 8, 8},
    {0, 4, 4, 8},
    {2, 0, 4, 4},
    {0, 2, 2, 4},
    {1, 0, 2, 2},
    {0, 1, 1, 2},
}};

struct Header {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::uint32_t Depth = 0;
    std::uint8_t Type = 0;
    std::uint32_t Channels = 0;
    bool Interlaced = false;
};

// Everything the chunks say, with the image data still compressed.
struct ParsedPng {
    Header Head;
    std::vector<std::uint32_t> PaletteColours; // straight 0xAARRGGBB
    std::optional<std::array<std::uint16_t, 3>> TransparentKey;
    std::vector<std::span<const std::uint8_t>> ImageData;
    std::uint64_t ImageDataSize = 0;
};

std::uint32_t ReadBig32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

std::uint16_t ReadBig16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

bool IsChunk(const std::uint8_t* type, const char (&name)[5]) {
    return std::memcmp(type, name, 4) == 0;
}

bool IsLetter(std::uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A chunk whose type starts with a capital letter may not be skipped.
bool IsCritical(const std::uint8_t* type) {
    return (type[0] & 0x20) == 0;
}

std::optional<Header> ParseHeader(std::span<const std::uint8_t> data) {
    if (data.size() != 13) return std::nullopt;
    Header h;
    h.Width = ReadBig32(&data[0]);
    h.Height = ReadBig32(&data[4]);
    h.Depth = data[8];
    h.Type = data[9];
    const std::uint8_t compression = data[10], filter = data[11], interlace = data[12];
    if (h.Width == 0 || h.Height == 0 || h.Width > PngMaxDimension || h.Height > PngMaxDimension ||
        std::uint64_t{h.Width} * h.Height > PngMaxPixels)
        return std::nullopt;
    const auto rule = std::find_if(ColourTypeRules.begin(), ColourTypeRules.end(),
                                   [&](const ColourTypeRule& r) { return r.Type == h.Type; });
    if (rule == ColourTypeRules.end() || h.Depth > 16 || (rule->AllowedDepths & (1u << h.Depth)) == 0)
        return std::nullopt;
    if (compression != 0 || filter != 0 || interlace > 1) return std::nullopt;
    h.Channels = rule->Channels;
    h.Interlaced = interlace == 1;
    return h;
}

bool ParsePalette(std::span<const std::uint8_t> data, ParsedPng& png) {
    const Header& h = png.Head;
    if (h.Type == Grey || h.Type == GreyAlpha) return false;
    if (data.empty() || data.size() % 3 != 0 || data.size() / 3 > 256) return false;
    if (h.Type == Palette && data.size() / 3 > (std::size_t{1} << h.Depth)) return false;
    for (std::size_t i = 0; i < data.size(); i += 3)
        png.PaletteColours.push_back(0xFF000000u | (std::uint32_t{data[i]} << 16) |
                                     (std::uint32_t{data[i + 1]} << 8) | data[i + 2]);
    return true;
}

bool ParseTransparency(std::span<const std::uint8_t> data, ParsedPng& png) {
    switch (png.Head.Type) {
    case Palette:
        if (data.size() > png.PaletteColours.size()) return false;
        for (std::size_t i = 0; i < data.size(); ++i)
            png.PaletteColours[i] = (png.PaletteColours[i] & 0x00FFFFFFu) | (std::uint32_t{data[i]} << 24);
        return true;
    case Grey:
        if (data.size() != 2) return false;
        png.TransparentKey = std::array<std::uint16_t, 3>{ReadBig16(&data[0]), 0, 0};
        return true;
    case Rgb:
        if (data.size() != 6) return false;
        png.TransparentKey =
            std::array<std::uint16_t, 3>{ReadBig16(&data[0]), ReadBig16(&data[2]), ReadBig16(&data[4])};
        return true;
    default: // these carry a full alpha channel already
        return false;
    }
}

// Walks the chunks from the signature to IEND, checking lengths, CRCs and the
// order rules; the image data is collected in place, not copied.
std::optional<ParsedPng> ParseChunks(std::span<const std::uint8_t> file) {
    if (file.size() < Signature.size() || !std::equal(Signature.begin(), Signature.end(), file.begin()))
        return std::nullopt;
    ParsedPng png;
    bool haveHeader = false, havePalette = false, haveTransparency = false;
    bool inImageData = false, imageDataEnded = false;
    std::size_t pos = Signature.size();
    for (;;) {
        if (file.size() - pos < 12) return std::nullopt; // truncated before IEND
        const std::uint32_t length = ReadBig32(&file[pos]);
        const std::uint8_t* type = &file[pos + 4];
        if (length > MaxChunkLength || length > file.size() - pos - 12) return std::nullopt;
        if (!std::all_of(type, type + 4, IsLetter)) return std::nullopt;
        const std::uint8_t* body = type + 4;
        const std::uint32_t storedCrc = ReadBig32(body + length);
        if (crc32(0L, type, static_cast<uInt>(4 + length)) != storedCrc) return std::nullopt;
        pos += 12 + std::size_t{length};
        const std::span<const std::uint8_t> data(body, length);

        if (!haveHeader && !IsChunk(type, "IHDR")) return std::nullopt;
        if (IsChunk(type, "IDAT")) {
            if (imageDataEnded) return std::nullopt; // image data must be one run of chunks
            inImageData = true;
            png.ImageData.push_back(data);
            png.ImageDataSize += length;
            continue;
        }
        if (inImageData) imageDataEnded = true;

        if (IsChunk(type, "IHDR")) {
            if (haveHeader) return std::nullopt;
            const auto header = ParseHeader(data);
            if (!header) return std::nullopt;
            png.Head = *header;
            haveHeader = true;
        } else if (IsChunk(type, "PLTE")) {
            if (havePalette || haveTransparency || inImageData || !ParsePalette(data, png))
                return std::nullopt;
            havePalette = true;
        } else if (IsChunk(type, "tRNS")) {
            if (haveTransparency || inImageData || !ParseTransparency(data, png)) return std::nullopt;
            haveTransparency = true;
        } else if (IsChunk(type, "IEND")) {
            if (length != 0) return std::nullopt;
            break;
        } else if (IsCritical(type)) {
            return std::nullopt;
        }
    }
    if (!inImageData) return std::nullopt;
    if (png.Head.Type == Palette && !havePalette) return std::nullopt;
    return png;
}

// Bytes in one filtered row (without its filter byte) of the given width.
std::size_t RowBytes(const Header& h, std::uint32_t width) {
    return (std::size_t{width} * h.Channels * h.Depth + 7) / 8;
}

std::uint32_t PassExtent(std::uint32_t size, std::uint32_t start, std::uint32_t step) {
    return size > start ? (size - start + step - 1) / step : 0;
}

std::span<const InterlacePass> PassesOf(const Header& h) {
    if (h.Interlaced) return Adam7Passes;
    return SinglePass;
}

std::uint64_t FilteredSize(const Header& h) {
    std::uint64_t size = 0;
    for (const InterlacePass& p : PassesOf(h)) {
        const std::uint32_t w = PassExtent(h.Width, p.X0, p.Dx), rows = PassExtent(h.Height, p.Y0, p.Dy);
        if (w != 0 && rows != 0) size += std::uint64_t{rows} * (1 + RowBytes(h, w));
    }
    return size;
}

class InflateStream {
  public:
    InflateStream() { ready_ = inflateInit(&z_) == Z_OK; }
    InflateStream(const InflateStream&) = delete;
    InflateStream& operator=(const InflateStream&) = delete;
    ~InflateStream() {
        if (ready_) inflateEnd(&z_);
    }
    bool Ready() const { return ready_; }
    z_stream& Get() { return z_; }

  private:
    z_stream z_{};
    bool ready_ = false;
};

// Inflates the image data into Out, which must come out exactly full: a
// stream that ends early, runs long, fails its checksum or has bytes after
// its end is refused.
bool InflateExactly(const std::vector<std::span<const std::uint8_t>>& input, std::vector<std::uint8_t>& out) {
    InflateStream stream;
    if (!stream.Ready()) return false;
    z_stream& z = stream.Get();
    std::uint8_t overflow = 0; // anything written here is one byte too many
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    bool ended = false;
    std::size_t chunk = 0;
    for (; chunk < input.size() && !ended; ++chunk) {
        z.next_in = input[chunk].data();
        z.avail_in = static_cast<uInt>(input[chunk].size());
        while (z.avail_in > 0) {
            if (z.avail_out == 0) {
                z.next_out = &overflow;
                z.avail_out = 1;
            }
            const int rc = inflate(&z, Z_NO_FLUSH);
            if (z.total_out > out.size()) return false;
            if (rc == Z_STREAM_END) {
                ended = true;
                break;
            }
            if (rc != Z_OK) return false;
        }
    }
    if (!ended || z.avail_in != 0 || z.total_out != out.size()) return false;
    return std::all_of(input.begin() + static_cast<std::ptrdiff_t>(chunk), input.end(),
                       [](std::span<const std::uint8_t> rest) { return rest.empty(); });
}

std::uint8_t Paeth(std::uint8_t a, std::uint8_t b, std::uint8_t c) {
    const int p = a + b - c;
    const int pa = p > a ? p - a : a - p, pb = p > b ? p - b : b - p, pc = p > c ? p - c : c - p;
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

// Undoes the row filters of one pass in place. Rows starts at the filter
// byte of the first row; bpp is the byte distance to the corresponding byte
// of the pixel on the left (at least one).
bool Unfilter(std::uint8_t* rows, std::size_t rowBytes, std::uint32_t rowCount, std::size_t bpp) {
    const std::vector<std::uint8_t> zeroRow(rowBytes, 0);
    const std::uint8_t* prior = zeroRow.data();
    for (std::uint32_t y = 0; y < rowCount; ++y) {
        std::uint8_t* row = rows + std::size_t{y} * (rowBytes + 1);
        const std::uint8_t filter = row[0];
        std::uint8_t* cur = row + 1;
        switch (filter) {
        case 0:
            break;
        case 1:
            for (std::size_t i = bpp; i < rowBytes; ++i)
                cur[i] = static_cast<std::uint8_t>(cur[i] + cur[i - bpp]);
            break;
        case 2:
            for (std::size_t i = 0; i < rowBytes; ++i)
                cur[i] = static_cast<std::uint8_t>(cur[i] + prior[i]);
            break;
        case 3:
            for (std::size_t i = 0; i < rowBytes; ++i) {
                const unsigned left = i >= bpp ? cur[i - bpp] : 0;
                cur[i] = static_cast<std::uint8_t>(cur[i] + ((left + prior[i]) >> 1));
            }
            break;
        case 4:
            for (std::size_t i = 0; i < rowBytes; ++i) {
                const std::uint8_t left = i >= bpp ? cur[i - bpp] : 0;
                const std::uint8_t upperLeft = i >= bpp ? prior[i - bpp] : 0;
                cur[i] = static_cast<std::uint8_t>(cur[i] + Paeth(left, prior[i], upperLeft));
            }
            break;
        default:
            return false;
        }
        prior = cur;
    }
    return true;
}

std::uint32_t Sample(const std::uint8_t* row, std::size_t index, std::uint32_t depth) {
    switch (depth) {
    case 8:
        return row[index];
    case 16:
        return ReadBig16(row + 2 * index);
    default: {
        const std::size_t bit = index * depth;
        const std::uint32_t shift = 8 - depth - static_cast<std::uint32_t>(bit % 8);
        return (row[bit / 8] >> shift) & ((1u << depth) - 1);
    }
    }
}

std::uint32_t ToEightBits(std::uint32_t value, std::uint32_t depth) {
    if (depth == 16) return (value * 255 + 32895) >> 16;
    return value * 255 / ((1u << depth) - 1);
}

std::uint32_t Argb(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// Straight 0xAARRGGBB of one pixel, or nothing for a palette index outside
// the palette.
std::optional<std::uint32_t> PixelAt(const ParsedPng& png, const std::uint8_t* row, std::uint32_t x) {
    const Header& h = png.Head;
    const std::size_t first = std::size_t{x} * h.Channels;
    auto sample = [&](std::size_t channel) { return Sample(row, first + channel, h.Depth); };
    auto eight = [&](std::size_t channel) { return ToEightBits(sample(channel), h.Depth); };
    switch (h.Type) {
    case Grey: {
        const std::uint32_t v = sample(0), g = ToEightBits(v, h.Depth);
        const bool clear = png.TransparentKey && (*png.TransparentKey)[0] == v;
        return Argb(clear ? 0 : 255, g, g, g);
    }
    case Rgb: {
        const bool clear = png.TransparentKey && (*png.TransparentKey)[0] == sample(0) &&
                           (*png.TransparentKey)[1] == sample(1) && (*png.TransparentKey)[2] == sample(2);
        return Argb(clear ? 0 : 255, eight(0), eight(1), eight(2));
    }
    case Palette: {
        const std::uint32_t index = sample(0);
        if (index >= png.PaletteColours.size()) return std::nullopt;
        return png.PaletteColours[index];
    }
    case GreyAlpha: {
        const std::uint32_t g = eight(0);
        return Argb(eight(1), g, g, g);
    }
    default:
        return Argb(eight(3), eight(0), eight(1), eight(2));
    }
}

std::uint32_t Premultiplied(std::uint32_t argb) {
    const std::uint32_t a = argb >> 24;
    if (a == 255) return argb;
    auto scale = [&](int shift) { return (((argb >> shift) & 0xFF) * a + 127) / 255; };
    return Argb(a, scale(16), scale(8), scale(0));
}

// Unfilters every pass of the inflated data and places its pixels.
bool BuildPixels(const ParsedPng& png, std::vector<std::uint8_t>& filtered, PngPicture& picture) {
    const Header& h = png.Head;
    const std::size_t bpp = std::max<std::size_t>(1, h.Channels * h.Depth / 8);
    picture.Pixels.assign(std::size_t{h.Width} * h.Height, 0);
    std::size_t offset = 0;
    for (const InterlacePass& p : PassesOf(h)) {
        const std::uint32_t w = PassExtent(h.Width, p.X0, p.Dx), rows = PassExtent(h.Height, p.Y0, p.Dy);
        if (w == 0 || rows == 0) continue;
        const std::size_t rowBytes = RowBytes(h, w);
        std::uint8_t* pass = filtered.data() + offset;
        if (!Unfilter(pass, rowBytes, rows, bpp)) return false;
        for (std::uint32_t j = 0; j < rows; ++j) {
            const std::uint8_t* row = pass + std::size_t{j} * (rowBytes + 1) + 1;
            std::uint32_t* target = picture.Pixels.data() + std::size_t{p.Y0 + j * p.Dy} * h.Width;
            for (std::uint32_t i = 0; i < w; ++i) {
                const auto pixel = PixelAt(png, row, i);
                if (!pixel) return false;
                target[p.X0 + i * p.Dx] = *pixel;
            }
        }
        offset += std::size_t{rows} * (rowBytes + 1);
    }
    return true;
}

} // namespace

PngPicture DecodePng(std::span<const std::uint8_t> File) {
    try {
        const auto png = ParseChunks(File);
        if (!png) return {};
        const Header& h = png->Head;
        const std::uint64_t filteredSize = FilteredSize(h);
        if (filteredSize > png->ImageDataSize * MaxInflateRatio + InflateSlack) return {};
        std::vector<std::uint8_t> filtered(static_cast<std::size_t>(filteredSize));
        if (!InflateExactly(png->ImageData, filtered)) return {};

        PngPicture picture;
        if (!BuildPixels(*png, filtered, picture)) return {};
        for (std::uint32_t& pixel : picture.Pixels) {
            if ((pixel >> 24) != 255) picture.HasAlpha = true;
            pixel = Premultiplied(pixel);
        }
        picture.Width = static_cast<int>(h.Width);
        picture.Height = static_cast<int>(h.Height);
        return picture;
    } catch (...) {
        return {};
    }
}
