#include "framework/Forms.h"

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <vector>

#include "framework/StdCtrls.h"

namespace {

// Defined before Application so that it outlives the components the
// application frees at exit.
std::vector<TApplicationEvents*> applicationEvents;

// The controls the hint machinery follows; kept outside the application
// object for the same reason.
struct HintControls {
    TControl* hint = nullptr;  // the control whose hint is pending or shown
    TControl* mouse = nullptr; // the control under the mouse
    bool closing = false;      // the application is being freed
} hintControls;

constexpr UINT_PTR HintTimerId = 1;

// The short part of a hint shows near the pointer; the long part goes to Application.Hint.
std::wstring ShortHint(const std::wstring& hint) {
    return hint.substr(0, hint.find(L'|'));
}
std::wstring LongHint(const std::wstring& hint) {
    const size_t bar = hint.find(L'|');
    return bar == std::wstring::npos ? hint : hint.substr(bar + 1);
}

// Keys that move about a window: Tab, the arrows, and Alt for the accelerators.
bool IsNavigationKey(const MSG& msg) {
    if (msg.message == WM_SYSKEYDOWN) return msg.wParam == VK_MENU;
    return msg.message == WM_KEYDOWN && (msg.wParam == VK_TAB || (msg.wParam >= VK_LEFT && msg.wParam <= VK_DOWN));
}

// Mouse and keyboard input, and a click asked of a button.
bool IsInputMessage(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) || message == BM_CLICK;
}

// Input that waited in the queue while its window, or a window it lies in,
// was disabled: a double click or a second Enter behind a press that
// disabled the window. A disabled window takes no input, whenever it was typed.
bool IsInputForDisabledWindow(const MSG& msg) {
    if (!msg.hwnd || !IsInputMessage(msg.message)) return false;
    for (HWND h = msg.hwnd; h; h = GetParent(h)) {
        if (!IsWindowEnabled(h)) return true;
        if (!(GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD)) break;
    }
    return false;
}

} // namespace

TApplication Application;
TScreen Screen;

// ---- TForm ----

TForm::TForm(TComponent* owner) : TWinControl(owner) {
    SetVisible(false);
    SetColor(clBtnFace);
}

TForm::~TForm() = default;

void TForm::CreateParams(WindowParams& params) {
    TWinControl::CreateParams(params);
    params.style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (Enabled() ? 0 : WS_DISABLED);
    params.exStyle = WS_EX_CONTROLPARENT;
    switch (BorderStyle) {
    case TFormBorderStyle::bsNone:
        params.style |= WS_POPUP;
        break;
    case TFormBorderStyle::bsSingle:
        params.style |= WS_CAPTION | WS_BORDER;
        break;
    case TFormBorderStyle::bsSizeable:
        params.style |= WS_CAPTION | WS_THICKFRAME;
        break;
    case TFormBorderStyle::bsDialog:
        params.style |= WS_CAPTION | WS_POPUP;
        params.exStyle |= WS_EX_DLGMODALFRAME;
        break;
    }
    if (BorderIcons & biSystemMenu) {
        params.style |= WS_SYSMENU;
        if (BorderStyle != TFormBorderStyle::bsDialog) {
            if (BorderIcons & biMinimize) params.style |= WS_MINIMIZEBOX;
            if (BorderIcons & biMaximize) params.style |= WS_MAXIMIZEBOX;
        }
    }
    // With its own task bar button the main form is unowned; every other
    // form stays above the main form.
    const bool isMain = Application.MainForm() == this || !Application.MainForm();
    if (isMain && Application.MainFormOnTaskBar) {
        params.parent = nullptr;
        params.exStyle |= WS_EX_APPWINDOW;
    } else if (!isMain && Application.MainFormOnTaskBar) {
        params.parent = Application.MainForm()->Handle();
    } else {
        params.parent = Application.Handle();
    }
    RECT r{0, 0, clientWidth_, clientHeight_};
    AdjustWindowRectEx(&r, params.style, FALSE, params.exStyle);
    params.x = Left();
    params.y = Top();
    params.width = r.right - r.left;
    params.height = r.bottom - r.top;
}

