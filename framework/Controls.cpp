#include "framework/Controls.h"

#include <commctrl.h>

#include <algorithm>
#include <set>

#include "framework/Forms.h"

namespace {

constexpr wchar_t ControlProperty[] = L"HastrelControl";

void RegisterOwnClass(const std::wstring& name, WNDPROC proc) {
    static std::set<std::wstring> registered;
    if (registered.count(name)) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(wc.hInstance, L"MAINICON");
    wc.hIconSm = static_cast<HICON>(LoadImageW(wc.hInstance, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = name.c_str();
    if (RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) registered.insert(name);
}

// The subclass helpers of the common controls. Windows 2000's comctl32 5.81
// exports them by ordinal only; version 6 gave them names but kept the
// ordinals. So they are taken by ordinal, from the comctl32 that the
// program's imports are bound to (the one whose controls it creates): the
// module that holds its InitCommonControlsEx.
struct SubclassHelpers {
    decltype(&SetWindowSubclass) set = nullptr;
    decltype(&RemoveWindowSubclass) remove = nullptr;
    decltype(&DefSubclassProc) callNext = nullptr;
};

const SubclassHelpers& Subclassing() {
    static const SubclassHelpers helpers = [] {
        SubclassHelpers found;
        MEMORY_BASIC_INFORMATION region{};
        if (!VirtualQuery(reinterpret_cast<const void*>(&InitCommonControlsEx), &region, sizeof(region)))
            return found;
        const auto comctl32 = static_cast<HMODULE>(region.AllocationBase);
        found.set = EntryPoint<decltype(found.set)>(comctl32, MAKEINTRESOURCEA(410));
        found.remove = EntryPoint<decltype(found.remove)>(comctl32, MAKEINTRESOURCEA(412));
        found.callNext = EntryPoint<decltype(found.callNext)>(comctl32, MAKEINTRESOURCEA(413));
        if (!found.set || !found.remove || !found.callNext) found = {};
        return found;
    }();
    return helpers;
}

} // namespace

// ---- TControl ----

TControl::TControl(TComponent* owner) : TComponent(owner) {
    Font.OnChange = [this] {
        if (!followingParent_) parentFont_ = false;
        FontChanged();
    };
}

TControl::~TControl() {
    HintControlDestroyed(this);
    SetParent(nullptr);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    Invalidate();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Invalidate();
}

void TControl::UpdateBoundsRect(const RECT& r) {
    left_ = r.left;
    top_ = r.top;
    width_ = r.right - r.left;
    height_ = r.bottom - r.top;
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    if (parent_) {
        Invalidate();
        auto& list = parent_->controls_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        if (parent_->hover_ == this) parent_->hover_ = nullptr;
        if (parent_->pressed_ == this) parent_->pressed_ = nullptr;
    }
    parent_ = parent;
    if (parent_) {
        parent_->controls_.push_back(this);
        if (parentFont_) ParentFontChanged();
        if (align_ != TAlign::alNone) parent_->Realign();
        Invalidate();
    }
}

void TControl::SetAlign(TAlign align) {
    if (align == align_) return;
    align_ = align;
    if (parent_) parent_->Realign();
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    Invalidate();
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Invalidate();
}

void TControl::SetCaption(const std::wstring& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    CaptionChanged();
}

void TControl::SetColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    ColorChanged();
}

void TControl::SetParentFont(bool value) {
    parentFont_ = value;
    if (value) ParentFontChanged();
}

void TControl::ParentFontChanged() {
    if (!parentFont_ || !parent_) return;
    followingParent_ = true;
    Font.Assign(parent_->Font);
    followingParent_ = false;
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::MouseEnter() {
    if (OnMouseEnter) OnMouseEnter(this);
}

void TControl::MouseLeave() {
    if (OnMouseLeave) OnMouseLeave(this);
}

void TControl::Invalidate() {}

void TGraphicControl::Invalidate() {
    if (Parent() && Parent()->HandleAllocated()) {
        RECT r = BoundsRect();
        InvalidateRect(Parent()->Handle(), &r, FALSE);
    }
}

// ---- TWinControl ----

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    // Children that outlive this control (owned by the form) must not point back.
    while (!controls_.empty()) controls_.back()->SetParent(nullptr);
    DestroyHandle();
}

void TWinControl::DestroyHandle() {
    if (hwnd_) {
        HWND h = hwnd_;
        DestroyWindow(h); // WM_NCDESTROY clears hwnd_
        hwnd_ = nullptr;
    }
}

HWND TWinControl::Handle() {
    if (!hwnd_) CreateWnd();
    return hwnd_;
}

TWinControl* TWinControl::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<TWinControl*>(GetPropW(hwnd, ControlProperty)) : nullptr;
}

