// What Shell hands to Windows, replaceable so that tests can see the exact
// arguments without starting programs or opening the help viewer.
#pragma once

#include <windows.h>

using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND owner, LPCWSTR operation, LPCWSTR file,
                                                LPCWSTR parameters, LPCWSTR directory, INT showCommand);
using HtmlHelpFunction = HWND(WINAPI*)(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data);

// ShellExecuteW unless a test has put its own function here.
extern ShellExecuteFunction ShellExecuteCall;

// When set, called in place of the HtmlHelpW entry point of the loaded
// library, and only when the library would have been called.
extern HtmlHelpFunction HtmlHelpCallOverride;

// The HTML Help library loaded on first use: "hhctrl.ocx".
extern const wchar_t* HtmlHelpLibraryName;