void TForm::SetClientSize(int width, int height) {
    clientWidth_ = width;
    clientHeight_ = height;
    Realign();
    if (HandleAllocated()) {
        HWND h = Handle();
        RECT r{0, 0, width, height};
        AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(h, GWL_EXSTYLE)));
        SetWindowPos(h, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TForm::SetDesktopFont(bool value) {
    desktopFont_ = value;
    if (value) Font.Assign(Screen.IconFont());
}

void TForm::HandleCreated() {
    UpdateBounds();
}

void TForm::UpdateBounds() {
    if (!HandleAllocated()) return;
    const HWND h = Handle();
    RECT bounds;
    if (IsIconic(h)) {
        // A minimised window keeps the bounds it comes back to.
        WINDOWPLACEMENT placement{};
        placement.length = sizeof(placement);
        if (!GetWindowPlacement(h, &placement)) return;
        bounds = placement.rcNormalPosition;
    } else {
        if (!GetWindowRect(h, &bounds)) return;
        RECT client;
        if (GetClientRect(h, &client) && (client.right != clientWidth_ || client.bottom != clientHeight_)) {
            clientWidth_ = client.right;
            clientHeight_ = client.bottom;
            Realign();
        }
    }
    UpdateBoundsRect(bounds);
}

void TForm::SetActiveControl(TWinControl* control) {
    if (!control) return;
    lastFocus_ = control->Handle();
    if (HandleAllocated() && GetActiveWindow() == Handle()) ::SetFocus(lastFocus_);
}

void TForm::AfterConstruction() {
    Handle();
    if (OnCreate) OnCreate(this);
}

void TForm::ApplyPosition() {
    HWND h = Handle();
    RECT window;
    GetWindowRect(h, &window);
    const int w = window.right - window.left, ht = window.bottom - window.top;
    RECT area{};
    if (Position == TPosition::poOwnerFormCenter && Application.MainForm() && Application.MainForm() != this &&
        Application.MainForm()->HandleAllocated()) {
        GetWindowRect(Application.MainForm()->Handle(), &area);
    } else {
        MONITORINFO mi{};
        mi.cbSize = sizeof(mi);
        POINT pt{0, 0};
        GetMonitorInfoW(MonitorFromPoint(pt, MONITOR_DEFAULTTOPRIMARY), &mi);
        area = mi.rcWork;
    }
    int x = area.left + ((area.right - area.left) - w) / 2;
    int y = area.top + ((area.bottom - area.top) - ht) / 2;
    // Keep the whole window on the monitor it lands on.
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    RECT target{x, y, x + w, y + ht};
    if (GetMonitorInfoW(MonitorFromRect(&target, MONITOR_DEFAULTTONEAREST), &mi)) {
        if (x + w > mi.rcWork.right) x = mi.rcWork.right - w;
        if (y + ht > mi.rcWork.bottom) y = mi.rcWork.bottom - ht;
        if (x < mi.rcWork.left) x = mi.rcWork.left;
        if (y < mi.rcWork.top) y = mi.rcWork.top;
    }
    SetWindowPos(h, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Position = TPosition::poDesigned;
}

void TForm::Show() {
    if (Visible() && HandleAllocated() && IsWindowVisible(Handle())) {
        SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        return;
    }
    ShowingChanged(true);
}

void TForm::Hide() { ShowingChanged(false); }

void TForm::ShowingChanged(bool showing) {
    HWND h = Handle();
    if (showing) {
        if (Position != TPosition::poDesigned) ApplyPosition();
        TControl::SetVisible(true);
        if (OnShow) OnShow(this);
        ShowWindow(h, SW_SHOWNORMAL);
        UpdateWindow(h);
    } else {
        TControl::SetVisible(false);
        ShowWindow(h, SW_HIDE);
    }
}

void TForm::Close() {
    if (OnCloseQuery) {
        bool canClose = true;
        OnCloseQuery(this, canClose);
        if (!canClose) return;
    }
    if (modal_) {
        if (ModalResult == mrNone) ModalResult = mrCancel;
        return;
    }
    Hide();
    if (Application.MainForm() == this) Application.Terminate();
}

TModalResult TForm::ShowModal() {
    HWND self = Handle();
    // Every other enabled window of the program waits while the form is open.
    struct Collect {
        HWND self;
        std::vector<HWND> windows;
        static BOOL CALLBACK Add(HWND hwnd, LPARAM lp) {
            auto* c = reinterpret_cast<Collect*>(lp);
            if (hwnd != c->self && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) c->windows.push_back(hwnd);
            return TRUE;
        }
    } collect{self, {}};
    EnumThreadWindows(GetCurrentThreadId(), Collect::Add, reinterpret_cast<LPARAM>(&collect));

    // However the loop ends, a failure included, the other windows take input
    // again and this form goes: the program must never stay frozen behind it.
    class ModalScope {
      public:
        ModalScope(TForm& form, const std::vector<HWND>& disabled) : form_(form), disabled_(disabled) {
            for (HWND h : disabled_)
                EnableWindow(h, FALSE);
            form_.modal_ = true;
        }
        ~ModalScope() {
            form_.modal_ = false;
            for (HWND h : disabled_)
                EnableWindow(h, TRUE);
            form_.Hide();
        }
        ModalScope(const ModalScope&) = delete;
        ModalScope& operator=(const ModalScope&) = delete;

      private:
        TForm& form_;
        const std::vector<HWND>& disabled_;
    };
    {
        const ModalScope scope(*this, collect.windows);
        ModalResult = mrNone;
        Show();
        // The application's own handling, so its shortcut event sees this form's keys too.
        while (ModalResult == mrNone && !Application.Terminated())
            Application.HandleMessage();
    }
    const TModalResult result = ModalResult;
    ModalResult = mrNone;
    return result;
}

void TForm::FocusControlInside() {
    HWND self = Handle();
    HWND target = nullptr;
    if (lastFocus_ && IsWindow(lastFocus_) && IsChild(self, lastFocus_) && IsWindowVisible(lastFocus_) &&
        IsWindowEnabled(lastFocus_))
        target = lastFocus_;
    if (!target) target = GetNextDlgTabItem(self, nullptr, FALSE);
    if (target && target != self) ::SetFocus(target);
}

LRESULT TForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CLOSE:
        Close();
        return 0;
    case WM_WINDOWPOSCHANGED:
        UpdateBounds();
        break;
    case WM_NEXTDLGCTL: {
        // As in a dialog: a multi-line edit asks for the next control on Tab.
        // lParam set names the control; otherwise wParam set means backwards.
        const HWND self = Handle();
        HWND target = reinterpret_cast<HWND>(wp);
        if (!LOWORD(lp)) {
            const HWND focus = GetFocus();
            target = GetNextDlgTabItem(self, IsChild(self, focus) ? focus : nullptr, wp != 0);
        }
        if (target && IsChild(self, target)) ::SetFocus(target);
        return 0;
    }
    case DM_GETDEFID:
        // Asked by the dialog manager when Enter is pressed outside a button.
        if (TButton* button = FindDefaultButton(this); button && button->HandleAllocated())
            return MAKELRESULT(GetDlgCtrlID(button->Handle()), DC_HASDEFID);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(Handle(), focus)) lastFocus_ = focus;
        }
        break;
    case WM_SETFOCUS:
        // The form itself takes no keys: hand the focus on to the control
        // that last had it, or to the first in tab order.
        FocusControlInside();
        return 0;
    default:
        break;
    }
    return TWinControl::WndProc(msg, wp, lp);
}

