#include "support/Shell.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "support/AppDriver.h"

#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "framework/Forms.h"
#include "framework/Handles.h"
#include "support/Seams.h"

namespace {

using driver::CurrentFolder;
using driver::CurrentFolderScope;
using driver::OwnPath;
using driver::ReadText;
using driver::TempFolder;

constexpr wchar_t MarkerFlag[] = L"--shell-marker";

bool WriteText(const std::wstring& path, const std::wstring& text) {
    UniqueKernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return false;
    }
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    return WriteFile(file.get(), text.data(), size, &written, nullptr) && written == size;
}

// Started by a test through the shell with the flag and a marker path, this
// executable writes its current folder and the arguments after the path to
// the marker, one a line, and ends.
[[maybe_unused]] const bool WritesMarkerOnly = [] {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const bool marker = argv && argc >= 3 && std::wcscmp(argv[1], MarkerFlag) == 0;
    if (marker) {
        std::wstring text = CurrentFolder() + L"\n";
        for (int i = 3; i < argc; ++i)
            text += std::wstring(argv[i]) + L"\n";
        // Written aside and renamed, so the test never reads half a marker.
        const std::wstring target = argv[2];
        const std::wstring partial = target + L".part";
        if (WriteText(partial, text)) MoveFileExW(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    LocalFree(argv);
    if (marker) ExitProcess(0);
    return false;
}();

// ---- What the shell is handed ----

struct ShellCall {
    HWND owner;
    std::optional<std::wstring> operation, file, parameters, directory;
    INT showCommand;
};
std::vector<ShellCall> shellCalls;

std::optional<std::wstring> Text(LPCWSTR text) {
    if (!text) return std::nullopt;
    return std::wstring(text);
}

HINSTANCE WINAPI RecordShellExecute(HWND owner, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters,
                                    LPCWSTR directory, INT showCommand) {
    shellCalls.push_back(
        {owner, Text(operation), Text(file), Text(parameters), Text(directory), showCommand});
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
}

struct HelpCall {
    HWND caller;
    std::optional<std::wstring> file;
    UINT command;
    DWORD_PTR data;
};
std::vector<HelpCall> helpCalls;

HWND WINAPI RecordHtmlHelp(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data) {
    helpCalls.push_back({caller, Text(file), command, data});
    return nullptr;
}

// Puts the recorders in place of the shell and the help viewer for one test.
class ShellRecorder {
  public:
    ShellRecorder()
        : savedShell_(ShellExecuteCall), savedHelp_(HtmlHelpCallOverride),
          savedLibrary_(HtmlHelpLibraryName) {
        shellCalls.clear();
        helpCalls.clear();
        ShellExecuteCall = RecordShellExecute;
        HtmlHelpCallOverride = RecordHtmlHelp;
    }
    ShellRecorder(const ShellRecorder&) = delete;
    ShellRecorder& operator=(const ShellRecorder&) = delete;
    ~ShellRecorder() {
        ShellExecuteCall = savedShell_;
        HtmlHelpCallOverride = savedHelp_;
        HtmlHelpLibraryName = savedLibrary_;
    }

  private:
    ShellExecuteFunction savedShell_;
    HtmlHelpFunction savedHelp_;
    const wchar_t* savedLibrary_;
};

// Must run before anything in this process loads the HTML Help library: once
// loaded, the library is kept and never looked for again.
TEST(ShowHelpTopic, WithoutTheHelpLibraryInTheSystemFolderDoesNothingAndTriesAgainNextTime) {
    ASSERT_EQ(GetModuleHandleW(L"hhctrl.ocx"), nullptr) << "the help library was loaded by an earlier test";
    // A library of that name beside the program and in the current folder does not count.
    const std::wstring name = L"hastrel-planted-help.ocx";
    const std::wstring standIn = driver::DoublesFolder() + L"FakeHtmlHelp.ocx";
    const std::vector<std::wstring> planted = {ExecutableFolder() + name, TempFolder() + name};
    for (const std::wstring& path : planted)
        ASSERT_TRUE(CopyFileW(standIn.c_str(), path.c_str(), FALSE));
    {
        CurrentFolderScope scope(TempFolder());
        ShellRecorder recorder;
        HtmlHelpLibraryName = name.c_str();
        ShowHelpTopic(L"Hastrel.chm", L"/html/main.htm");
        ShowHelpTopic(L"Hastrel.chm", L"/html/main.htm");
        EXPECT_TRUE(helpCalls.empty());
        EXPECT_EQ(GetModuleHandleW(name.c_str()), nullptr);
    }
    for (const std::wstring& path : planted)
        DeleteFileW(path.c_str());

    ShellRecorder recorder;

    HtmlHelpLibraryName = L"hhctrl.ocx";
    ShowHelpTopic(L"Hastrel.chm", L"/html/main.htm");
    EXPECT_EQ(helpCalls.size(), 1u);
    EXPECT_NE(GetModuleHandleW(L"hhctrl.ocx"), nullptr);
}

TEST(ShowHelpTopic, OpensTheTopicBesideTheExecutableWhateverTheCurrentFolder) {
    ShellRecorder recorder;
    const std::wstring folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    CurrentFolderScope scope(L"C:\\");
    ASSERT_TRUE(scope.Changed());
    ASSERT_NE(folder, CurrentFolder() + L"\\");

    ShowHelpTopic(L"Hastrel.chm", L"/html/main.htm");
    ASSERT_EQ(helpCalls.size(), 1u);
    EXPECT_EQ(helpCalls[0].caller, GetDesktopWindow());
    EXPECT_EQ(helpCalls[0].file, folder + L"Hastrel.chm::/html/main.htm>HelpWindow");
    EXPECT_EQ(helpCalls[0].command, 0u); // HH_DISPLAY_TOPIC
    EXPECT_EQ(helpCalls[0].data, 0u);
}

TEST(ShowHelpTopic, LaterCallsUseTheLibraryAlreadyLoaded) {
    ShellRecorder recorder;
    ShowHelpTopic(L"Hastrel.chm", L"/html/main.htm");
    HtmlHelpLibraryName = L"hastrel-no-such-help-library.ocx";
    ShowHelpTopic(L"Other.chm", L"/a.htm");
    ASSERT_EQ(helpCalls.size(), 2u);
    EXPECT_EQ(helpCalls[1].file, ExecutableFolder() + L"Other.chm::/a.htm>HelpWindow");
}

TEST(ExecutableFolder, IsTheFolderOfTheRunningExecutable) {
    const std::wstring folder = ExecutableFolder();
    const std::wstring own = OwnPath();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), L'\\');
    EXPECT_EQ(own.substr(0, folder.size()), folder);
    EXPECT_EQ(own.find(L'\\', folder.size()), std::wstring::npos);
}

