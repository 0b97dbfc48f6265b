#include "framework/StdCtrls.h"

#include <commctrl.h>

#include <vector>

// ---- TLabel ----

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
    AdjustBounds();
}

void TLabel::SetAutoSize(bool value) {
    if (value == autoSize_) return;
    autoSize_ = value;
    AdjustBounds();
}

void TLabel::SetWordWrap(bool value) {
    if (value == wordWrap_) return;
    wordWrap_ = value;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetShowAccelChar(bool value) {
    if (value == showAccelChar_) return;
    showAccelChar_ = value;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetAlignment(TAlignment value) {
    if (value == alignment_) return;
    alignment_ = value;
    Invalidate();
}

void TLabel::SetLayout(TTextLayout value) {
    if (value == layout_) return;
    layout_ = value;
    Invalidate();
}

void TLabel::SetTransparent(bool value) {
    if (value == transparent_) return;
    transparent_ = value;
    Invalidate();
}

void TLabel::CaptionChanged() {
    AdjustBounds();
    Invalidate();
}

void TLabel::FontChanged() {
    AdjustBounds();
    Invalidate();
}

void TLabel::ColorChanged() {
    parentColor_ = false;
    Invalidate();
}

UINT TLabel::TextFlags() const {
    UINT flags = DT_EXPANDTABS;
    if (wordWrap_) flags |= DT_WORDBREAK;
    if (!showAccelChar_) flags |= DT_NOPREFIX;
    switch (alignment_) {
    case TAlignment::taLeftJustify:
        flags |= DT_LEFT;
        break;
    case TAlignment::taRightJustify:
        flags |= DT_RIGHT;
        break;
    case TAlignment::taCenter:
        flags |= DT_CENTER;
        break;
    }
    return flags;
}

std::wstring TLabel::DrawnText() const {
    // An empty label still measures one blank high, so it keeps a line's height.
    const std::wstring& text = Caption();
    if (text.empty() || (showAccelChar_ && text == L"&")) return text + L" ";
    return text;
}

void TLabel::SetBounds(int left, int top, int width, int height) {
    TGraphicControl::SetBounds(left, top, width, height);
    AdjustBounds();
}

void TLabel::AdjustBounds() {
    if (!autoSize_) return;
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc) return;
    SelectedObject font(dc.get(), Font.Handle());
    const std::wstring text = DrawnText();
    RECT r{0, 0, wordWrap_ ? Width() : 0, 0};
    DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &r, TextFlags() | DT_CALCRECT);
    int left = Left();
    if (alignment_ == TAlignment::taRightJustify) left += Width() - r.right;
    if (left != Left() || r.right != Width() || r.bottom != Height())
        TGraphicControl::SetBounds(left, Top(), r.right, r.bottom);
}

void TLabel::Paint(HDC dc) {
    RECT r{0, 0, Width(), Height()};
    if (!transparent_) {
        const TColor fill = (parentColor_ && Parent()) ? Parent()->Color() : Color();
        UniqueGdiObject brush(CreateSolidBrush(ColorToRGB(fill)));
        FillRect(dc, &r, static_cast<HBRUSH>(brush.get()));
    }
    SelectedObject font(dc, Font.Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Font.Color()));
    const std::wstring text = DrawnText();
    const int length = static_cast<int>(text.size());
    const UINT flags = TextFlags();
    if (layout_ != TTextLayout::tlTop) {
        RECT measured = r;
        DrawTextW(dc, text.c_str(), length, &measured, flags | DT_CALCRECT);
        const int room = r.bottom - measured.bottom;
        r.top += layout_ == TTextLayout::tlCenter ? room / 2 : room;
    }
    DrawTextW(dc, text.c_str(), length, &r, flags);
}

// ---- TButton ----

namespace {

void CollectButtons(TWinControl* container, std::vector<TButton*>& buttons) {
    for (TControl* c : container->Controls()) {
        if (auto* button = dynamic_cast<TButton*>(c)) buttons.push_back(button);
        if (auto* child = dynamic_cast<TWinControl*>(c)) CollectButtons(child, buttons);
    }
}

TWinControl* TopLevelOf(TWinControl* control) {
    while (control->Parent())
        control = control->Parent();
    return control;
}

} // namespace