// ---- TScreen ----

const TFont& TScreen::IconFont() {
    LOGFONTW lf{};
    if (!SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(lf), &lf, 0))
        GetObjectW(GetStockObject(SYSTEM_FONT), sizeof(lf), &lf);
    iconFont_.AssignLogFont(lf);
    return iconFont_;
}

const TFont& TScreen::HintFont() {
    if (!hintFontRead_) {
        // Windows before Vista knows the record without its last field.
        NONCLIENTMETRICSW metrics{};
        LOGFONTW lf{};
        const auto read = [&metrics](UINT size) {
            metrics.cbSize = size;
            return SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, size, &metrics, 0) != FALSE;
        };
        if (read(sizeof(metrics)) || read(offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth)))
            lf = metrics.lfStatusFont;
        else
            GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
        hintFont_.AssignLogFont(lf);
        hintFontRead_ = true;
    }
    return hintFont_;
}

std::optional<TMonitor> TScreen::MonitorFromPoint(POINT point, TMonitorDefaultTo rule) const {
    const DWORD flags = rule == TMonitorDefaultTo::mdNearest   ? MONITOR_DEFAULTTONEAREST
                        : rule == TMonitorDefaultTo::mdPrimary ? MONITOR_DEFAULTTOPRIMARY
                                                               : MONITOR_DEFAULTTONULL;
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    HMONITOR monitor = ::MonitorFromPoint(point, flags);
    if (!monitor || !GetMonitorInfoW(monitor, &info)) return std::nullopt;
    return TMonitor{monitor, info.rcMonitor};
}

