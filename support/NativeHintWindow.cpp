#include "support/NativeHintWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <memory>

#include "support/Seams.h"

namespace {

// Application.OnHint as a hint window installs it, so that the window can
// tell later whether the handler is still its own.
struct AppHintBinding {
    THintWindowFix* window;
    void operator()(TComponent* sender) const { window->AppHint(sender); }
};

bool IsAppHintOf(const TNotifyEvent& handler, const THintWindowFix* window) {
    const auto* binding = handler.target<AppHintBinding>();
    return binding && binding->window == window;
}

// The tool record goes by the size that ends at lParam (TTTOOLINFOW_V2_SIZE):
// the common controls before version 6 (Windows 2000) refuse a larger one,
// version 6 takes this one too, and the field after lParam is never used.
constexpr UINT ToolRecordSize = offsetof(TOOLINFOW, lpReserved);

std::unique_ptr<std::vector<THintWindowFix*>> ownedHintWindowList;

} // namespace

std::vector<THintWindowFix*>* HintWindowList = nullptr;

// ---- THintWindowFix ----

THintWindowFix::THintWindowFix(TComponent* AOwner) : THintWindow(AOwner) {
    try {
        OldAppHintHandler = Application.OnHint;
        Application.OnHint = AppHintBinding{this};
        Application.HintPause = static_cast<int>(GetDoubleClickTimeCall());
        Application.HintShortPause = static_cast<int>(GetDoubleClickTimeCall() / 5);
        Application.HintHidePause = static_cast<int>(GetDoubleClickTimeCall() * 10);
        if (HintWindowList) HintWindowList->push_back(this);
    } catch (...) {
    }
}

THintWindowFix::~THintWindowFix() {
    try {
        if (HintWindowList) {
            auto& list = *HintWindowList;
            if (auto it = std::find(list.begin(), list.end(), this); it != list.end()) list.erase(it);
        }
        // A handler installed since this window was created stays. A later
        // hint window that saved this one's handler takes over what this one
        // saved, so that no handler is left bound to a freed window.
        if (IsAppHintOf(Application.OnHint, this)) {
            Application.OnHint = OldAppHintHandler;
        } else if (HintWindowList) {
            for (THintWindowFix* other : *HintWindowList)
                if (IsAppHintOf(other->OldAppHintHandler, this)) other->OldAppHintHandler = OldAppHintHandler;
        }
        // A topmost tooltip without an owner would otherwise stay on screen.
        ReleaseHandle();
    } catch (...) {
    }
}

LRESULT THintWindowFix::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCPAINT || msg == WM_PRINT) return 0;
    return THintWindow::WndProc(msg, wp, lp);
}

void THintWindowFix::AppHint(TComponent*) {
    try {
        const std::wstring& hint = Application.Hint();
        const std::wstring shortHint = hint.substr(0, hint.find(L'|'));
        const bool blank =
            std::all_of(shortHint.begin(), shortHint.end(), [](wchar_t ch) { return ch <= L' '; });
        if (blank) ReleaseHandle();
    } catch (...) {
    }
}

void THintWindowFix::ReleaseHandle() {
    try {
        // A handle whose window is gone is only forgotten: it may name another window by now.
        if (IsWindow(FToolTip.get()))
            FToolTip.reset();
        else
            FToolTip.release();
    } catch (...) {
    }
}

void THintWindowFix::ActivateHint(const RECT& Rect, const std::wstring& AHint) {
    try {
        // The same text stays where it was first shown.
        if (IsWindow(FToolTip.get()) && AHint == Caption()) return;
        ReleaseHandle();
        SetCaption(AHint);
        FToolTip = ShowToolTip({Rect.left, Rect.top}, AHint);
    } catch (...) {
    }
}

RECT THintWindowFix::CalcHintRect(int, const std::wstring& AHint, void*) {
    try {
        const SIZE size = GetHintTextExtent(AHint, 0);
        return {0, 0, size.cx, size.cy};
    } catch (...) {
        return {0, 0, 0, 0};
    }
}

