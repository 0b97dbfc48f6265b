// Every call that tests may replace, in one place. Each is a function pointer
// that holds the real call; nothing else in the program can be swapped. They
// exist where the real thing would harm a test run (restarting Windows,
// launching programs and the help viewer, a modal message box, the click
// sound) or cannot be observed or set up under Wine (the messages a tooltip
// receives, the double-click time, the cursor and monitor of hint placement).
// The long pauses of the progress steps are the one other replaceable thing:
// `ProgressPacing` of the progress window, a table of timings.
#pragma once

#include <windows.h>

#include <optional>

#include "framework/Forms.h"

// Restart.
using ExitWindowsFunction = BOOL(WINAPI*)(UINT flags, DWORD reason);
extern ExitWindowsFunction ExitWindowsCall; // ExitWindowsEx

// Launching files, web pages and programs, and the help viewer.
using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND owner, LPCWSTR operation, LPCWSTR file,
                                                LPCWSTR parameters, LPCWSTR directory, INT showCommand);
using HtmlHelpFunction = HWND(WINAPI*)(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data);
extern ShellExecuteFunction ShellExecuteCall; // ShellExecuteW
// When set, called in place of the HtmlHelpW entry point of the loaded
// library, and only when the library would have been called.
extern HtmlHelpFunction HtmlHelpCallOverride; // none
// The HTML Help library, loaded on first use: a plain file name from the
// system folder; a full path, which only tests give, as it stands.
extern const wchar_t* HtmlHelpLibraryName; // "hhctrl.ocx"

// The click sound.
using PlaySoundFunction = BOOL(WINAPI*)(LPCWSTR sound, HMODULE module, DWORD flags);
extern PlaySoundFunction PlaySoundCall; // PlaySoundW of winmm from the system folder

// The message boxes of "Optimize now" and "Restore"; tests answer them in place of a user.
using MessageBoxFunction = int(WINAPI*)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
extern MessageBoxFunction MessageBoxCall; // MessageBoxW

// What the native hint window asks of Windows. Wine's tooltips adjust and
// clamp differently from Windows', so tests see the messages and place hints
// on a screen of their own.
using SendMessageFunction = LRESULT(WINAPI*)(HWND window, UINT message, WPARAM wp, LPARAM lp);
using GetDoubleClickTimeFunction = UINT(WINAPI*)();
using GetCursorPosFunction = BOOL(WINAPI*)(LPPOINT point);
using MonitorFromPointFunction = std::optional<TMonitor> (*)(POINT point);
extern SendMessageFunction SendToolTipMessageCall;        // SendMessageW, for every message to a tooltip
extern GetDoubleClickTimeFunction GetDoubleClickTimeCall; // GetDoubleClickTime
extern GetCursorPosFunction GetCursorPosCall;             // GetCursorPos
extern MonitorFromPointFunction MonitorFromPointCall;     // Screen.MonitorFromPoint, nearest monitor