RECT TScreen::DesktopRect() const {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
            top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

HCURSOR TScreen::Cursors(TCursor cursor) {
    if (!cursorsLoaded_) {
        const auto system = [](LPCWSTR id) { return LoadCursorW(nullptr, id); };
        cursors_ = {
            {crArrow, system(IDC_ARROW)}, {crHourGlass, system(IDC_WAIT)}, {crHandPoint, system(IDC_HAND)}};
        cursorsLoaded_ = true;
    }
    const auto it = cursors_.find(cursor);
    return it == cursors_.end() ? nullptr : it->second;
}

void TScreen::SetCursors(TCursor cursor, HCURSOR handle) {
    Cursors(cursor); // the built-in entries first, so that a later look-up cannot bring one back
    if (handle)
        cursors_[cursor] = handle;
    else
        cursors_.erase(cursor);
}

// ---- TApplication ----

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() {
    // The forms this object frees after its own members are gone must not
    // reach back into the hint machinery.
    hintControls = {nullptr, nullptr, true};
    hintWindow_.reset();
    if (handle_) DestroyWindow(handle_);
}

void TApplication::Initialize() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&icc);
    Handle();
    if (showHint_) EnsureHintWindow();
}

// ---- Hints ----

void TApplication::SetHint(const std::wstring& hint) {
    if (hint == hint_) return;
    hint_ = hint;
    if (OnHint) OnHint(this);
}

void TApplication::SetShowHint(bool value) {
    if (value == showHint_) return;
    showHint_ = value;
    if (value) {
        EnsureHintWindow();
    } else {
        CancelHint();
        hintWindow_.reset();
        hintWindowMadeBy_ = nullptr;
    }
}

void TApplication::EnsureHintWindow() {
    if (hintWindow_ && hintWindowMadeBy_ == HintWindowClass) return;
    hintWindow_.reset();
    hintWindowMadeBy_ = HintWindowClass;
    if (HintWindowClass) hintWindow_ = HintWindowClass(this);
}

void TApplication::HintMouseMessage(TControl* control, POINT screenPoint) {
    if (control != hintControls.mouse) {
        hintControls.mouse = control;
        SetHint(control ? LongHint(control->Hint) : std::wstring());
    }
    if (!showHint_ || !control || !control->ShowHint || control->Hint.empty()) {
        CancelHint();
        return;
    }
    hintPoint_ = screenPoint;
    if (control == hintControls.hint) return;
    // Once one hint is up, the next control's hint follows after the short pause.
    const bool wasActive = hintActive_;
    CancelHint();
    hintActive_ = wasActive;
    hintControls.hint = control;
    StartHintTimer(wasActive ? HintShortPause : HintPause, HintTimerMode::show);
}

