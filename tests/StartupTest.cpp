// The program's start-up, end to end: the real Hastrel.exe in this prefix.
#include <gtest/gtest.h>

#include "framework/DateTime.h"
#include "support/AppDriver.h"
#include "support/ProgramWindows.h"
#include "support/TestRegistry.h"

namespace {

const std::wstring Key = L"Software\\Brenlow\\Hastrel";

class Startup : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(driver::CountWindows(L"TKVMainForm"), 0) << "another Hastrel is running";
        driver::ClearProductKey();
    }
    void TearDown() override {
        if (app_) app_.Kill();
        driver::ClearProductKey();
    }

    // Starts Hastrel and waits for its main window.
    HWND Launch() {
        app_ = driver::Start();
        EXPECT_TRUE(app_) << "could not start " << testing::PrintToString(driver::HastrelPath());
        if (!app_) return nullptr;
        return driver::WaitForWindow(L"TKVMainForm", app_.Id());
    }

    // Closes the main window as the user would and expects a clean end.
    void CloseAndExpectExitCodeZero(HWND window) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        DWORD code = 99;
        ASSERT_TRUE(app_.WaitForExit(20000, &code)) << "closing the main window must end the program";
        EXPECT_EQ(code, 0u);
    }

    driver::Process app_;
};

TEST_F(Startup, FirstStartStampsTheInstallDateAsTextInThe32BitView) {
    HWND window = Launch();
    ASSERT_TRUE(window);
    auto installed = testreg::Get(HKEY_LOCAL_MACHINE, Key, L"InstalledDate");
    ASSERT_TRUE(installed);
    EXPECT_EQ(installed->type, static_cast<DWORD>(REG_SZ));
    EXPECT_TRUE(TextToDateTime(installed->Text(), StartupFormatSettings()))
        << "not in the start-up layout: " << testing::PrintToString(installed->Text());
    EXPECT_FALSE(testreg::Get(HKEY_LOCAL_MACHINE, Key, L"InstalledDate", KEY_WOW64_64KEY))
        << "the product key belongs in the 32-bit view";
    EXPECT_FALSE(testreg::Get(HKEY_LOCAL_MACHINE, Key, L"UpdatedDate"));

    ExpectClassAndClientSize(window, L"TKVMainForm", 764, 500);
    CloseAndExpectExitCodeZero(window);
}

TEST_F(Startup, AnExistingInstallDateIsKeptAndOneOfAnotherTypeIsReplaced) {
    testreg::SetString(HKEY_LOCAL_MACHINE, Key, L"InstalledDate", L"not a date at all");
    HWND window = Launch();
    ASSERT_TRUE(window);
    EXPECT_EQ(testreg::Get(HKEY_LOCAL_MACHINE, Key, L"InstalledDate")->Text(), L"not a date at all");
    CloseAndExpectExitCodeZero(window);

    testreg::SetDword(HKEY_LOCAL_MACHINE, Key, L"InstalledDate", 20130729);
    window = Launch();
    ASSERT_TRUE(window);
    auto installed = testreg::Get(HKEY_LOCAL_MACHINE, Key, L"InstalledDate");
    ASSERT_TRUE(installed);
    EXPECT_EQ(installed->type, static_cast<DWORD>(REG_SZ));
    EXPECT_TRUE(TextToDateTime(installed->Text(), StartupFormatSettings()));
    CloseAndExpectExitCodeZero(window);
}

TEST_F(Startup, TheUpdatersRequestBecomesAnUpdateDate) {
    testreg::SetDword(HKEY_LOCAL_MACHINE, Key, L"Updated", 5);
    HWND window = Launch();
    ASSERT_TRUE(window);
    auto updated = testreg::Get(HKEY_LOCAL_MACHINE, Key, L"Updated");
    ASSERT_TRUE(updated);
    EXPECT_EQ(updated->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(updated->Dword(), 0u);
    auto updatedDate = testreg::Get(HKEY_LOCAL_MACHINE, Key, L"UpdatedDate");
    ASSERT_TRUE(updatedDate);
    EXPECT_EQ(updatedDate->type, static_cast<DWORD>(REG_SZ));
    EXPECT_TRUE(TextToDateTime(updatedDate->Text(), StartupFormatSettings()));
    EXPECT_TRUE(testreg::Get(HKEY_LOCAL_MACHINE, Key, L"InstalledDate")) << "both dates are due at this start";
    CloseAndExpectExitCodeZero(window);
}

TEST_F(Startup, AnUpdateRequestOfAnotherTypeChangesNothing) {
    testreg::SetString(HKEY_LOCAL_MACHINE, Key, L"Updated", L"1");
    HWND window = Launch();
    ASSERT_TRUE(window);
    auto updated = testreg::Get(HKEY_LOCAL_MACHINE, Key, L"Updated");
    ASSERT_TRUE(updated);
    EXPECT_EQ(updated->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(updated->Text(), L"1");
    EXPECT_FALSE(testreg::Get(HKEY_LOCAL_MACHINE, Key, L"UpdatedDate"));
    CloseAndExpectExitCodeZero(window);
}

TEST_F(Startup, ASecondStartHandsOverToTheRunningInstance) {
    HWND window = Launch();
    ASSERT_TRUE(window);
    ShowWindow(window, SW_MINIMIZE);
    for (int i = 0; i < 50 && !IsIconic(window); ++i) Sleep(50);
    ASSERT_TRUE(IsIconic(window));
    testreg::SetDword(HKEY_LOCAL_MACHINE, Key, L"Updated", 1);

    driver::Process second = driver::Start(driver::HastrelPath(), L"--ignored argument");
    ASSERT_TRUE(second);
    DWORD code = 99;
    ASSERT_TRUE(second.WaitForExit(20000, &code)) << "the second start must end by itself";
    EXPECT_EQ(code, 0u);
    for (int i = 0; i < 50 && IsIconic(window); ++i) Sleep(50);
    EXPECT_FALSE(IsIconic(window)) << "the running window must be restored";
    EXPECT_EQ(driver::CountWindows(L"TKVMainForm"), 1);
    // The second start still does its stamping before it hands over.
    EXPECT_EQ(testreg::Get(HKEY_LOCAL_MACHINE, Key, L"Updated")->Dword(), 0u);
    EXPECT_TRUE(testreg::Get(HKEY_LOCAL_MACHINE, Key, L"UpdatedDate"));
    CloseAndExpectExitCodeZero(window);
}

} // namespace