void TWinControl::CreateParams(WindowParams& params) {
    params.style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (Visible() ? WS_VISIBLE : 0) |
                   (Enabled() ? 0 : WS_DISABLED) | (TabStop ? WS_TABSTOP : 0);
    params.exStyle = WS_EX_CONTROLPARENT;
    params.parent = Parent() ? Parent()->Handle() : nullptr;
    params.x = Left();
    params.y = Top();
    params.width = Width();
    params.height = Height();
}

HMENU TWinControl::NextChildId() {
    TWinControl* root = this;
    while (root->Parent()) root = root->Parent();
    return reinterpret_cast<HMENU>(static_cast<UINT_PTR>(root->nextChildId_++));
}

void TWinControl::CreateWnd() {
    WindowParams params;
    CreateParams(params);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HMENU id = (params.style & WS_CHILD) ? NextChildId() : nullptr;
    if (params.className.empty()) {
        const std::wstring name = WindowClassName();
        RegisterOwnClass(name, OwnWindowProc);
        CreateWindowExW(params.exStyle, name.c_str(), Caption().c_str(), params.style, params.x, params.y,
                        params.width, params.height, params.parent, id, instance, this);
    } else {
        HWND h = CreateWindowExW(params.exStyle, params.className.c_str(), Caption().c_str(), params.style, params.x,
                                 params.y, params.width, params.height, params.parent, id, instance, nullptr);
        if (h) {
            hwnd_ = h;
            SetPropW(h, ControlProperty, this);
            const SubclassHelpers& subclassing = Subclassing();
            subclassed_ =
                subclassing.set && subclassing.set(h, SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
        }
    }
    if (!hwnd_) return;
    ApplyFontToWindow();
    // Windowed children in tab order: the window order is what dialog navigation follows.
    std::vector<TWinControl*> children;
    for (TControl* c : controls_)
        if (auto* w = dynamic_cast<TWinControl*>(c)) children.push_back(w);
    std::stable_sort(children.begin(), children.end(),
                     [](const TWinControl* a, const TWinControl* b) { return a->TabOrder < b->TabOrder; });
    for (TWinControl* child : children) child->Handle();
    HandleCreated();
}

LRESULT CALLBACK TWinControl::OwnWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    TWinControl* self = FromHandle(hwnd);
    if (!self && msg == WM_NCCREATE) {
        self = static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        if (self) {
            self->hwnd_ = hwnd;
            SetPropW(hwnd, ControlProperty, self);
        }
    }
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    return self->Dispatch(msg, wp, lp);
}

LRESULT CALLBACK TWinControl::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    auto* self = reinterpret_cast<TWinControl*>(ref);
    if (!self || self->hwnd_ != hwnd) return Subclassing().callNext(hwnd, msg, wp, lp);
    return self->Dispatch(msg, wp, lp);
}

LRESULT TWinControl::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    // No exception may cross back into Windows.
    try {
        result = WndProc(msg, wp, lp);
    } catch (...) {
        result = 0;
    }
    // Whatever the handler did, the window is gone: the object must not keep its handle.
    if (msg == WM_NCDESTROY) Unbind();
    return result;
}

void TWinControl::Unbind() {
    RemovePropW(hwnd_, ControlProperty);
    if (subclassed_) Subclassing().remove(hwnd_, SubclassProc, 1);
    subclassed_ = false;
    hwnd_ = nullptr;
    hover_ = nullptr;
    pressed_ = nullptr;
}

LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM wp, LPARAM lp) {
    return subclassed_ ? Subclassing().callNext(hwnd_, msg, wp, lp) : DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (lp)
            if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lp)); child && child != this)
                if (child->ReflectCommand(HIWORD(wp))) return 0;
        break;
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lp);
        if (TWinControl* child = FromHandle(hdr->hwndFrom); child && child != this) {
            LRESULT result = 0;
            if (child->ReflectNotify(hdr, result)) return result;
        }
        break;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (lp)
            if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lp)); child && child != this)
                if (child->ReflectScroll(LOWORD(wp))) return 0;
        break;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        // Buttons and track bars sit on this control's colour.
        SetBkColor(reinterpret_cast<HDC>(wp), ColorToRGB(Color()));
        return reinterpret_cast<LRESULT>(ChildBackgroundBrush());
    case WM_SETCURSOR:
        // Over a common control, or over a window inside it (the list of a
        // combo box), the control's own cursor wins.
        if (subclassed_ && LOWORD(lp) == HTCLIENT && Cursor != crDefault &&
            (reinterpret_cast<HWND>(wp) == hwnd_ || IsChild(hwnd_, reinterpret_cast<HWND>(wp)))) {
            if (HCURSOR cursor = Screen.Cursors(Cursor)) {
                SetCursor(cursor);
                return TRUE;
            }
        }
        break;
    default:
        break;
    }
    if (subclassed_) return DefaultHandler(msg, wp, lp);

    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_PRINTCLIENT:
        // Themed common controls draw their parent's background through this.
        PaintTo(reinterpret_cast<HDC>(wp));
        return 0;
    case WM_MOUSEMOVE:
        TrackHover({static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
        break;
    case WM_MOUSELEAVE:
        trackingLeave_ = false;
        if (TGraphicControl* old = std::exchange(hover_, nullptr)) old->MouseLeave();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        TGraphicControl* target = GraphicControlAt({static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
        pressed_ = (target && target->Enabled()) ? target : nullptr;
        if (pressed_) SetCapture(hwnd_);
        return 0;
    }
    case WM_LBUTTONUP: {
        TGraphicControl* target = GraphicControlAt({static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
        TGraphicControl* pressed = std::exchange(pressed_, nullptr);
        if (GetCapture() == hwnd_) ReleaseCapture();
        if (pressed && pressed == target) pressed->Click();
        return 0;
    }
    case WM_CLOSE:
    case WM_NEXTDLGCTL:
    case DM_GETDEFID:
    case DM_SETDEFID:
        // A container of ours: the common controls have messages of their own in the range of DM_GETDEFID.
        if (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_CHILD) return PassDialogMessage(msg, wp, lp);
        break;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wp) == hwnd_ && LOWORD(lp) == HTCLIENT) {
            POINT pt;
            GetCursorPos(&pt);
            ScreenToClient(hwnd_, &pt);
            // A windowless control with the default cursor shows the one of the control it lies on.
            const TGraphicControl* target = GraphicControlAt(pt);
            const TCursor shown = target && target->Cursor != crDefault ? target->Cursor : Cursor;
            if (HCURSOR cursor = Screen.Cursors(shown)) {
                SetCursor(cursor);
                return TRUE;
            }
        }
        break;
    default:
        break;
    }
    return DefaultHandler(msg, wp, lp);
}

LRESULT TWinControl::PassDialogMessage(UINT msg, WPARAM wp, LPARAM lp) {
    // Controls send these to their parent as if it were their dialog. The
    // form is the dialog here: a control inside never goes on a child's request.
    const HWND form = GetAncestor(hwnd_, GA_ROOT);
    if (!form || form == hwnd_) return 0;
    // A multi-line edit closes its dialog on Escape; a dialog takes that as
    // Cancel, as Escape anywhere else on the form.
    if (msg == WM_CLOSE) return SendMessageW(form, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return SendMessageW(form, msg, wp, lp);
}

void TWinControl::TrackHover(POINT pt) {
    TGraphicControl* target = GraphicControlAt(pt);
    if (target != hover_) {
        TGraphicControl* old = std::exchange(hover_, target);
        if (old) old->MouseLeave();
        if (target) target->MouseEnter();
    }
    if (!trackingLeave_) {
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, hwnd_, 0};
        trackingLeave_ = TrackMouseEvent(&tme) != FALSE;
    }
}

TGraphicControl* TWinControl::GraphicControlAt(POINT pt) const {
    // The last control in layout order lies on top.
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        auto* g = dynamic_cast<TGraphicControl*>(*it);
        if (!g || !g->Visible()) continue;
        RECT r = g->BoundsRect();
        if (PtInRect(&r, pt)) return g;
    }
    return nullptr;
}

