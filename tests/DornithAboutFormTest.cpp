// The About box: its window, its version line, its keys and its link.
#include "app/DornithAboutForm.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "app/DornithForm.h"
#include "support/LaunchRecorder.h"
#include "support/ProgramWindows.h"
#include "support/Shell.h"
#include "support/TestRegistry.h"

namespace {

std::wstring ClipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT))
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    CloseClipboard();
    return text;
}

const std::wstring ProductKey = L"Software\\Brenlow\\Hastrel";

class AboutBox : public testing::Test {
  protected:
    static void SetUpTestSuite() { CreateProgramWindows(); }
    void SetUp() override { form = KVAboutForm; }
    void TearDown() override {
        form->Hide();
        testreg::DeleteValue(HKEY_LOCAL_MACHINE, ProductKey, L"Language");
    }
    // Shows the box modally and gives each tick of its loop to Step; closes
    // it after a while should Step not.
    TModalResult ShowModalWhile(std::function<bool(int)> step) {
        WhileLooping looping([this, step](int tick) {
            if (tick > 200) {
                form->ModalResult = mrCancel;
                return false;
            }
            return step(tick);
        });
        return form->ShowModal();
    }

    TKVAboutForm* form = nullptr;
};

TEST_F(AboutBox, IsAFixedWindowWithACloseBoxAndItsOwnPictures) {
    const HWND h = form->Handle();
    ExpectClassAndClientSize(h, L"TKVAboutForm", 700, 441);
    const LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
    EXPECT_EQ(style & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), WS_SYSMENU);
    EXPECT_FALSE(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
    // The artwork decodes at the size the layout draws it.
    EXPECT_EQ(form->BannerImage->PictureWidth(), 700);
    EXPECT_EQ(form->BannerImage->PictureHeight(), 60);
    EXPECT_EQ(form->LargeIcon->PictureWidth(), 256);
    EXPECT_EQ(form->LargeIcon->PictureHeight(), 256);
}

// What each showing runs, without the showing itself, which costs Wine seconds.
TEST_F(AboutBox, EveryShowingGivesTheSameVersionLineAlsoWithoutItsCaptionsRow) {
    form->FormShow(form);
    const std::wstring first = form->VersionLabel->Caption();
    EXPECT_EQ(first, L"Hastrel 2  (Version : 2.7.29.2013)");
    EXPECT_EQ(form->Caption(), L"About Hastrel");
    form->FormShow(form);
    EXPECT_EQ(form->VersionLabel->Caption(), first);

    // A language without a table leaves every row missing.
    testreg::SetString(HKEY_LOCAL_MACHINE, ProductKey, L"Language", L"klingon");
    form->FormShow(form);
    form->FormShow(form);
    EXPECT_EQ(form->VersionLabel->Caption(), L"2.7.29.2013)");
}

TEST_F(AboutBox, OpensWithTheFocusOnCloseAndEnterClosesItButEscapeDoesNot) {
    bool focusedOnClose = false, openAfterEscape = false;
    const TModalResult result = ShowModalWhile([&](int tick) {
        if (tick == 1) {
            focusedOnClose = GetFocus() == form->CloseButton->Handle();
            PostKey(VK_ESCAPE, form->Handle());
        } else if (tick == 3) {
            openAfterEscape = form->Visible() && IsWindowVisible(form->Handle());
            PostKey(VK_RETURN, form->Handle());
        }
        return tick < 3;
    });
    EXPECT_TRUE(focusedOnClose);
    EXPECT_TRUE(openAfterEscape);
    EXPECT_EQ(result, mrOk);
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
}

// The memo is reached by Tab or a click, to copy from it; the keys work there as everywhere.
TEST_F(AboutBox, InTheMemoEscapeKeepsTheBoxTabMovesOnAndEnterCloses) {
    const HWND memo = form->LicensedMemo->Handle();
    bool focusedMemo = false, intact = false, tabbedOut = false, copied = false;
    const TModalResult result = ShowModalWhile([&](int tick) {
        if (tick == 1) {
            SetFocus(memo);
            focusedMemo = GetFocus() == memo;
            PostKey(VK_ESCAPE, memo);
        } else if (tick == 3) {
            intact = form->Visible() && IsWindowVisible(form->Handle());
            for (int i = 0; i < form->ComponentCount(); ++i)
                if (auto* w = dynamic_cast<TWinControl*>(form->Components(i)))
                    intact = intact && w->HandleAllocated() && IsWindowVisible(w->Handle());
            PostKey(VK_TAB, memo);
        } else if (tick == 5) {
            tabbedOut = GetFocus() && GetFocus() != memo && IsChild(form->Handle(), GetFocus());
            SetFocus(memo);
            SendMessageW(memo, EM_SETSEL, 0, 7);
            SendMessageW(memo, WM_CHAR, 3, 1); // Ctrl+C as the keyboard types it
            copied = ClipboardText().size() == 7;
            PostKey(VK_RETURN, memo);
        }
        return true; // until the box closes, or long enough to tell that it does not
    });
    EXPECT_TRUE(focusedMemo);
    EXPECT_TRUE(intact) << "Escape in the memo took controls of the box away";
    EXPECT_TRUE(tabbedOut);
    EXPECT_TRUE(copied);
    EXPECT_EQ(result, mrOk) << "Enter in the memo presses Close";
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
}

TEST_F(AboutBox, TheLinkClicksThenOpensTheTermsBesideTheExecutable) {
    LaunchRecorder recorder;
    wchar_t saved[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\"));
    form->LicenseAgreementLabel->Click();
    SetCurrentDirectoryW(saved);

    const std::vector<Launch> expected = {
        {Launch::Click, nullptr, L"click", std::nullopt},
        {Launch::Shell, Application.Handle(), ExecutableFolder() + L"License.rtf", L""},
    };
    EXPECT_EQ(recorder.Log(), expected);
}

TEST_F(AboutBox, AMissingTermsDocumentOnlyClicks) {
    const std::wstring terms = ExecutableFolder() + L"License.rtf";
    ASSERT_EQ(GetFileAttributesW(terms.c_str()), INVALID_FILE_ATTRIBUTES);
    LaunchRecorder recorder(true);
    form->LicenseAgreementLabel->Click();
    EXPECT_EQ(recorder.Count(Launch::Click), 1);
    EXPECT_EQ(recorder.Count(Launch::Shell), 1);
    // The shell's own failure shows nothing of ours.
    Application.ProcessMessages();
    EXPECT_EQ(FindWindowW(L"#32770", nullptr), nullptr);
}

TEST_F(AboutBox, HelpOpensTheHelpOnce) {
    LaunchRecorder recorder;
    form->Show();
    KVMainForm->Show();
    form->HelpButton->Click();
    EXPECT_EQ(recorder.Count(Launch::Help), 1);
    EXPECT_EQ(recorder.Count(Launch::Click), 0);
    KVMainForm->Hide();
}

} // namespace
