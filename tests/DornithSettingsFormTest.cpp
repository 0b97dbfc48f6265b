// The progress window and its timed steps.
#include "app/DornithSettingsForm.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

std::vector<std::wstring> statusAtPauses;
std::vector<int> barAtPauses;

void RecordPause(unsigned) {
    statusAtPauses.push_back(KVSettingsForm->CurrentSettingsLabel->Caption());
    barAtPauses.push_back(KVSettingsForm->MainProgress->Position());
}

class ProgressWindow : public testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!KVSettingsForm) Application.CreateForm(KVSettingsForm);
    }
    void SetUp() override {
        ProgressPacing = {60, 90, 5, 10, 30, 0, RecordPause};
        statusAtPauses.clear();
        barAtPauses.clear();
    }
    void TearDown() override {
        KVSettingsForm->Hide();
        ProgressPacing = DefaultProgressPacing;
    }
};

TEST(ProgressPercent, RoundsToTheNearestWithHalvesToEven) {
    EXPECT_EQ(ProgressPercent(1, 33), 3);
    EXPECT_EQ(ProgressPercent(17, 33), 52);
    EXPECT_EQ(ProgressPercent(33, 33), 100);
    EXPECT_EQ(ProgressPercent(2, 29), 7);
    EXPECT_EQ(ProgressPercent(29, 29), 100);
    EXPECT_EQ(ProgressPercent(1, 8), 12);  // 12.5
    EXPECT_EQ(ProgressPercent(3, 8), 38);  // 37.5
    EXPECT_EQ(ProgressPercent(0, 33), 0);
}

TEST(ProgressPacingDefaults, AreTheShippedNumbers) {
    EXPECT_EQ(DefaultProgressPacing.MinPasses, 1000000);
    EXPECT_EQ(DefaultProgressPacing.MaxPasses, 3000000);
    EXPECT_EQ(DefaultProgressPacing.FirstDotPass, 20000);
    EXPECT_EQ(DefaultProgressPacing.SecondDotPass, 50000);
    EXPECT_EQ(DefaultProgressPacing.ThirdDotPass, 150000);
    EXPECT_EQ(DefaultProgressPacing.PauseMilliseconds, 500u);
}

TEST_F(ProgressWindow, AStepShowsItsTextWithOneTwoAndThreeDotsThenMovesTheBar) {
    KVSettingsForm->Show();
    ProgressStepTotal = 33;
    ProgressStepsDone = 0;
    ShowProgressStep(L"Finding modem information");
    EXPECT_EQ(statusAtPauses, (std::vector<std::wstring>{L"Finding modem information.", L"Finding modem information..",
                                                          L"Finding modem information..."}));
    EXPECT_EQ(barAtPauses, (std::vector<int>{0, 0, 0})) << "the bar moves only at the end of the step";
    EXPECT_EQ(ProgressStepsDone, 1);
    EXPECT_EQ(KVSettingsForm->MainProgress->Position(), 3);
    // Between steps the last text stays, with its three dots.
    EXPECT_EQ(KVSettingsForm->CurrentSettingsLabel->Caption(), L"Finding modem information...");
}

TEST_F(ProgressWindow, TheBarFollowsTheStepsOfAWholeRun) {
    KVSettingsForm->Show();
    ProgressStepTotal = 29;
    ProgressStepsDone = 0;
    std::vector<int> bar;
    for (int i = 0; i < 29; ++i) {
        ShowProgressStep(L"x");
        bar.push_back(KVSettingsForm->MainProgress->Position());
    }
    EXPECT_EQ(bar[1], 7);
    EXPECT_EQ(bar.back(), 100);
    EXPECT_EQ(ProgressStepsDone, 29);
    EXPECT_EQ(statusAtPauses.size(), 29u * 3u);
    for (const std::wstring& s : statusAtPauses) EXPECT_NE(s, L"x") << "the bare text is never shown";
}

TEST_F(ProgressWindow, EveryShowingResetsTheBarAndTakesTheCaptions) {
    KVSettingsForm->MainProgress->SetPosition(100);
    KVSettingsForm->Position = TPosition::poOwnerFormCenter;
    KVSettingsForm->Show();
    EXPECT_EQ(KVSettingsForm->MainProgress->Position(), 0);
    EXPECT_EQ(KVSettingsForm->Caption(), L"Updating computer's gaming and internet settings");
    EXPECT_EQ(KVSettingsForm->Position, TPosition::poDesigned) << "the centring applies to one showing";
    RECT client;
    GetClientRect(KVSettingsForm->Handle(), &client);
    EXPECT_EQ(client.right, 479);
    EXPECT_EQ(client.bottom, 146);
    EXPECT_EQ(GetWindowLongPtrW(KVSettingsForm->Handle(), GWL_STYLE) & WS_SYSMENU, 0) << "no close box";
}

// The labels have no cursor of their own: over them too the pointer is the hourglass.
TEST_F(ProgressWindow, TheWholeWindowShowsTheHourglass) {
    KVSettingsForm->Show();
    const HWND panel = KVSettingsForm->SettingsPanel->Handle();
    const HCURSOR hourglass = LoadCursorW(nullptr, IDC_WAIT);
    for (const TControl* label : {static_cast<TControl*>(KVSettingsForm->CurrentSettingsHeading),
                                  static_cast<TControl*>(KVSettingsForm->CurrentSettingsLabel)}) {
        POINT at{label->Left() + 2, label->Top() + 2};
        ClientToScreen(panel, &at);
        ASSERT_TRUE(SetCursorPos(at.x, at.y));
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        SendMessageW(panel, WM_SETCURSOR, reinterpret_cast<WPARAM>(panel),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), hourglass) << testing::PrintToString(label->Name);
    }
}

TEST_F(ProgressWindow, AStepWithNoTotalLeavesTheBarAlone) {
    KVSettingsForm->Show();
    KVSettingsForm->MainProgress->SetPosition(40);
    ProgressStepTotal = 0;
    ProgressStepsDone = 0;
    ShowProgressStep(L"y");
    EXPECT_EQ(KVSettingsForm->MainProgress->Position(), 40);
}

} // namespace

namespace {

// Not part of the suite: one step at the shipped pacing takes a minute or
// more under Wine. Run with --gtest_also_run_disabled_tests to measure it.
TEST(ProgressTiming, DISABLED_OneStepAtTheShippedPacing) {
    if (!KVSettingsForm) Application.CreateForm(KVSettingsForm);
    ProgressPacing = DefaultProgressPacing;
    KVSettingsForm->Show();
    ProgressStepTotal = 33;
    ProgressStepsDone = 0;
    const DWORD start = GetTickCount();
    ShowProgressStep(L"Finding modem information");
    const DWORD elapsed = GetTickCount() - start;
    std::printf("one step at the shipped pacing: %lu ms\n", static_cast<unsigned long>(elapsed));
    EXPECT_GE(elapsed, 1500u);
}

} // namespace
