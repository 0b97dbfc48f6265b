// Menu items and the popup menu that holds them.
#pragma once

#include <string>
#include <vector>

#include "framework/Controls.h"

class TMenuItem : public TComponent {
  public:
    using TComponent::TComponent;
    // "-" makes the item a separator; "&" marks the accelerator letter.
    std::wstring Caption;
    TNotifyEvent OnClick;
    void Click();
};

enum class TPopupAlignment { paLeft, paRight, paCenter };
enum class TTrackButton { tbRightButton, tbLeftButton };
using TMenuAnimation = unsigned;
inline constexpr TMenuAnimation maLeftToRight = 1, maRightToLeft = 2, maTopToBottom = 4, maBottomToTop = 8,
                                maNone = 16;

class TPopupMenu : public TComponent {
  public:
    using TComponent::TComponent;

    // The items in menu order; the menu does not own them.
    std::vector<TMenuItem*> Items;
    void Add(TMenuItem& item) { Items.push_back(&item); }

    // Where the menu lies against the point given to Popup: paRight puts its right edge there.
    TPopupAlignment Alignment = TPopupAlignment::paLeft;
    TMenuAnimation MenuAnimation = 0;
    // The mouse button that picks an item.
    TTrackButton TrackButton = TTrackButton::tbRightButton;

    // Shows the menu at a point of the screen and returns when it closes;
    // the chosen item's OnClick runs after that.
    void Popup(int X, int Y);
};
