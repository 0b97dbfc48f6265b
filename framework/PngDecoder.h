// PNG decoding for the artwork of our pictures. Every standard colour type and
// bit depth, plain or interlaced, with palette and single-colour transparency.
// Every chunk length, CRC, order rule, palette index and the exact size of the
// image data are checked; a damaged, truncated or oversized file gives an
// empty picture, never a partial one. Free of <windows.h>, so it also builds
// natively for sanitizers and fuzzing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct PngPicture {
    int Width = 0;
    int Height = 0;
    // True when some pixel is not fully opaque: such a picture has to be
    // blended rather than copied.
    bool HasAlpha = false;
    // Top-down rows without padding, one 0xAARRGGBB value a pixel with the
    // colour premultiplied by alpha: in memory the B, G, R, A order of a
    // 32-bit DIB, ready for AlphaBlend.
    std::vector<std::uint32_t> Pixels;

    bool Empty() const { return Pixels.empty(); }
};

// Largest picture accepted, so that a few bytes claiming a huge image cannot
// take the memory of a 32-bit process.
constexpr int PngMaxDimension = 16384;
constexpr std::uint32_t PngMaxPixels = 16u * 1024u * 1024u;

PngPicture DecodePng(std::span<const std::uint8_t> File);