TEST(ShellOpen, HandsTheFileToTheShellOwnedByTheApplicationWindow) {
    ShellRecorder recorder;
    const std::wstring file = L"C:\\Program Files\\Hastrel\\License.rtf";
    ShellOpen(file, L"");
    ShellOpen(file, L"/quiet \"two words\"");
    ASSERT_EQ(shellCalls.size(), 2u);
    for (const ShellCall& call : shellCalls) {
        EXPECT_EQ(call.owner, Application.Handle());
        EXPECT_NE(call.owner, nullptr);
        EXPECT_EQ(call.operation, L"open");
        EXPECT_EQ(call.file, file); // blanks and all, unquoted
        EXPECT_EQ(call.directory, std::nullopt);
        EXPECT_EQ(call.showCommand, SW_SHOW);
    }
    // An empty parameter text is an empty string, not a missing one.
    EXPECT_EQ(shellCalls[0].parameters, L"");
    EXPECT_EQ(shellCalls[1].parameters, L"/quiet \"two words\"");
}

TEST(ShellOpenDetached, HandsTheFileToTheShellWithoutOwner) {
    ShellRecorder recorder;
    const std::wstring file = L"C:\\Program Files\\Hastrel\\HastrelUpdate.exe";
    ShellOpenDetached(file, L"");
    ASSERT_EQ(shellCalls.size(), 1u);
    EXPECT_EQ(shellCalls[0].owner, nullptr);
    EXPECT_EQ(shellCalls[0].operation, L"open");
    EXPECT_EQ(shellCalls[0].file, file);
    EXPECT_EQ(shellCalls[0].parameters, L"");
    EXPECT_EQ(shellCalls[0].directory, std::nullopt);
    EXPECT_EQ(shellCalls[0].showCommand, SW_SHOW);
}