void TWinControl::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT client;
    GetClientRect(hwnd_, &client);
    const int w = client.right, h = client.bottom;
    if (w > 0 && h > 0) {
        UniqueMemoryDc mem(CreateCompatibleDC(dc));
        UniqueGdiObject bitmap(CreateCompatibleBitmap(dc, w, h));
        if (mem && bitmap) {
            SelectedObject selected(mem.get(), bitmap.get());
            PaintBackground(mem.get(), client);
            PaintGraphicControls(mem.get());
            BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                   ps.rcPaint.bottom - ps.rcPaint.top, mem.get(), ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
        }
    }
    EndPaint(hwnd_, &ps);
}

HBRUSH TWinControl::ChildBackgroundBrush() {
    const COLORREF rgb = ColorToRGB(Color());
    if (!childBrush_ || childBrushColor_ != rgb) {
        childBrush_.reset(CreateSolidBrush(rgb));
        childBrushColor_ = rgb;
    }
    return static_cast<HBRUSH>(childBrush_.get());
}

void TWinControl::PaintTo(HDC dc) {
    RECT client = ClientRect();
    if (hwnd_) GetClientRect(hwnd_, &client);
    PaintBackground(dc, client);
    PaintGraphicControls(dc);
}

void TWinControl::Realign() {
    const RECT area = ClientRect();
    for (TControl* c : controls_)
        if (c->Align() == TAlign::alClient)
            c->SetBounds(area.left, area.top, area.right - area.left, area.bottom - area.top);
}

void TWinControl::PaintBackground(HDC dc, const RECT& client) {
    UniqueGdiObject brush(CreateSolidBrush(ColorToRGB(Color())));
    FillRect(dc, &client, static_cast<HBRUSH>(brush.get()));
}

void TWinControl::PaintGraphicControls(HDC dc) {
    for (TControl* c : controls_) {
        auto* g = dynamic_cast<TGraphicControl*>(c);
        if (!g || !g->Visible() || g->Width() <= 0 || g->Height() <= 0) continue;
        const int saved = SaveDC(dc);
        // Relative to the DC's own origin: WM_PRINTCLIENT may hand over one already moved.
        OffsetViewportOrgEx(dc, g->Left(), g->Top(), nullptr);
        IntersectClipRect(dc, 0, 0, g->Width(), g->Height());
        g->Paint(dc);
        RestoreDC(dc, saved);
    }
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    const bool resized = width != Width() || height != Height();
    TControl::SetBounds(left, top, width, height);
    if (hwnd_) MoveWindow(hwnd_, left, top, width, height, TRUE);
    if (resized) Realign();
}

void TWinControl::SetVisible(bool visible) {
    TControl::SetVisible(visible);
    if (hwnd_) ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}

void TWinControl::SetEnabled(bool enabled) {
    TControl::SetEnabled(enabled);
    if (hwnd_) EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

void TWinControl::Invalidate() {
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void TWinControl::SetFocus() {
    if (!Handle()) return;
    auto* form = dynamic_cast<TForm*>(FromHandle(GetAncestor(hwnd_, GA_ROOT)));
    if (form && form != this && !IsWindowVisible(form->Handle())) {
        form->SetActiveControl(this);
        return;
    }
    ::SetFocus(hwnd_);
}

void TWinControl::ApplyFontToWindow() {
    if (hwnd_ && subclassed_) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Font.Handle()), TRUE);
}

void TWinControl::FontChanged() {
    ApplyFontToWindow();
    for (TControl* c : controls_) c->ParentFontChanged();
    Invalidate();
}

void TWinControl::CaptionChanged() {
    if (hwnd_) SetWindowTextW(hwnd_, Caption().c_str());
    Invalidate();
}

void TWinControl::ColorChanged() { Invalidate(); }
