// Colours and fonts as the forms describe them.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "framework/Handles.h"

// A colour: an RGB value, or a system colour with the high bit set.
using TColor = int32_t;
inline constexpr TColor clSystemColor = static_cast<TColor>(0x80000000u);
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
inline constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
inline constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
inline constexpr TColor clNone = 0x1FFFFFFF;

COLORREF ColorToRGB(TColor color);

// Layouts are drawn at 96 pixels per inch.
inline constexpr int PixelsPerInch = 96;

using TFontStyles = unsigned;
inline constexpr TFontStyles fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8;

class TFont {
public:
    const std::wstring& Name() const { return name_; }
    void SetName(const std::wstring& name);
    // Negative: character height in pixels; positive: cell height.
    int Height() const { return height_; }
    void SetHeight(int height);
    int Size() const; // points
    void SetSize(int points);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);
    TColor Color() const { return color_; }
    void SetColor(TColor color);

    void Assign(const TFont& other);
    void AssignLogFont(const LOGFONTW& lf);
    bool operator==(const TFont& other) const;

    // A GDI font for the current description, made on demand and kept until it changes.
    HFONT Handle() const;

    std::function<void()> OnChange;

private:
    void Changed();

    std::wstring name_ = L"Tahoma";
    int height_ = -11;
    TFontStyles style_ = 0;
    TColor color_ = clWindowText;
    mutable UniqueGdiObject handle_;
};
