// "Optimize now" and "Restore" end to end: the real program, built with short
// progress steps, driven through its windows like a user, checked in the registry.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <optional>

#include "app/TuningCatalogue.h"
#include "support/AppDriver.h"
#include "support/TestRegistry.h"

namespace {

const std::wstring Product = L"Software\\Brenlow\\Hastrel";
const std::wstring WindowMetrics = L"Control Panel\\Desktop\\WindowMetrics";
const std::wstring Tcpip = L"System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const std::wstring InternetSettings = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const std::wstring MemoryManagement =
    L"System\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
const std::wstring SessionManager = L"System\\CurrentControlSet\\Control\\Session Manager";
const std::wstring Desktop = L"Control Panel\\Desktop";
const std::wstring Dfrg = L"Software\\Microsoft\\Dfrg\\BootOptimizeFunction";
const std::wstring Messenger = L"System\\CurrentControlSet\\Services\\Messenger";
const std::wstring PriorityControl = L"System\\CurrentControlSet\\Control\\PriorityControl";
const std::wstring CrashControl = L"System\\CurrentControlSet\\Control\\CrashControl";
const std::wstring P3Parameters = L"System\\CurrentControlSet\\Services\\P3\\Parameters";

const wchar_t RestartText[] =
    L"The changes to the computer's gaming and internet performance settings have finished.\r\n\r\n"
    L"You will need to restart Windows for the changes to become active.\r\n\r\n"
    L"Click Yes to restart the computer now, or click No to restart later.";
const wchar_t ResetText[] =
    L"This will restore all changes made to the computer's gaming and internet settings to their original "
    L"recommended values.\r\n\r\nClick OK to continue.";
const wchar_t Title[] = L"Hastrel - Make your games and internet run faster";
const wchar_t NoRightsText[] =
    L"Hastrel needs administrator rights to change these settings. Nothing was changed.\r\n\r\n"
    L"Log on as an administrator, or start Hastrel with Run as, and try again.";

std::optional<uint32_t> Dword(HKEY root, const std::wstring& key, const std::wstring& name) {
    auto v = testreg::Get(root, key, name);
    if (!v || v->type != REG_DWORD) return std::nullopt;
    return v->Dword();
}

std::optional<std::wstring> Text(HKEY root, const std::wstring& key, const std::wstring& name) {
    auto v = testreg::Get(root, key, name);
    if (!v || v->type != REG_SZ) return std::nullopt;
    return v->Text();
}

class TuningEndToEnd : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(driver::CountWindows(L"TKVMainForm"), 0) << "another Hastrel is running";
        driver::ClearProductKey();
        ClearTunedValues();
        // Windows values as they stood before any tuning; the other tuned
        // values do not exist.
        testreg::SetString(HKEY_CURRENT_USER, WindowMetrics, L"MinAnimate", L"0");
        testreg::SetDword(HKEY_LOCAL_MACHINE, Tcpip, L"KeepAliveTime", 12345);
        testreg::SetDword(HKEY_CURRENT_USER, InternetSettings, L"MaxConnectionsPerServer", 6);
        testreg::SetDword(HKEY_LOCAL_MACHINE, Messenger, L"Start", 3);
        testreg::SetDword(HKEY_LOCAL_MACHINE, CrashControl, L"SendAlert", 0);
        testreg::SetDword(HKEY_LOCAL_MACHINE, Tcpip, L"DefaultTTL", 128);
    }
    void TearDown() override {
        if (app_) app_.Kill();
        driver::ClearProductKey();
        ClearTunedValues();
        PutTunedValuesBack();
    }
    // Every value of the catalogue starts absent, and is as it was afterwards.
    void ClearTunedValues() {
        const bool saving = saved_.empty();
        for (const Tuning::TunedValueRow& row : Tuning::TunedValueTable) {
            const Tuning::KeyRow& key = Tuning::KeyTable[static_cast<size_t>(row.Place)];
            const HKEY root = key.Hive == Tuning::Root::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
            const std::wstring path = std::wstring(key.Path).substr(1);
            if (saving) saved_.push_back({root, path, row.Name, testreg::Get(root, path, row.Name)});
            testreg::DeleteValue(root, path, row.Name);
        }
    }
    void PutTunedValuesBack() {
        for (const SavedValue& v : saved_)
            if (v.Value)
                testreg::Set(v.Root, v.Path, v.Name, v.Value->type, v.Value->data.data(),
                             static_cast<DWORD>(v.Value->data.size()));
    }

    HWND Launch() {
        app_ = driver::Start(driver::ShortStepsPath());
        EXPECT_TRUE(app_);
        if (!app_) return nullptr;
        main_ = driver::WaitForWindow(L"TKVMainForm", app_.Id());
        return main_;
    }
    HWND Button(const std::wstring& caption) const {
        return driver::ChildWithText(main_, L"Button", caption);
    }
    std::vector<HWND> Combos() const { return driver::Children(main_, L"ComboBoxEx32"); }
    HWND TrackBar() const {
        auto bars = driver::Children(main_, TRACKBAR_CLASSW);
        return bars.empty() ? nullptr : bars.front();
    }
    // Windows, processor and connection lists, top to bottom; the speed track bar.
    void Choose(int windows, int processor, int connection, int speed) {
        auto combos = Combos();
        ASSERT_EQ(combos.size(), 3u);
        driver::ChooseComboPosition(combos[0], windows);
        driver::ChooseComboPosition(combos[1], processor);
        driver::ChooseComboPosition(combos[2], connection);
        driver::ChooseTrackBarPosition(TrackBar(), speed);
    }
    HWND WaitForProgressWindow() { return driver::WaitForWindow(L"TKVSettingsForm", app_.Id()); }
    // Answers the box that ends both operations, after checking it.
    void AnswerRestartPromptNo() {
        HWND box = driver::WaitForMessageBox(app_.Id());
        ASSERT_TRUE(box) << "no restart prompt";
        EXPECT_EQ(driver::WindowText(box), Title);
        EXPECT_EQ(driver::MessageBoxText(box), RestartText);
        EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
        driver::PressMessageBoxButton(box, IDNO);
        WaitUntilGone(box);
    }
    // Checks the program's next box and answers it.
    void AnswerBox(const std::wstring& text, int button) {
        HWND box = driver::WaitForMessageBox(app_.Id());
        ASSERT_TRUE(box) << "no box";
        EXPECT_EQ(driver::WindowText(box), Title);
        EXPECT_EQ(driver::MessageBoxText(box), text);
        driver::PressMessageBoxButton(box, button);
        WaitUntilGone(box);
    }
    static void WaitUntilGone(HWND window) {
        for (int i = 0; i < 200 && IsWindow(window) && IsWindowVisible(window); ++i)
            Sleep(50);
    }
    void RunOptimize() {
        driver::Press(Button(L"&Optimize now"));
        AnswerRestartPromptNo();
    }
    // Presses "Restore" and confirms with OK.
    void StartRestore() {
        driver::Press(Button(L"&Restore"));
        HWND box = driver::WaitForMessageBox(app_.Id());
        ASSERT_TRUE(box);
        driver::PressMessageBoxButton(box, IDOK);
        WaitUntilGone(box);
    }
    void RunRestore() {
        StartRestore();
        AnswerRestartPromptNo();
    }
    void CloseProgram() {
        PostMessageW(main_, WM_CLOSE, 0, 0);
        DWORD code = 99;
        ASSERT_TRUE(app_.WaitForExit(20000, &code));
        EXPECT_EQ(code, 0u);
    }
    // Ends the program while the progress window shows, as a crash or power loss would.
    void KillDuringTheSteps() {
        HWND progress = WaitForProgressWindow();
        ASSERT_TRUE(progress) << "the progress window never showed";
        Sleep(300);
        app_.Kill();
    }

    driver::Process app_;
    HWND main_ = nullptr;

  private:
    struct SavedValue {
        HKEY Root;
        std::wstring Path;
        std::wstring Name;
        std::optional<testreg::Value> Value;
    };
    std::vector<SavedValue> saved_;
};

