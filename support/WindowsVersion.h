// Which Windows release this is, and the forced restart.
#pragma once

#include <cstdint>

// The Windows version code. The numbers are the codes themselves: they are
// compared and mapped to list positions, so they never change.
enum class WindowsRelease : int32_t {
    Unknown = -1, // any other release, and any failure to tell
    Windows2000 = 0,
    WindowsXP = 1,
    WindowsServer2003 = 2,
    WindowsVista = 3,
    WindowsServer2008 = 4,
    Windows7 = 5,
    Windows8 = 6,
    WindowsServer2012 = 7,
};

WindowsRelease GetWindowsVersion();
void SetShutdownPrivilege(bool Enable);
void RestartWindows();
