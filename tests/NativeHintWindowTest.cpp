// Hints as native tooltips: pauses, measuring, when a tooltip is made again
// or kept, where it goes on its monitor, and the unit's hide request. Wine's
// tooltips neither adjust their rectangle nor stay where they are put, so the
// messages to the tooltip are recorded and the screen is one of our own.
#include "support/NativeHintWindow.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "support/Seams.h"

namespace {

struct ToolTipMessage {
    UINT message;
    WPARAM wp;
    LPARAM lp;
    TOOLINFOW tool; // for TTM_ADDTOOLW
};
std::vector<ToolTipMessage> sent;

// What Windows' tooltips add around the text on each side.
constexpr int MarginX = 3, MarginY = 2;

LRESULT WINAPI RecordToolTipMessage(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    sent.push_back(
        {message, wp, lp, message == TTM_ADDTOOLW ? *reinterpret_cast<TOOLINFOW*>(lp) : TOOLINFOW{}});
    if (message != TTM_ADJUSTRECT) return SendMessageW(window, message, wp, lp);
    InflateRect(reinterpret_cast<RECT*>(lp), MarginX, MarginY);
    return TRUE;
}

UINT doubleClickTime = 500;
UINT WINAPI FakeDoubleClickTime() {
    return doubleClickTime;
}
POINT pointer{};
BOOL WINAPI FakeCursorPos(LPPOINT point) {
    *point = pointer;
    return TRUE;
}
RECT monitor{};
std::optional<TMonitor> FakeMonitor(POINT) {
    return TMonitor{nullptr, monitor};
}

SIZE Measured(const std::wstring& text) {
    WindowDc screen(nullptr, GetDC(nullptr));
    SelectedObject font(screen.get(), Screen.HintFont().Handle());
    SIZE size{};
    GetTextExtentPoint32W(screen.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

const ToolTipMessage& LastSent(UINT message) {
    static const ToolTipMessage none{};
    for (auto it = sent.rbegin(); it != sent.rend(); ++it)
        if (it->message == message) return *it;
    ADD_FAILURE() << "message not sent: " << message;
    return none;
}

POINT TrackPosition() {
    const LPARAM lp = LastSent(TTM_TRACKPOSITION).lp;
    return {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
}

class NativeHints : public testing::Test {
  protected:
    void SetUp() override {
        sent.clear();
        doubleClickTime = 500;
        monitor = {0, 0, 800, 600};
        SendToolTipMessageCall = RecordToolTipMessage;
        GetDoubleClickTimeCall = FakeDoubleClickTime;
        GetCursorPosCall = FakeCursorPos;
        MonitorFromPointCall = FakeMonitor;
        StartNativeHintWindow();
    }
    void TearDown() override {
        EndNativeHintWindow();
        SendToolTipMessageCall = savedSend_;
        GetDoubleClickTimeCall = savedDoubleClick_;
        GetCursorPosCall = savedCursor_;
        MonitorFromPointCall = savedMonitor_;
        HintWindowClass = savedClass_;
        Application.OnHint = nullptr;
        Application.SetHint(L"");
        Application.SetShowHint(true);
    }

  private:
    SendMessageFunction savedSend_ = SendToolTipMessageCall;
    GetDoubleClickTimeFunction savedDoubleClick_ = GetDoubleClickTimeCall;
    GetCursorPosFunction savedCursor_ = GetCursorPosCall;
    MonitorFromPointFunction savedMonitor_ = MonitorFromPointCall;
    THintWindowClass savedClass_ = HintWindowClass;
};

TEST_F(NativeHints, PausesFollowTheDoubleClickTime) {
    struct Row {
        UINT doubleClick;
        int pause, shortPause, hidePause;
    };
    for (const Row& row : {Row{500, 500, 100, 5000}, Row{499, 499, 99, 4990}}) {
        doubleClickTime = row.doubleClick;
        THintWindowFix window(&Application);
        EXPECT_EQ(Application.HintPause, row.pause);
        EXPECT_EQ(Application.HintShortPause, row.shortPause);
        EXPECT_EQ(Application.HintHidePause, row.hidePause);
    }
}

TEST_F(NativeHints, OnlyCrLfSplitsLinesAndEveryLineCounts) {
    const SIZE wide = Measured(L"a wider first line"), narrow = Measured(L"x"), empty = Measured(L"");

    const SIZE two = GetHintTextExtent(L"a wider first line\r\nx", 0);
    EXPECT_EQ(two.cx, wide.cx);
    EXPECT_EQ(two.cy, wide.cy + narrow.cy);
    const SIZE trailing = GetHintTextExtent(L"x\r\n", 0);
    EXPECT_EQ(trailing.cx, narrow.cx);
    EXPECT_EQ(trailing.cy, narrow.cy + empty.cy);

    const SIZE bareLf = GetHintTextExtent(L"ab\ncd", 0);
    EXPECT_EQ(bareLf.cx, Measured(L"ab\ncd").cx);
    EXPECT_EQ(bareLf.cy, Measured(L"ab\ncd").cy);

    // Never wrapped at the width asked for.
    THintWindowFix window(&Application);
    EXPECT_EQ(window.CalcHintRect(10, L"a wider first line\r\nx", nullptr).right, two.cx);
}

TEST_F(NativeHints, SameTextKeepsTheTooltipWhereItIsAndAnotherTextReplacesIt) {
    auto owned = std::make_unique<THintWindowFix>(&Application);
    THintWindowFix& window = *owned;
    window.ActivateHint({40, 50, 0, 0}, L"Hint");
    const HWND first = window.ToolTip();
    ASSERT_TRUE(IsWindow(first));
    EXPECT_EQ(TrackPosition().x, 40);
    EXPECT_EQ(TrackPosition().y, 51);
    const TOOLINFOW& tool = LastSent(TTM_ADDTOOLW).tool;
    EXPECT_EQ(tool.cbSize, offsetof(TOOLINFOW, lpReserved))
        << "the size that every release's common controls accept";
    EXPECT_EQ(tool.uFlags, static_cast<UINT>(TTF_SUBCLASS | TTF_TRACK | TTF_ABSOLUTE | TTF_TRANSPARENT));
    EXPECT_NE(LastSent(TTM_TRACKACTIVATE).wp, 0u);

    sent.clear();
    window.ActivateHint({300, 300, 0, 0}, L"Hint");
    EXPECT_EQ(window.ToolTip(), first);
    EXPECT_TRUE(sent.empty());

    window.ActivateHint({300, 300, 0, 0}, L"hint");
    EXPECT_FALSE(IsWindow(first));
    EXPECT_TRUE(IsWindow(window.ToolTip()));
    EXPECT_EQ(TrackPosition().x, 300);

    // The tooltip goes with its window.
    const HWND second = window.ToolTip();
    owned.reset();
    EXPECT_FALSE(IsWindow(second));
}

TEST_F(NativeHints, BlankShortHintTakesTheTooltipAway) {
    THintWindowFix window(&Application);
    window.ActivateHint({10, 10, 0, 0}, L"Tip");
    const HWND tip = window.ToolTip();
    Application.SetHint(L"Tip|with a long part");
    EXPECT_TRUE(IsWindow(tip));
    Application.SetHint(L" \t |with a long part");
    EXPECT_FALSE(IsWindow(tip));
    EXPECT_EQ(window.ToolTip(), nullptr);
}

TEST_F(NativeHints, TooltipStaysWithinItsMonitor) {
    const std::wstring text = L"A hint of some width";
    const SIZE size = Measured(text);
    const int w = size.cx + 4 * MarginX, h = size.cy + 4 * MarginY; // the adjustment counts twice
    THintWindowFix window(&Application);
    struct Case {
        const char* what;
        RECT monitor;
        POINT at, pointer, expected;
    };
    const Case cases[] = {
        {"room enough", {0, 0, 800, 600}, {100, 100}, {0, 0}, {100, 100}},
        {"low: above the pointer", {0, 0, 800, 600}, {100, 600 - h}, {120, 590}, {100, 590 - h}},
        {"low, pointer near the top", {0, 0, 800, 600}, {100, 590}, {120, 5}, {100, 0}},
        {"past the right edge", {0, 0, 800, 600}, {790, 100}, {0, 0}, {800 - w, 100}},
        {"wider than its monitor", {1000, 0, 1000 + w / 2, 600}, {1010, 100}, {0, 0}, {1000, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        monitor = c.monitor;
        pointer = c.pointer;
        sent.clear();
        UniqueWindow tip = window.ShowToolTip(c.at, text);
        ASSERT_TRUE(tip);
        EXPECT_EQ(TrackPosition().x, c.expected.x);
        EXPECT_EQ(TrackPosition().y, c.expected.y + 1);
        EXPECT_EQ(LastSent(TTM_SETMAXTIPWIDTH).lp, c.monitor.right - c.monitor.left);
    }
}

TEST_F(NativeHints, HideRequestReachesOnlyTheEarliestLiveHintWindow) {
    Application.HideHint(); // no hint window yet: nothing to do
    // The framework's own hint window is made of the unit's class.
    Application.SetShowHint(false);
    Application.SetShowHint(true);
    ASSERT_NE(dynamic_cast<THintWindowFix*>(Application.HintWindow()), nullptr);
    Application.SetShowHint(false);
    EXPECT_TRUE(HintWindowList->empty());

    auto first = std::make_unique<THintWindowFix>(&Application);
    auto second = std::make_unique<THintWindowFix>(&Application);
    first->ActivateHint({10, 10, 0, 0}, L"First");
    second->ActivateHint({10, 40, 0, 0}, L"Second");
    const HWND secondTip = second->ToolTip();

    Application.HideHint();
    EXPECT_EQ(first->ToolTip(), nullptr);
    EXPECT_TRUE(IsWindow(secondTip));

    first.reset();
    Application.HideHint();
    EXPECT_FALSE(IsWindow(secondTip));

    // Once the unit has ended, a hide request and a hint window going away touch nothing.
    second->ActivateHint({10, 40, 0, 0}, L"Second");
    Application.SetShowHint(true);
    EndNativeHintWindow();
    EXPECT_EQ(HintWindowList, nullptr);
    EXPECT_EQ(Application.HintWindow(), nullptr);
    Application.HideHint();
    HideNativeHint(Application);
    EXPECT_TRUE(IsWindow(second->ToolTip()));
    second.reset();
}

TEST_F(NativeHints, DestroyPutsTheSavedHandlerBackOnlyWhileOnHintIsItsOwn) {
    int before = 0, later = 0;
    const auto counter = [](int& count) { return [&count](TComponent*) { ++count; }; };

    // Freed in creation order, then in reverse order: the first handler comes back both times.
    for (bool creationOrder : {true, false}) {
        Application.OnHint = counter(before);
        auto first = std::make_unique<THintWindowFix>(&Application);
        auto second = std::make_unique<THintWindowFix>(&Application);
        if (creationOrder) {
            first.reset();
            second.reset();
        } else {
            second.reset();
            first.reset();
        }
        before = 0;
        Application.OnHint(&Application);
        EXPECT_EQ(before, 1) << "creation order " << creationOrder;
    }

    auto window = std::make_unique<THintWindowFix>(&Application);
    Application.OnHint = counter(later);
    window.reset();
    before = later = 0;
    Application.OnHint(&Application);
    EXPECT_EQ(later, 1);
    EXPECT_EQ(before, 0);
}

} // namespace