TEST_F(TuningEndToEnd, OptimizeThenRestoreThenStartAgain) {
    ASSERT_TRUE(Launch());
    HWND restore = Button(L"&Restore");
    ASSERT_TRUE(restore);
    EXPECT_FALSE(IsWindowEnabled(restore));
    Choose(1, 1, 0, 1); // Windows 7, AMD, cable, Maximum Boost

    driver::Press(Button(L"&Optimize now"));
    ASSERT_TRUE(WaitForProgressWindow());
    EXPECT_FALSE(IsWindowEnabled(main_)) << "the main window waits while the steps run";
    AnswerRestartPromptNo();

    EXPECT_TRUE(IsWindowEnabled(main_));
    EXPECT_TRUE(IsWindowEnabled(restore));
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, Product, L"InternetType"), 0u);
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, Product, L"ProcessorType"), 1u);
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, Product, L"SpeedSetting"), 1u);
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, Product, L"Restore"), 1u);
    // The originals are backed up, the tuned values written.
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, Product, L"MinAnimate"), L"0");
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, Product, L"KeepAliveTime"), 12345u);
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, Product, L"MaxConnectionsPerServer"), 6u);
    auto absent = testreg::Get(HKEY_LOCAL_MACHINE, Product, L"KeepAliveInterval");
    ASSERT_TRUE(absent) << "a value that did not exist is recorded as such";
    EXPECT_EQ(absent->type, static_cast<DWORD>(REG_NONE));
    EXPECT_TRUE(absent->data.empty());
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, Product + L"\\Originals", L"DefaultTTL"), 128u);
    EXPECT_EQ(Text(HKEY_CURRENT_USER, WindowMetrics, L"MinAnimate"), L"1");
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, Tcpip, L"KeepAliveTime"), 7200000u);
    EXPECT_EQ(Dword(HKEY_CURRENT_USER, InternetSettings, L"MaxConnectionsPerServer"), 8u);
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, Tcpip, L"DefaultTTL"), 64u);
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, SessionManager, L"EnablePrefetcher"), 1u);
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, Dfrg, L"Enable"), L"Y");
    EXPECT_FALSE(testreg::Get(HKEY_LOCAL_MACHINE, SessionManager, L"AutoChkTimeOut"));
    // Either build works in the 32-bit view: HKLM\Software is redirected to
    // its Wow6432Node branch, System\CurrentControlSet is the same in both views.
    const auto in64BitView = [](const std::wstring& key, const std::wstring& name) {
        return testreg::Get(HKEY_LOCAL_MACHINE, key, name, KEY_WOW64_64KEY).has_value();
    };
    EXPECT_TRUE(in64BitView(L"Software\\Wow6432Node\\Brenlow\\Hastrel", L"Restore"));
    EXPECT_TRUE(in64BitView(L"Software\\Wow6432Node\\Microsoft\\Dfrg\\BootOptimizeFunction", L"Enable"));
    EXPECT_FALSE(in64BitView(Dfrg, L"Enable"));
    EXPECT_TRUE(in64BitView(Tcpip, L"DefaultTTL"));
    auto smooth = testreg::Get(HKEY_CURRENT_USER, Desktop, L"SmoothScroll");
    ASSERT_TRUE(smooth);
    EXPECT_EQ(smooth->type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(smooth->data, std::vector<uint8_t>(4, 0));

    // Cancel changes nothing.
    driver::Press(restore);
    AnswerBox(ResetText, IDCANCEL);
    Sleep(300);
    HWND progress = FindWindowW(L"TKVSettingsForm", nullptr);
    EXPECT_TRUE(!progress || !IsWindowVisible(progress)) << "Cancel must not start the steps";
    EXPECT_TRUE(IsWindowEnabled(restore));
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, Product, L"Restore"), 1u);
    EXPECT_EQ(Text(HKEY_CURRENT_USER, WindowMetrics, L"MinAnimate"), L"1");

    RunRestore();
    EXPECT_FALSE(IsWindowEnabled(restore));
    EXPECT_EQ(Text(HKEY_CURRENT_USER, WindowMetrics, L"MinAnimate"), L"0");
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, Tcpip, L"KeepAliveTime"), 12345u);
    EXPECT_EQ(Dword(HKEY_CURRENT_USER, InternetSettings, L"MaxConnectionsPerServer"), 6u);
    // Every value is as it was: those that existed with their data, the others gone.
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, Tcpip, L"DefaultTTL"), 128u);
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, Messenger, L"Start"), 3u);
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, CrashControl, L"SendAlert"), 0u);
    EXPECT_FALSE(testreg::Get(HKEY_CURRENT_USER, InternetSettings, L"MaxConnectionsPer1_0Server"));
    EXPECT_FALSE(testreg::Get(HKEY_LOCAL_MACHINE, Tcpip, L"KeepAliveInterval"));
    EXPECT_FALSE(testreg::Get(HKEY_LOCAL_MACHINE, Tcpip, L"EnablePMTUBHDetect"));
    EXPECT_FALSE(testreg::Get(HKEY_CURRENT_USER, Desktop, L"SmoothScroll"));
    EXPECT_FALSE(testreg::Get(HKEY_LOCAL_MACHINE, Dfrg, L"Enable"));
    EXPECT_TRUE(testreg::KeyExists(HKEY_LOCAL_MACHINE, Dfrg)) << "a delete never removes a key";
    for (const wchar_t* gone : {L"Restore", L"MinAnimate", L"KeepAliveTime", L"MaxConnectionsPerServer"})
        EXPECT_FALSE(testreg::Get(HKEY_LOCAL_MACHINE, Product, gone))
            << testing::PrintToString(std::wstring(gone));
    EXPECT_FALSE(testreg::Get(HKEY_LOCAL_MACHINE, Product + L"\\Originals", L"DefaultTTL"));
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, Product, L"InternetType"), 0u);
    EXPECT_TRUE(testreg::Get(HKEY_LOCAL_MACHINE, Product, L"InstalledDate"));
    CloseProgram();

    // The next start shows the stored answers.
    ASSERT_TRUE(Launch());
    auto combos = Combos();
    ASSERT_EQ(combos.size(), 3u);
    EXPECT_EQ(SendMessageW(combos[1], CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SendMessageW(combos[2], CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SendMessageW(TrackBar(), TBM_GETPOS, 0, 0), 1);
    EXPECT_FALSE(IsWindowEnabled(Button(L"&Restore")));
    CloseProgram();
}

TEST_F(TuningEndToEnd, AnOptimizeCutShortKeepsTheOriginalsForTheNextRun) {
    ASSERT_TRUE(Launch());
    Choose(1, 0, 2, 0);
    driver::Press(Button(L"&Optimize now"));
    KillDuringTheSteps();
    // The answers are stored, but nothing claims a backup that was never taken.
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, Product, L"InternetType"), 2u);
    EXPECT_FALSE(Dword(HKEY_LOCAL_MACHINE, Product, L"Restore"));
    EXPECT_FALSE(testreg::Get(HKEY_LOCAL_MACHINE, Product, L"MinAnimate"));
    EXPECT_EQ(Text(HKEY_CURRENT_USER, WindowMetrics, L"MinAnimate"), L"0");

    ASSERT_TRUE(Launch());
    EXPECT_FALSE(IsWindowEnabled(Button(L"&Restore")));
    RunOptimize();
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, Product, L"MinAnimate"), L"0")
        << "the next run backs up the originals";
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, Product, L"KeepAliveTime"), 12345u);
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, Tcpip, L"DefaultTTL"), 128u) << "dial-up writes no broadband values";
    CloseProgram();
}

