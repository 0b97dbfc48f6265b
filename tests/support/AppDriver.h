// Starts the real Hastrel.exe beside the tests and drives it from outside,
// as a user would: by its windows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/Handles.h"

namespace driver {

// This test executable's own path, and the temporary folder.
std::wstring OwnPath();
std::wstring TempFolder();
// The build folder with its trailing backslash, the program in it, the build
// with short progress steps beside it, and the folder of the test doubles.
std::wstring BuildFolder();
std::wstring HastrelPath();
std::wstring ShortStepsPath();
std::wstring DoublesFolder();
std::wstring CurrentFolder();
// The whole of a file, and of a UTF-16 text file; nothing when it cannot be read.
std::optional<std::vector<std::uint8_t>> ReadBytes(const std::wstring& path);
std::optional<std::wstring> ReadText(const std::wstring& path);

// Sets the current folder for one test and puts the old one back.
class CurrentFolderScope {
  public:
    explicit CurrentFolderScope(const std::wstring& folder) : saved_(CurrentFolder()) {
        changed_ = SetCurrentDirectoryW(folder.c_str()) != FALSE;
    }
    CurrentFolderScope(const CurrentFolderScope&) = delete;
    CurrentFolderScope& operator=(const CurrentFolderScope&) = delete;
    ~CurrentFolderScope() { SetCurrentDirectoryW(saved_.c_str()); }
    bool Changed() const { return changed_; }

  private:
    std::wstring saved_;
    bool changed_ = false;
};

class Process {
  public:
    Process() = default;
    explicit Process(PROCESS_INFORMATION pi)
        : process_(pi.hProcess), thread_(pi.hThread), id_(pi.dwProcessId) {}
    HANDLE Handle() const { return process_.get(); }
    DWORD Id() const { return id_; }
    explicit operator bool() const { return static_cast<bool>(process_); }
    // True when the process ended within the time; its exit code in *code.
    bool WaitForExit(DWORD milliseconds, DWORD* code = nullptr) const;
    void Kill() const;
    // Runs Post while the program's main thread is held, so that everything
    // it posts waits in the queue together: input faster than its handling.
    // False when the thread could not be held.
    bool WhileHeld(const std::function<void()>& post) const;

  private:
    UniqueKernelHandle process_;
    UniqueKernelHandle thread_;
    DWORD id_ = 0;
};

Process Start(const std::wstring& exe = HastrelPath(), const std::wstring& arguments = L"");
// Starts Exe with a whole command line of the caller's choosing, whose first
// element need not name Exe, in the given current folder (empty: this one).
Process StartAs(const std::wstring& exe, std::wstring commandLine, const std::wstring& folder);
// The first visible top-level window of the class that belongs to the process.
HWND WaitForWindow(const std::wstring& className, DWORD processId, DWORD milliseconds = 20000);
int CountWindows(const std::wstring& className);
// Descendant windows of the class, top to bottom then left to right.
std::vector<HWND> Children(HWND parent, const std::wstring& className);
HWND ChildWithText(HWND parent, const std::wstring& className, const std::wstring& text);
std::wstring WindowText(HWND window);
// A message box of the process: its text, and a press of one of its buttons.
HWND WaitForMessageBox(DWORD processId, DWORD milliseconds = 30000);
std::wstring MessageBoxText(HWND box);
void PressMessageBoxButton(HWND box, int id);
// Chooses a list position or a track bar position as the user would, with the notification.
void ChooseComboPosition(HWND combo, int position);
void ChooseTrackBarPosition(HWND trackBar, int position);
// Presses a button without waiting for what its click starts.
void Press(HWND button);
// A left click at a point of a window's client area, as for a picture without a window of its own.
void ClickAt(HWND window, POINT point);
// A click on the main window's About picture, where the window's own layout puts it.
void ClickAboutImage(HWND main);
// The window that has the keyboard focus in the thread of Window.
HWND FocusOf(HWND window);
// Ends the product key's test state: the product key's values are removed.
void ClearProductKey();

} // namespace driver
