#include "framework/Bitmaps.h"

#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

PngPicture LoadPngResource(HMODULE module, const std::wstring& name) {
    const HRSRC info = FindResourceW(module, name.c_str(), MAKEINTRESOURCEW(10)); // RT_RCDATA
    if (!info) return {};
    const HGLOBAL loaded = LoadResource(module, info);
    const DWORD size = SizeofResource(module, info);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0) return {};
    return DecodePng(std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(bytes), size));
}

namespace {

std::uint32_t Unpremultiply(std::uint32_t pixel) {
    const std::uint32_t alpha = pixel >> 24;
    if (alpha == 0 || alpha == 255) return alpha == 0 ? 0 : pixel;
    auto channel = [&](int shift) {
        const std::uint32_t value = (((pixel >> shift) & 0xFF) * 255 + alpha / 2) / alpha;
        return (value > 255 ? 255u : value) << shift;
    };
    return (alpha << 24) | channel(16) | channel(8) | channel(0);
}

} // namespace

UniqueGdiObject CreatePictureBitmap(const PngPicture& picture, TAlphaForm form) {
    if (picture.Empty()) return {};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = picture.Width;
    info.bmiHeader.biHeight = -picture.Height; // top-down, as the decoder delivers the rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueGdiObject bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return {};
    auto* out = static_cast<std::uint32_t*>(bits);
    if (form == TAlphaForm::Premultiplied) {
        std::memcpy(out, picture.Pixels.data(), picture.Pixels.size() * sizeof(std::uint32_t));
    } else {
        for (size_t i = 0; i < picture.Pixels.size(); ++i)
            out[i] = Unpremultiply(picture.Pixels[i]);
    }
    GdiFlush();
    return bitmap;
}

UniqueGdiObject CreatePictureMask(const PngPicture& picture) {
    if (picture.Empty()) return {};
    // CreateBitmap takes rows padded to a whole number of 16-bit words, most
    // significant bit first.
    const size_t stride = (static_cast<size_t>(picture.Width) + 15) / 16 * 2;
    std::vector<std::uint8_t> bits(stride * static_cast<size_t>(picture.Height), 0);
    for (int y = 0; y < picture.Height; ++y)
        for (int x = 0; x < picture.Width; ++x)
            if (picture.Pixels[static_cast<size_t>(y) * static_cast<size_t>(picture.Width) + x] >> 24 == 0)
                bits[y * stride + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    return UniqueGdiObject(CreateBitmap(picture.Width, picture.Height, 1, 1, bits.data()));
}

void DrawPictureBitmap(HDC dc, HBITMAP bitmap, int width, int height, const RECT& dest) {
    if (!bitmap || width <= 0 || height <= 0) return;
    UniqueMemoryDc source(CreateCompatibleDC(dc));
    if (!source) return;
    SelectedObject selected(source.get(), bitmap);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    // The gdi32 export of the blend: msimg32, which only passes it on, would be
    // looked for beside the program before the system folder.
    GdiAlphaBlend(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, source.get(), 0, 0,
                  width, height, blend);
}