TEST_F(TuningEndToEnd, ARestoreCutShortCanBeRunAgain) {
    ASSERT_TRUE(Launch());
    Choose(5, 0, 0, 0);
    RunOptimize();
    StartRestore();
    KillDuringTheSteps();
    // Still applied, with its backups: Restore is offered again.
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, Product, L"Restore"), 1u);
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, Product, L"MinAnimate"), L"0");
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, Product, L"KeepAliveTime"), 12345u);

    ASSERT_TRUE(Launch());
    EXPECT_TRUE(IsWindowEnabled(Button(L"&Restore")));
    RunRestore();
    EXPECT_EQ(Text(HKEY_CURRENT_USER, WindowMetrics, L"MinAnimate"), L"0");
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, Tcpip, L"KeepAliveTime"), 12345u);
    EXPECT_FALSE(Dword(HKEY_LOCAL_MACHINE, Product, L"Restore"));
    CloseProgram();
}

// As a user without administrator rights runs it where Windows does not ask
// for them: the product key may be read, not written.
TEST_F(TuningEndToEnd, WithoutRightsOptimizeNowSaysSoAndChangesNothing) {
    testreg::ReadOnlyKey locked(HKEY_LOCAL_MACHINE, Product);
    ASSERT_TRUE(locked.Applied());
    ASSERT_TRUE(Launch());
    driver::Press(Button(L"&Optimize now"));
    AnswerBox(NoRightsText, IDOK);
    HWND progress = FindWindowW(L"TKVSettingsForm", nullptr);
    EXPECT_TRUE(!progress || !IsWindowVisible(progress)) << "no steps run";
    EXPECT_TRUE(IsWindowEnabled(main_));
    EXPECT_FALSE(IsWindowEnabled(Button(L"&Restore")));
    CloseProgram();

    EXPECT_EQ(Text(HKEY_CURRENT_USER, WindowMetrics, L"MinAnimate"), L"0");
    EXPECT_EQ(Dword(HKEY_CURRENT_USER, InternetSettings, L"MaxConnectionsPerServer"), 6u);
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, Messenger, L"Start"), 3u);
    EXPECT_FALSE(testreg::Get(HKEY_CURRENT_USER, Desktop, L"SmoothScroll"));
    for (const wchar_t* name : {L"InternetType", L"Restore", L"MinAnimate"})
        EXPECT_FALSE(testreg::Get(HKEY_LOCAL_MACHINE, Product, name))
            << testing::PrintToString(std::wstring(name));
}