TEST(OpenDocument, HandsTheAddressToTheShellWithoutParameters) {
    ShellRecorder recorder;
    OpenDocument(L"https://www.example.com/support/");
    ASSERT_EQ(shellCalls.size(), 1u);
    EXPECT_EQ(shellCalls[0].owner, Application.Handle());
    EXPECT_EQ(shellCalls[0].operation, L"open");
    EXPECT_EQ(shellCalls[0].file, L"https://www.example.com/support/");
    EXPECT_EQ(shellCalls[0].parameters, std::nullopt);
    EXPECT_EQ(shellCalls[0].directory, std::nullopt);
    EXPECT_EQ(shellCalls[0].showCommand, SW_SHOW);
}

// ---- Real launches ----

// A copy of this executable in a folder whose name has blanks, removed afterwards.
class LaunchFolder {
  public:
    LaunchFolder()
        : folder_(TempFolder() + L"Hastrel shell test " + std::to_wstring(GetCurrentProcessId()) + L"\\") {
        created_ = CreateDirectoryW(folder_.c_str(), nullptr) != FALSE;
        copied_ = created_ && CopyFileW(OwnPath().c_str(), Program().c_str(), FALSE) != FALSE;
    }
    LaunchFolder(const LaunchFolder&) = delete;
    LaunchFolder& operator=(const LaunchFolder&) = delete;
    ~LaunchFolder() {
        // The started copies may still be on their way out.
        for (int attempt = 0; attempt < 50; ++attempt) {
            for (const std::wstring& name : {Program(), Marker(L"open"), Marker(L"detached")})
                DeleteFileW(name.c_str());
            if (RemoveDirectoryW(folder_.c_str()) || !created_) break;
            Sleep(100);
        }
    }

    bool Ready() const { return copied_; }
    const std::wstring& Folder() const { return folder_; }
    std::wstring Program() const { return folder_ + L"Shell Test.exe"; }
    std::wstring Marker(const std::wstring& name) const { return folder_ + name + L" marker.txt"; }

  private:
    std::wstring folder_;
    bool created_ = false;
    bool copied_ = false;
};

std::optional<std::wstring> WaitForMarker(const std::wstring& path) {
    for (int i = 0; i < 600; ++i) {
        if (auto text = ReadText(path)) return text;
        Sleep(50);
    }
    return std::nullopt;
}

TEST(ShellOpen, StartsTheProgramWithItsParametersInTheCurrentFolder) {
    LaunchFolder launch;
    ASSERT_TRUE(launch.Ready());
    CurrentFolderScope scope(TempFolder());
    ASSERT_TRUE(scope.Changed());
    const std::wstring current = CurrentFolder();

    ShellOpen(launch.Program(),
              std::wstring(MarkerFlag) + L" \"" + launch.Marker(L"open") + L"\" \"two words\"");
    ShellOpenDetached(launch.Program(),
                      std::wstring(MarkerFlag) + L" \"" + launch.Marker(L"detached") + L"\" one");

    const std::optional<std::wstring> opened = WaitForMarker(launch.Marker(L"open"));
    ASSERT_TRUE(opened.has_value());
    EXPECT_EQ(*opened, current + L"\ntwo words\n");
    const std::optional<std::wstring> detached = WaitForMarker(launch.Marker(L"detached"));
    ASSERT_TRUE(detached.has_value());
    EXPECT_EQ(*detached, current + L"\none\n");
}

} // namespace
