// The call that really restarts Windows, replaceable so that tests can run
// RestartWindows without ending the session.
#pragma once

#include <windows.h>

using ExitWindowsFunction = BOOL(WINAPI*)(UINT flags, DWORD reason);

// ExitWindowsEx unless a test has put its own function here.
extern ExitWindowsFunction ExitWindowsCall;