// ---- Presses faster than their handling, and closing during an operation ----

// The nine values that "Optimize now" backs up, each with an original that
// differs from its tuned value and from the default of its backup.
struct OriginalValue {
    HKEY Root;
    const std::wstring& Key;
    const wchar_t* Name;
    const wchar_t* Text; // REG_SZ; nullptr: REG_DWORD Number
    uint32_t Number;
};
const OriginalValue Originals[] = {
    {HKEY_CURRENT_USER, WindowMetrics, L"MinAnimate", L"0", 0},
    {HKEY_LOCAL_MACHINE, MemoryManagement, L"DisablePagingExecutive", nullptr, 1},
    {HKEY_LOCAL_MACHINE, MemoryManagement, L"LargeSystemCache", nullptr, 1},
    {HKEY_LOCAL_MACHINE, PriorityControl, L"Win32PrioritySeparation", nullptr, 38},
    {HKEY_LOCAL_MACHINE, CrashControl, L"AutoReboot", nullptr, 0},
    {HKEY_CURRENT_USER, InternetSettings, L"MaxConnectionsPerServer", nullptr, 6},
    {HKEY_CURRENT_USER, InternetSettings, L"MaxConnectionsPer1_0Server", nullptr, 5},
    {HKEY_LOCAL_MACHINE, Tcpip, L"KeepAliveTime", nullptr, 12345},
    {HKEY_LOCAL_MACHINE, Tcpip, L"KeepAliveInterval", nullptr, 777},
};