TButton* FindDefaultButton(TWinControl* container) {
    std::vector<TButton*> buttons;
    CollectButtons(container, buttons);
    for (TButton* b : buttons)
        if (b->Default()) return b;
    return nullptr;
}

void UpdateDefaultButtonLook(TWinControl* window, HWND focus) {
    std::vector<TButton*> buttons;
    CollectButtons(window, buttons);
    TButton* focused = nullptr;
    for (TButton* b : buttons)
        if (focus && b->HandleAllocated() && b->Handle() == focus) focused = b;
    for (TButton* b : buttons)
        b->ShowAsDefault(focused ? b == focused : b->Default());
}

TButton::TButton(TComponent* owner) : TWinControl(owner) {
    TabStop = true;
}

void TButton::SetDefault(bool value) {
    if (value == default_) return;
    default_ = value;
    if (HandleAllocated()) UpdateDefaultButtonLook(TopLevelOf(this), GetFocus());
}

void TButton::SetElevationRequired(bool value) {
    elevationRequired_ = value;
    if (HandleAllocated()) SendMessageW(Handle(), BCM_SETSHIELD, 0, value ? TRUE : FALSE);
}

void TButton::CreateParams(WindowParams& params) {
    TWinControl::CreateParams(params);
    params.className = L"BUTTON";
    params.style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    params.exStyle = 0;
}

void TButton::HandleCreated() {
    if (elevationRequired_) SendMessageW(Handle(), BCM_SETSHIELD, 0, TRUE);
}

void TButton::ShowAsDefault(bool value) {
    if (!HandleAllocated()) return;
    const HWND h = Handle();
    const bool now = (GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    if (now == value) return;
    settingStyle_ = true;
    SendMessageW(h, BM_SETSTYLE, value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    settingStyle_ = false;
}

LRESULT TButton::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case BM_SETSTYLE:
        // The dialog manager moves the default frame about on its own rules;
        // which button wears it is decided here, so keep the current look.
        if (!settingStyle_ && (wp & BS_TYPEMASK) <= BS_DEFPUSHBUTTON) {
            const WPARAM current = static_cast<WPARAM>(GetWindowLongW(Handle(), GWL_STYLE)) & BS_TYPEMASK;
            wp = (wp & ~static_cast<WPARAM>(BS_TYPEMASK)) | current;
        }
        break;
    case WM_SETFOCUS: {
        const LRESULT result = TWinControl::WndProc(msg, wp, lp);
        UpdateDefaultButtonLook(TopLevelOf(this), Handle());
        return result;
    }
    case WM_KILLFOCUS: {
        const LRESULT result = TWinControl::WndProc(msg, wp, lp);
        UpdateDefaultButtonLook(TopLevelOf(this), reinterpret_cast<HWND>(wp));
        return result;
    }
    default:
        break;
    }
    return TWinControl::WndProc(msg, wp, lp);
}

void TButton::Click() {
    for (TWinControl* p = Parent(); p; p = p->Parent()) {
        if (auto* form = dynamic_cast<TForm*>(p)) {
            form->ModalResult = ModalResult;
            break;
        }
    }
    TControl::Click();
}

bool TButton::ReflectCommand(WORD code) {
    if (code != BN_CLICKED) return false;
    Click();
    return true;
}

// ---- TMemo ----

TMemo::TMemo(TComponent* owner) : TWinControl(owner) {
    TabStop = true;
}

void TMemo::CreateParams(WindowParams& params) {
    TWinControl::CreateParams(params);
    params.className = L"EDIT";
    params.style |= ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL;
    params.exStyle = WS_EX_CLIENTEDGE;
}

LRESULT TMemo::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = TWinControl::WndProc(msg, wp, lp);
    // A multi-line edit wants every key, and inside a panel it cannot find the
    // form's default button for Enter itself. Read-only, it has no use for
    // Enter: the dialog manager takes it, as it does outside the memo.
    if (msg == WM_GETDLGCODE && lp) {
        const MSG& key = *reinterpret_cast<const MSG*>(lp);
        if (key.message == WM_KEYDOWN && key.wParam == VK_RETURN)
            result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
    }
    return result;
}
