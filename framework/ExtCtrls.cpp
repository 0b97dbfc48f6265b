#include "framework/ExtCtrls.h"

// ---- TPanel ----

TPanel::TPanel(TComponent* owner) : TWinControl(owner) {}

void TPanel::SetBevelOuter(TBevelCut value) {
    bevelOuter_ = value;
    Invalidate();
}

void TPanel::SetParentBackground(bool value) {
    parentBackground_ = value;
    Invalidate();
}

void TPanel::PaintBackground(HDC dc, const RECT& client) {
    const TColor fill = (parentBackground_ && Parent()) ? Parent()->Color() : Color();
    UniqueGdiObject brush(CreateSolidBrush(ColorToRGB(fill)));
    FillRect(dc, &client, static_cast<HBRUSH>(brush.get()));
    if (bevelOuter_ != TBevelCut::bvNone) {
        RECT edge = client;
        DrawEdge(dc, &edge, bevelOuter_ == TBevelCut::bvRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
    }
    if (!Caption().empty()) {
        SelectedObject font(dc, Font.Handle());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ColorToRGB(Font.Color()));
        RECT text = client;
        DrawTextW(dc, Caption().c_str(), static_cast<int>(Caption().size()), &text,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

// ---- TImage ----

TImage::TImage(TComponent* owner) : TGraphicControl(owner) {}

void TImage::LoadFromResourceName(HMODULE module, const std::wstring& name) {
    SetPicture(LoadPngResource(module, name));
}

void TImage::SetPicture(const PngPicture& picture) {
    bitmap_ = CreatePictureBitmap(picture, TAlphaForm::Premultiplied);
    pictureWidth_ = bitmap_ ? picture.Width : 0;
    pictureHeight_ = bitmap_ ? picture.Height : 0;
    Invalidate();
}

void TImage::SetStretch(bool value) {
    if (value == stretch_) return;
    stretch_ = value;
    Invalidate();
}

void TImage::Paint(HDC dc) {
    if (!bitmap_) return;
    const RECT dest = stretch_ ? RECT{0, 0, Width(), Height()} : RECT{0, 0, pictureWidth_, pictureHeight_};
    DrawPictureBitmap(dc, static_cast<HBITMAP>(bitmap_.get()), pictureWidth_, pictureHeight_, dest);
}

// ---- TBevel ----

namespace {

// Which sides of the bounds each shape etches.
struct BevelSides {
    TBevelShape Shape;
    UINT Sides;
};
constexpr BevelSides BevelShapeSides[] = {
    {TBevelShape::bsBox, BF_RECT},          {TBevelShape::bsTopLine, BF_TOP},
    {TBevelShape::bsBottomLine, BF_BOTTOM}, {TBevelShape::bsLeftLine, BF_LEFT},
    {TBevelShape::bsRightLine, BF_RIGHT},
};

} // namespace

void TBevel::SetShape(TBevelShape value) {
    if (value == shape_) return;
    shape_ = value;
    Invalidate();
}

void TBevel::Paint(HDC dc) {
    for (const BevelSides& row : BevelShapeSides) {
        if (row.Shape != shape_) continue;
        RECT r{0, 0, Width(), Height()};
        DrawEdge(dc, &r, EDGE_ETCHED, row.Sides);
    }
}