UniqueWindow THintWindowFix::ShowToolTip(POINT P, const std::wstring& Text) {
    try {
        UniqueWindow tip(CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                                         nullptr, GetModuleHandleW(nullptr), nullptr));
        if (!tip) return {};
        SetWindowPos(tip.get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
        // Owner and monitor are taken where the hint was asked for, before it moves.
        HWND owner = WindowFromPoint(P);
        const std::optional<TMonitor> monitor = MonitorFromPointCall(P);
        const RECT bounds = monitor ? monitor->BoundsRect : Screen.DesktopRect();
        const int boundsWidth = bounds.right - bounds.left;

        const RECT text = CalcHintRect(boundsWidth, Text, nullptr);
        int w = text.right - text.left, h = text.bottom - text.top;
        RECT margin{};
        SendToolTipMessageCall(tip.get(), TTM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&margin));
        w += 2 * (margin.right - margin.left);
        h += 2 * (margin.bottom - margin.top);

        // Too low: above the pointer. Then wholly within the monitor, the top-left corner winning.
        if (P.y + h >= bounds.bottom) {
            POINT pointer = P;
            GetCursorPosCall(&pointer);
            P.y = pointer.y - h;
        }
        if (P.x + w >= bounds.right) P.x = bounds.right - w;
        if (P.x < bounds.left) P.x = bounds.left;
        if (P.y < bounds.top) P.y = bounds.top;

        SendToolTipMessageCall(tip.get(), TTM_SETMAXTIPWIDTH, 0, boundsWidth);
        TOOLINFOW tool{};
        tool.cbSize = ToolRecordSize;
        tool.uFlags = TTF_SUBCLASS | TTF_TRACK | TTF_ABSOLUTE | TTF_TRANSPARENT;
        tool.hwnd = owner;
        tool.lpszText = const_cast<LPWSTR>(Text.c_str());
        SendToolTipMessageCall(tip.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        // One pixel lower than the computed point.
        SendToolTipMessageCall(tip.get(), TTM_TRACKPOSITION, 0, MAKELPARAM(P.x, P.y + 1));
        SendToolTipMessageCall(tip.get(), TTM_TRACKACTIVATE, ~WPARAM{0}, reinterpret_cast<LPARAM>(&tool));
        return tip;
    } catch (...) {
        return {};
    }
}

// ---- Measuring ----

SIZE GetHintTextExtent(const std::wstring& Text, int Extra) {
    try {
        SIZE total{0, 0};
        size_t start = 0;
        for (size_t end; (end = Text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2) {
            const SIZE line = GetTextLineExtent(Text.substr(start, end - start));
            total.cx = std::max(total.cx, line.cx);
            total.cy += line.cy + Extra;
        }
        const SIZE last = GetTextLineExtent(Text.substr(start));
        total.cx = std::max(total.cx, last.cx);
        total.cy += last.cy;
        return total;
    } catch (...) {
        return {0, 0};
    }
}

SIZE GetTextLineExtent(const std::wstring& Line) {
    try {
        WindowDc screen(nullptr, GetDC(nullptr));
        if (!screen.get()) return {0, 0};
        SelectedObject font(screen.get(), Screen.HintFont().Handle());
        SIZE size{0, 0};
        if (!GetTextExtentPoint32W(screen.get(), Line.c_str(), static_cast<int>(Line.size()), &size))
            return {0, 0};
        return size;
    } catch (...) {
        return {0, 0};
    }
}

// ---- Unit start and end ----

void HideNativeHint(TApplication&) {
    try {
        if (HintWindowList && !HintWindowList->empty()) HintWindowList->front()->ReleaseHandle();
    } catch (...) {
    }
}

void InstallHintWindowFix() {
    try {
        HintWindowClass = HintWindowOf<THintWindowFix>;
        Application.HideHintHook = HideNativeHint;
    } catch (...) {
    }
}

void StartNativeHintWindow() {
    try {
        ownedHintWindowList = std::make_unique<std::vector<THintWindowFix*>>();
        HintWindowList = ownedHintWindowList.get();
        InstallHintWindowFix();
    } catch (...) {
    }
}

void EndNativeHintWindow() {
    try {
        // Nothing may reach the list once it is gone: neither a hide request nor a hint window.
        if (Application.HideHintHook == HideNativeHint) Application.HideHintHook = nullptr;
        Application.SetShowHint(false);
        HintWindowList = nullptr;
        ownedHintWindowList.reset();
    } catch (...) {
    }
}
