// Panels, pictures and bevels.
#pragma once

#include <string>

#include "framework/Bitmaps.h"
#include "framework/Controls.h"

enum class TBevelCut { bvNone, bvLowered, bvRaised };

// A window that holds other controls on its own colour.
class TPanel : public TWinControl {
  public:
    explicit TPanel(TComponent* owner);

    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut value);
    // False: the panel paints its own colour. True: it shows its parent's colour.
    bool ParentBackground() const { return parentBackground_; }
    void SetParentBackground(bool value);

  protected:
    bool PublishesFont() const override { return true; }
    std::wstring WindowClassName() const override { return L"THastrelPanel"; }
    void PaintBackground(HDC dc, const RECT& client) override;

  private:
    TBevelCut bevelOuter_ = TBevelCut::bvRaised;
    bool parentBackground_ = true;
};

// A picture painted by its parent, blended by its alpha channel.
class TImage : public TGraphicControl {
  public:
    explicit TImage(TComponent* owner);
    void Paint(HDC dc) override;

    // The PNG held in an RCDATA resource of Module; a missing or damaged one
    // leaves the image empty.
    void LoadFromResourceName(HMODULE module, const std::wstring& name);
    void SetPicture(const PngPicture& picture);
    int PictureWidth() const { return pictureWidth_; }
    int PictureHeight() const { return pictureHeight_; }

    // True: the picture is scaled to the control's bounds; false: drawn at its
    // own size from the top-left corner.
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);

  private:
    UniqueGdiObject bitmap_;
    int pictureWidth_ = 0, pictureHeight_ = 0;
    bool stretch_ = false;
};

enum class TBevelShape { bsBox, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine };

// An etched frame or line, as dialogs draw separators.
class TBevel : public TGraphicControl {
  public:
    using TGraphicControl::TGraphicControl;
    void Paint(HDC dc) override;

    TBevelShape Shape() const { return shape_; }
    void SetShape(TBevelShape value);

  private:
    TBevelShape shape_ = TBevelShape::bsBox;
};