void TApplication::HintMouseMove(const MSG& msg) {
    POINT screen{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
    ClientToScreen(msg.hwnd, &screen);
    // The nearest window of ours, then the windowless control at the point.
    HWND h = msg.hwnd;
    while (h && !TWinControl::FromHandle(h))
        h = GetParent(h);
    TWinControl* window = TWinControl::FromHandle(h);
    TControl* control = window;
    if (window) {
        POINT client = screen;
        ScreenToClient(h, &client);
        if (TGraphicControl* graphic = window->GraphicControlAt(client)) control = graphic;
    }
    HintMouseMessage(control, screen);
}

void TApplication::ActivateHint(POINT cursor) {
    TControl* control = hintControls.hint;
    const std::wstring text = control ? ShortHint(control->Hint) : std::wstring();
    if (text.empty() || !showHint_) {
        CancelHint();
        return;
    }
    EnsureHintWindow();
    if (!hintWindow_) return;
    hintActive_ = true;
    // Below the pointer, clear of its shape.
    RECT rect = hintWindow_->CalcHintRect(GetSystemMetrics(SM_CXSCREEN), text, nullptr);
    OffsetRect(&rect, cursor.x, cursor.y + GetSystemMetrics(SM_CYCURSOR));
    hintWindow_->ActivateHintData(rect, text, nullptr);
    StartHintTimer(HintHidePause, HintTimerMode::hide);
}

void TApplication::HideHint() {
    if (HideHintHook) {
        HideHintHook(*this);
        return;
    }
    if (!hintWindow_ || !hintWindow_->HandleAllocated() || !IsWindowVisible(hintWindow_->Handle())) return;
    if (hintWindow_->ShouldHideHint())
        ShowWindow(hintWindow_->Handle(), SW_HIDE);
    else
        StartHintTimer(HintHidePause, HintTimerMode::hide);
}

void TApplication::CancelHint() {
    if (!hintControls.hint) return;
    HideHint();
    hintControls.hint = nullptr;
    hintActive_ = false;
    StopHintTimer();
}

void TApplication::StartHintTimer(int pause, HintTimerMode mode) {
    hintTimerMode_ = mode;
    SetTimer(Handle(), HintTimerId, static_cast<UINT>(std::max(pause, 1)), HintTimerProc);
}

void TApplication::StopHintTimer() {
    if (handle_) KillTimer(handle_, HintTimerId);
}

void CALLBACK TApplication::HintTimerProc(HWND, UINT, UINT_PTR, DWORD) {
    // No exception may cross back into Windows.
    try {
        Application.HintTimerExpired();
    } catch (...) {
    }
}

void TApplication::HintTimerExpired() {
    StopHintTimer();
    if (hintTimerMode_ == HintTimerMode::hide)
        HideHint();
    else
        ActivateHint(hintPoint_);
}

void HintControlDestroyed(TControl* control) {
    if (control == hintControls.mouse) hintControls.mouse = nullptr;
    if (control != hintControls.hint) return;
    if (hintControls.closing)
        hintControls.hint = nullptr;
    else
        Application.CancelHint();
}

HWND TApplication::Handle() {
    if (!handle_) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hIcon = LoadIconW(wc.hInstance, L"MAINICON");
        wc.lpszClassName = L"THastrelApplication";
        RegisterClassExW(&wc);
        handle_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU, 0,
                                  0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
    }
    return handle_;
}

bool TApplication::ShortCut(const MSG& msg) {
    bool handled = OnShortCut && OnShortCut(msg);
    TWMKey key{msg.message, LOWORD(msg.wParam), msg.lParam};
    // A handler may free a listener: walk a copy, and skip the ones gone meanwhile.
    const std::vector<TApplicationEvents*> listeners = applicationEvents;
    for (TApplicationEvents* events : listeners) {
        if (std::find(applicationEvents.begin(), applicationEvents.end(), events) == applicationEvents.end()) continue;
        if (events->OnShortCut) events->OnShortCut(key, handled);
    }
    return handled;
}

bool TApplication::ProcessMessage(MSG& msg) {
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return false;
    }
    if (IsInputForDisabledWindow(msg)) return true;
    if (msg.message == WM_MOUSEMOVE) HintMouseMove(msg);
    if (hintWindow_ && hintWindow_->IsHintMsg(msg)) CancelHint();
    if ((msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && ShortCut(msg)) return true;
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && dynamic_cast<TForm*>(TWinControl::FromHandle(root))) {
        // Keyboard use shows the focus rectangles and accelerator underlines
        // that a mouse user does not need.
        if (IsNavigationKey(msg))
            SendMessageW(root, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
        if (IsDialogMessageW(root, &msg)) return true;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

void TApplication::Run() {
    try {
        if (mainForm_) mainForm_->Show();
    } catch (...) {
    }
    MSG msg;
    while (!terminated_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) break;
        ProcessMessage(msg);
    }
}

void TApplication::HandleMessage() {
    MSG msg;
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) {
        Terminate();
        return;
    }
    if (got == 0) {
        terminated_ = true;
        return;
    }
    ProcessMessage(msg);
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!ProcessMessage(msg)) break;
    }
}

// ---- TApplicationEvents ----

TApplicationEvents::TApplicationEvents(TComponent* owner) : TComponent(owner) { applicationEvents.push_back(this); }

TApplicationEvents::~TApplicationEvents() {
    applicationEvents.erase(std::remove(applicationEvents.begin(), applicationEvents.end(), this),
                            applicationEvents.end());
}

void TApplication::Terminate() {
    if (!terminated_) PostQuitMessage(0);
    terminated_ = true;
}