bool Holds(const std::optional<testreg::Value>& value, const OriginalValue& original) {
    if (!value) return false;
    if (original.Text) return value->type == REG_SZ && value->Text() == original.Text;
    return value->type == REG_DWORD && value->Dword() == original.Number;
}

class TuningEndToEndWithOriginals : public TuningEndToEnd {
  protected:
    // The values as they stood before the test are put back after it.
    void SetUp() override {
        for (const OriginalValue& v : Originals)
            saved_.push_back(testreg::Get(v.Root, v.Key, v.Name));
        TuningEndToEnd::SetUp();
        for (const OriginalValue& v : Originals) {
            if (v.Text)
                testreg::SetString(v.Root, v.Key, v.Name, v.Text);
            else
                testreg::SetDword(v.Root, v.Key, v.Name, v.Number);
        }
    }
    void TearDown() override {
        TuningEndToEnd::TearDown();
        for (size_t i = 0; i < saved_.size(); ++i) {
            const OriginalValue& v = Originals[i];
            if (saved_[i])
                testreg::Set(v.Root, v.Key, v.Name, saved_[i]->type, saved_[i]->data.data(),
                             static_cast<DWORD>(saved_[i]->data.size()));
            else
                testreg::DeleteValue(v.Root, v.Key, v.Name);
        }
    }
    static void ExpectBackupsAreTheOriginals() {
        for (const OriginalValue& v : Originals)
            EXPECT_TRUE(Holds(testreg::Get(HKEY_LOCAL_MACHINE, Product, v.Name), v))
                << "the backup of " << testing::PrintToString(std::wstring(v.Name));
    }
    static void ExpectOriginalsInPlace() {
        for (const OriginalValue& v : Originals)
            EXPECT_TRUE(Holds(testreg::Get(v.Root, v.Key, v.Name), v))
                << testing::PrintToString(std::wstring(v.Name)) << " is not back";
    }
    // A double click as Windows sends it: the second press comes as a double click.
    void DoubleClick(HWND button) const {
        RECT r;
        GetClientRect(button, &r);
        const LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
        for (UINT press : {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}) {
            PostMessageW(button, press, MK_LBUTTON, at);
            PostMessageW(button, WM_LBUTTONUP, 0, at);
        }
    }
    // No second box follows the one answered.
    void ExpectNoFurtherBox() {
        HWND box = driver::WaitForMessageBox(app_.Id(), 2000);
        EXPECT_EQ(box, nullptr) << "a second box: "
                                << testing::PrintToString(box ? driver::MessageBoxText(box) : L"");
        if (box) driver::PressMessageBoxButton(box, IDNO);
    }

