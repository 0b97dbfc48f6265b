#include "support/WindowsVersion.h"

#include <windows.h>

#include <cstring>

#include "framework/Handles.h"
#include "support/Seams.h"
#include "support/WindowsVersionTable.h"

static_assert(sizeof(OSVERSIONINFOEXW) == 284, "the extended version record Windows expects");
static_assert(sizeof(OSVERSIONINFOW) == 276, "the basic version record Windows expects");
static_assert(sizeof(TOKEN_PRIVILEGES) == 16, "a privilege list of exactly one entry");

WindowsRelease GetWindowsVersion() {
    try {
        OSVERSIONINFOEXW info;
        std::memset(&info, 0, sizeof(info));
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
#ifdef _MSC_VER
#pragma warning(suppress : 4996) // the version is wanted as Windows reports it to this program
#endif
        if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) {
            // Releases that do not know the extended record still fill the basic
            // part; the product type then stays 0.
            std::memset(&info, 0, sizeof(OSVERSIONINFOW));
            info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
#ifdef _MSC_VER
#pragma warning(suppress : 4996)
#endif
            GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info));
        }
        return WindowsVersionCode(info.dwMajorVersion, info.dwMinorVersion, info.wProductType);
    } catch (...) {
        return WindowsRelease::Unknown;
    }
}

void SetShutdownPrivilege(bool Enable) {
    try {
        UniqueKernelHandle token;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.receive()))
            return;

        TOKEN_PRIVILEGES state{};
        state.PrivilegeCount = 1;
        LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &state.Privileges[0].Luid);
        state.Privileges[0].Attributes = Enable ? SE_PRIVILEGE_ENABLED : 0;

        TOKEN_PRIVILEGES previous{};
        DWORD previousLength = 0;
        AdjustTokenPrivileges(token.get(), FALSE, &state, sizeof(previous), &previous, &previousLength);
    } catch (...) {
    }
}

void RestartWindows() {
    try {
        SetShutdownPrivilege(true);
        ExitWindowsCall(EWX_REBOOT | EWX_FORCE, 0);
        SetShutdownPrivilege(false);
    } catch (...) {
    }
}
