// Starts the real Hastrel.exe beside the tests and drives it from outside,
// as a user would: by its windows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Handles.h"

namespace driver {

// This test executable's own path, and the temporary folder.
std::wstring OwnPath();
std::wstring TempFolder();
std::wstring HastrelPath();

class Process {
public:
    Process() = default;
    explicit Process(PROCESS_INFORMATION pi) : process_(pi.hProcess), thread_(pi.hThread), id_(pi.dwProcessId) {}
    HANDLE Handle() const { return process_.get(); }
    DWORD Id() const { return id_; }
    explicit operator bool() const { return static_cast<bool>(process_); }
    // True when the process ended within the time; its exit code in *code.
    bool WaitForExit(DWORD milliseconds, DWORD* code = nullptr) const;
    void Kill() const;

private:
    UniqueKernelHandle process_;
    UniqueKernelHandle thread_;
    DWORD id_ = 0;
};

Process Start(const std::wstring& exe = HastrelPath(), const std::wstring& arguments = L"");
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
// Ends the product key's test state: the product key's values are removed.
void ClearProductKey();

} // namespace driver
