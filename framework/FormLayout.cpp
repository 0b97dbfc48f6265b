#include "framework/FormLayout.h"

#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"

namespace Layout {

void ApplyFont(TFont& font, const LayoutFont& look) {
    font.SetName(look.Name);
    font.SetHeight(look.Height);
    font.SetStyle(look.Style);
    font.SetColor(look.Color);
}

void Place(TForm& form, TControl& control, const Placement& p, HMODULE module) {
    const unsigned o = p.Options;
    TWinControl* parent = &form;
    if (p.Parent) parent = &dynamic_cast<TWinControl&>(*form.FindComponent(p.Parent));

    if (auto* label = dynamic_cast<TLabel*>(&control)) {
        if (o & FixedWrap) {
            label->SetAutoSize(false);
            label->SetWordWrap(true);
        }
        if (o & NoAccelChar) label->SetShowAccelChar(false);
        if (o & Transparent) label->SetTransparent(true);
        if (o & CenterLayout) label->SetLayout(TTextLayout::tlCenter);
        if (o & RightJustify) label->SetAlignment(TAlignment::taRightJustify);
    } else if (auto* image = dynamic_cast<TImage*>(&control)) {
        image->SetStretch((o & Stretch) != 0);
        if (p.Source) image->LoadFromResourceName(module, p.Source);
    } else if (auto* bevel = dynamic_cast<TBevel*>(&control)) {
        if (o & TopLine) bevel->SetShape(TBevelShape::bsTopLine);
        if (o & RightLine) bevel->SetShape(TBevelShape::bsRightLine);
    } else if (auto* panel = dynamic_cast<TPanel*>(&control)) {
        if (o & NoBevel) panel->SetBevelOuter(TBevelCut::bvNone);
        panel->SetParentBackground((o & OwnBackground) == 0);
    } else if (auto* button = dynamic_cast<TButton*>(&control)) {
        button->SetDefault((o & DefaultButton) != 0);
        button->SetElevationRequired((o & Shield) != 0);
        if (o & ModalOk) button->ModalResult = mrOk;
    } else if (auto* combo = dynamic_cast<TComboBoxEx*>(&control)) {
        combo->Style =
            (o & DropDownList) ? TComboBoxExStyle::csExDropDownList : TComboBoxExStyle::csExDropDown;
    }

    if (auto* windowed = dynamic_cast<TWinControl*>(&control)) windowed->TabOrder = p.TabOrder;
    if (o & WindowColor) control.SetColor(clWindow);
    if (o & Disabled) control.SetEnabled(false);
    if (o & HandCursor) control.Cursor = crHandPoint;
    if (o & HourGlassCursor) control.Cursor = crHourGlass;
    if (p.Font) {
        ApplyFont(control.Font, *p.Font);
        control.SetParentFont(false);
    }
    control.SetParent(parent);
    control.SetBounds(p.Left, p.Top, p.Width, p.Height);
}

} // namespace Layout
