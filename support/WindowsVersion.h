// Which Windows release this is, and the forced restart.
#pragma once

// 0 Windows 2000, 1 XP, 2 Server 2003, 3 Vista, 4 Server 2008, 5 Windows 7,
// 6 Windows 8, 7 Server 2012; -1 for anything else.
int GetWindowsVersion();
void SetShutdownPrivilege(bool Enable);
void RestartWindows();