    std::vector<std::optional<testreg::Value>> saved_;
};

// Every press waits in the queue before the first is handled. The registry is
// read once the program has ended, when whatever ran has finished.
TEST_F(TuningEndToEndWithOriginals, EachPressRunsOnceHoweverFastTheNextComes) {
    ASSERT_TRUE(Launch());
    Choose(1, 0, 0, 0);
    HWND go = Button(L"&Optimize now");
    ASSERT_TRUE(app_.WhileHeld([&] { DoubleClick(go); }));
    AnswerRestartPromptNo();
    ExpectNoFurtherBox();
    CloseProgram();
    ExpectBackupsAreTheOriginals();

    ASSERT_TRUE(Launch());
    HWND restore = Button(L"&Restore");
    ASSERT_TRUE(app_.WhileHeld([&] { DoubleClick(restore); }));
    HWND box = driver::WaitForMessageBox(app_.Id());
    ASSERT_TRUE(box);
    EXPECT_EQ(driver::MessageBoxText(box), ResetText);
    driver::PressMessageBoxButton(box, IDOK);
    WaitUntilGone(box);
    AnswerRestartPromptNo();
    ExpectNoFurtherBox();
    CloseProgram();
    ExpectOriginalsInPlace();
    EXPECT_FALSE(Dword(HKEY_LOCAL_MACHINE, Product, L"Restore"));

    // Enter twice, the second as the keyboard repeats it.
    ASSERT_TRUE(Launch());
    go = Button(L"&Optimize now");
    ASSERT_TRUE(app_.WhileHeld([&] {
        PostMessageW(go, WM_KEYDOWN, VK_RETURN, 1);
        PostMessageW(go, WM_KEYDOWN, VK_RETURN, 1 | (1 << 30));
    }));
    AnswerRestartPromptNo();
    ExpectNoFurtherBox();
    CloseProgram();
    ExpectBackupsAreTheOriginals();
}

TEST_F(TuningEndToEndWithOriginals, ClosingDuringTheStepsFinishesTheRegistryWorkAndEndsWithoutAPrompt) {
    ASSERT_TRUE(Launch());
    Choose(1, 0, 0, 0); // Windows 7, cable: the broadband and desktop rows too
    driver::Press(Button(L"&Optimize now"));
    HWND progress = WaitForProgressWindow();
    ASSERT_TRUE(progress);

    // The progress window has no close box: Alt+F4 and WM_CLOSE leave it be.
    PostMessageW(progress, WM_SYSKEYDOWN, VK_F4, 1 << 29);
    PostMessageW(progress, WM_CLOSE, 0, 0);
    Sleep(300);
    ASSERT_FALSE(IsWindowEnabled(main_)) << "the steps ended too soon to tell";
    EXPECT_TRUE(IsWindowVisible(progress));

    PostMessageW(main_, WM_CLOSE, 0, 0);
    DWORD code = 99;
    bool prompted = false;
    for (int i = 0; i < 300 && !app_.WaitForExit(100, &code); ++i)
        prompted = prompted || FindWindowW(L"#32770", nullptr);
    EXPECT_FALSE(prompted) << "a box showed after the window was closed";
    EXPECT_EQ(code, 0u) << "the program did not end";

    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, Product, L"Restore"), 1u);
    ExpectBackupsAreTheOriginals();
    EXPECT_EQ(Text(HKEY_CURRENT_USER, WindowMetrics, L"MinAnimate"), L"1");
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, Tcpip, L"DefaultTTL"), 64u);
    // The last value the catalogue writes.
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, P3Parameters, L"HackFlags"), 1u);
}

} // namespace
