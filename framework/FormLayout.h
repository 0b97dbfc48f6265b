// Forms built from a layout table: one row a component, in layout order,
// with its parent, bounds, font, properties and the form's handlers for it.
#pragma once

#include <windows.h>

#include <span>
#include <type_traits>

#include "framework/Forms.h"

namespace Layout {

struct LayoutFont {
    const wchar_t* Name;
    int Height;
    TFontStyles Style;
    TColor Color;
};

enum Option : unsigned {
    Transparent = 1u << 0,   // label: the parent shows through
    CenterLayout = 1u << 1,  // label: Layout tlCenter
    RightJustify = 1u << 2,  // label: Alignment taRightJustify
    FixedWrap = 1u << 3,     // label: AutoSize False, WordWrap True
    NoAccelChar = 1u << 4,   // label: ShowAccelChar False
    WindowColor = 1u << 5,   // Color clWindow
    Stretch = 1u << 6,       // image: scaled to its bounds
    HandCursor = 1u << 7,    // Cursor crHandPoint
    NoBevel = 1u << 8,       // panel: BevelOuter bvNone
    OwnBackground = 1u << 9, // panel: ParentBackground False
    TopLine = 1u << 10,      // bevel: Shape bsTopLine
    RightLine = 1u << 11,    // bevel: Shape bsRightLine
    DefaultButton = 1u << 12,
    Disabled = 1u << 13,
    Shield = 1u << 14,       // button: ElevationRequired
    DropDownList = 1u << 15, // combo box: Style csExDropDownList
    ModalOk = 1u << 16,      // button: ModalResult mrOk
    HourGlassCursor = 1u << 17,
};

// The handlers a row binds, member functions of the form; nullptr: none.
template <class Form> struct Events {
    void (Form::*OnClick)(TComponent*);
    void (Form::*OnMouseEnter)(TComponent*);
    void (Form::*OnMouseLeave)(TComponent*);
};

template <class Form> struct Row {
    TComponent& (*Make)(Form&, const wchar_t*);
    const wchar_t* Name;
    const wchar_t* Parent;        // nullptr: the form itself
    int Left, Top, Width, Height; // a label with no width and height sizes itself to its text
    const LayoutFont* Font;       // nullptr: the parent's font
    unsigned Options;
    const wchar_t* Source; // the PNG resource of an image; kept for the form to read otherwise
    int TabOrder;          // windowed controls
    const Events<Form>* Handlers;
};

template <class> struct MemberOf;
template <class C, class T> struct MemberOf<T C::*> {
    using Class = C;
    using Type = T;
};

// Creates a component owned by the form and keeps it in the form's field.
template <auto Field> TComponent& Make(typename MemberOf<decltype(Field)>::Class& form, const wchar_t* name) {
    using T = std::remove_pointer_t<typename MemberOf<decltype(Field)>::Type>;
    T& component = form.template Create<T>(name);
    form.*Field = &component;
    return component;
}

template <class Form> TNotifyEvent Bind(Form& form, void (Form::*handler)(TComponent*)) {
    if (!handler) return nullptr;
    return [&form, handler](TComponent* sender) { (form.*handler)(sender); };
}

// What of a row is not about one form.
struct Placement {
    const wchar_t* Parent;
    int Left, Top, Width, Height;
    const LayoutFont* Font;
    unsigned Options;
    const wchar_t* Source;
    int TabOrder;
};

void ApplyFont(TFont& font, const LayoutFont& look);
// Puts the control on its parent, where and as the row says.
void Place(TForm& form, TControl& control, const Placement& placement, HMODULE module);

// Creates and places every component of the table, in its order.
template <class Form> void Build(Form& form, std::span<const Row<Form>> rows) {
    const HMODULE module = GetModuleHandleW(nullptr);
    for (const Row<Form>& row : rows) {
        auto& control = dynamic_cast<TControl&>(row.Make(form, row.Name));
        Place(form, control,
              {row.Parent, row.Left, row.Top, row.Width, row.Height, row.Font, row.Options, row.Source,
               row.TabOrder},
              module);
        if (row.Handlers) {
            control.OnClick = Bind(form, row.Handlers->OnClick);
            control.OnMouseEnter = Bind(form, row.Handlers->OnMouseEnter);
            control.OnMouseLeave = Bind(form, row.Handlers->OnMouseLeave);
        }
    }
}

} // namespace Layout
