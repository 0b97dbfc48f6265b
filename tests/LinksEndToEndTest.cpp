// The About box, F1 and the updater end to end: a copy of the program in a
// folder of its own, beside a stand-in for the updater, started from another
// folder under a forged command line. The copy is of the build whose help
// library is the recording stand-in among the test doubles.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/AppDriver.h"

namespace {

std::wstring Folder(const wchar_t* name) {
    return driver::TempFolder() + name + L"\\";
}

// Polls for a file that another process writes.
std::optional<std::wstring> WaitForText(const std::wstring& path) {
    for (int i = 0; i < 200; ++i) {
        if (auto text = driver::ReadText(path); text && !text->empty()) return text;
        Sleep(50);
    }
    return std::nullopt;
}

void WaitUntilHidden(HWND window) {
    for (int i = 0; i < 200 && IsWindowVisible(window); ++i)
        Sleep(50);
}

class LinksEndToEnd : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(driver::CountWindows(L"TKVMainForm"), 0) << "another Hastrel is running";
        driver::ClearProductKey();
        for (const std::wstring& folder : {home, forged}) {
            CreateDirectoryW(folder.c_str(), nullptr);
            ASSERT_TRUE(CopyFileW((driver::DoublesFolder() + L"HastrelUpdate.exe").c_str(),
                                  (folder + L"HastrelUpdate.exe").c_str(), FALSE));
            DeleteFileW((folder + L"updater-ran.txt").c_str());
        }
        ASSERT_TRUE(CopyFileW(driver::ShortStepsPath().c_str(), (home + L"HastrelLinks.exe").c_str(), FALSE));
        DeleteFileW(helpCalls.c_str());
    }
    void TearDown() override {
        if (app) app.Kill();
        driver::ClearProductKey();
        DeleteFileW(helpCalls.c_str());
        for (const std::wstring& folder : {home, forged}) {
            for (const wchar_t* file : {L"HastrelLinks.exe", L"HastrelUpdate.exe", L"updater-ran.txt"})
                DeleteFileW((folder + file).c_str());
            RemoveDirectoryW(folder.c_str());
        }
    }

    const std::wstring helpCalls = driver::DoublesFolder() + L"help-calls.txt";
    const std::wstring home = Folder(L"Hastrel links home");
    const std::wstring forged = Folder(L"Hastrel links forged");
    driver::Process app;
};

TEST_F(LinksEndToEnd, AboutByItsImageClosedByEnterThenHelpAndUpdaterFromTheProgramsOwnFolder) {
    app = driver::StartAs(home + L"HastrelLinks.exe", L"\"" + forged + L"HastrelLinks.exe\"", forged);
    ASSERT_TRUE(app);
    HWND main = driver::WaitForWindow(L"TKVMainForm", app.Id());
    ASSERT_TRUE(main);

    driver::ClickAboutImage(main);
    HWND about = driver::WaitForWindow(L"TKVAboutForm", app.Id());
    ASSERT_TRUE(about) << "the About image opens the About box";
    EXPECT_FALSE(IsWindowEnabled(main));
    // The focus lands when the box has been activated, a moment after it shows.
    HWND focus = nullptr;
    for (int i = 0; i < 100 && !IsChild(about, focus); ++i, Sleep(50))
        focus = driver::FocusOf(about);
    EXPECT_EQ(driver::WindowText(focus), L"&Close");
    PostMessageW(focus ? focus : about, WM_KEYDOWN, VK_RETURN, 1);
    WaitUntilHidden(about);
    EXPECT_FALSE(IsWindowVisible(about)) << "Enter closes the About box";

    HWND target = driver::FocusOf(main);
    PostMessageW(target ? target : main, WM_KEYDOWN, VK_F1, 1);
    const auto help = WaitForText(helpCalls);
    ASSERT_TRUE(help) << "F1 never asked for the help topic";
    EXPECT_EQ(*help, L"0 " + home + L"Hastrel.chm::/html/main.htm>HelpWindow\n");

    driver::Press(driver::ChildWithText(main, L"Button", L" &Check for updates ..."));
    const auto updater = WaitForText(home + L"updater-ran.txt");
    ASSERT_TRUE(updater) << "the updater beside the program never ran";
    EXPECT_EQ(*updater, home + L"HastrelUpdate.exe");
    EXPECT_FALSE(driver::ReadText(forged + L"updater-ran.txt")) << "the command line chose the updater";

    PostMessageW(main, WM_CLOSE, 0, 0);
    DWORD code = 99;
    EXPECT_TRUE(app.WaitForExit(20000, &code));
    EXPECT_EQ(code, 0u);
}

} // namespace
