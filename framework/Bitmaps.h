// Decoded PNG artwork as 32-bit device-independent bitmaps, the form in which
// GDI blends it (TImage) and image lists store it (TImageList).
#pragma once

#include <windows.h>

#include <string>

#include "framework/Handles.h"
#include "framework/PngDecoder.h"

// The PNG held in an RCDATA resource of the module; empty when the resource
// is missing or the picture does not decode.
PngPicture LoadPngResource(HMODULE module, const std::wstring& name);

enum class TAlphaForm { Premultiplied, Straight };

// A top-down 32-bit DIB section of the picture. GdiAlphaBlend wants premultiplied
// colour; image lists premultiply themselves and want straight colour.
UniqueGdiObject CreatePictureBitmap(const PngPicture& picture, TAlphaForm form);

// A monochrome mask of the picture, white where a pixel is fully transparent:
// what draws an image list's pictures without their corners where the common
// controls ignore the alpha channel (before version 6).
UniqueGdiObject CreatePictureMask(const PngPicture& picture);

// Blends a premultiplied picture bitmap into Dest, stretched to fill it.
void DrawPictureBitmap(HDC dc, HBITMAP bitmap, int width, int height, const RECT& dest);
