#include "framework/HintWindow.h"

#include "framework/Forms.h"

THintWindowClass HintWindowClass = HintWindowOf<THintWindow>;

namespace {

// Space between the text and the border.
constexpr int HintMargin = 2;

constexpr UINT HintTextFormat = DT_LEFT | DT_NOPREFIX | DT_WORDBREAK;

} // namespace

THintWindow::THintWindow(TComponent* AOwner) : TWinControl(AOwner) {
    SetVisible(false);
    SetColor(clSystemColor | COLOR_INFOBK);
}

void THintWindow::CreateParams(WindowParams& params) {
    TWinControl::CreateParams(params);
    params.style = WS_POPUP | WS_BORDER;
    params.exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    params.parent = nullptr;
}

void THintWindow::ActivateHint(const RECT& Rect, const std::wstring& AHint) {
    SetCaption(AHint);
    HWND h = Handle();
    if (!h) return;
    SetWindowPos(h, HWND_TOPMOST, Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(h, nullptr, TRUE);
}

void THintWindow::ActivateHintData(const RECT& Rect, const std::wstring& AHint, void*) {
    ActivateHint(Rect, AHint);
}

RECT THintWindow::CalcHintRect(int MaxWidth, const std::wstring& AHint, void*) {
    RECT r{0, 0, MaxWidth, 0};
    WindowDc screen(nullptr, GetDC(nullptr));
    if (screen.get()) {
        SelectedObject font(screen.get(), Screen.HintFont().Handle());
        DrawTextW(screen.get(), AHint.c_str(), static_cast<int>(AHint.size()), &r,
                  HintTextFormat | DT_CALCRECT);
    }
    // The border and the margins on each side.
    r.right += 2 * (HintMargin + 1);
    r.bottom += 2 * (HintMargin + 1);
    return r;
}

bool THintWindow::IsHintMsg(const MSG& Msg) {
    const UINT m = Msg.message;
    return (m >= WM_KEYFIRST && m <= WM_KEYLAST) || m == WM_NCMOUSEMOVE ||
           (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST && m != WM_MOUSEMOVE);
}

bool THintWindow::ShouldHideHint() {
    return true;
}

void THintWindow::ReleaseHandle() {
    DestroyHandle();
}

void THintWindow::Paint(HDC dc) {
    RECT client;
    GetClientRect(Handle(), &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_INFOBK));
    InflateRect(&client, -HintMargin, -HintMargin);
    SelectedObject font(dc, Screen.HintFont().Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    const std::wstring& text = Caption();
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &client, HintTextFormat);
}

void THintWindow::NCPaint(HDC dc) {
    RECT r;
    GetWindowRect(Handle(), &r);
    OffsetRect(&r, -r.left, -r.top);
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
}

LRESULT THintWindow::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_NCHITTEST:
        // The mouse passes through to the control under the hint.
        return HTTRANSPARENT;
    case WM_NCPAINT:
        if (WindowDc frame(Handle(), GetWindowDC(Handle())); frame.get()) NCPaint(frame.get());
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        Paint(dc);
        EndPaint(Handle(), &ps);
        return 0;
    }
    default:
        return TWinControl::WndProc(msg, wp, lp);
    }
}
