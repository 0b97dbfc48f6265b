#include "support/AppDriver.h"

#include <vector>

#include "support/TestRegistry.h"

namespace driver {

std::wstring HastrelPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.resize(folder.find_last_of(L'\\') + 1);
    return folder + L"..\\Hastrel.exe";
}

bool Process::WaitForExit(DWORD milliseconds, DWORD* code) const {
    if (WaitForSingleObject(process_.get(), milliseconds) != WAIT_OBJECT_0) return false;
    DWORD exitCode = 0;
    GetExitCodeProcess(process_.get(), &exitCode);
    if (code) *code = exitCode;
    return true;
}

void Process::Kill() const {
    if (process_) {
        TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), 5000);
    }
}

Process Start(const std::wstring& exe, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return Process();
    return Process(pi);
}

namespace {
struct Search {
    const std::wstring* className;
    DWORD processId;
    HWND found;
    int count;
};
BOOL CALLBACK Visit(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    if (*s->className != name) return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    ++s->count;
    if ((s->processId == 0 || pid == s->processId) && IsWindowVisible(hwnd) && !s->found) s->found = hwnd;
    return TRUE;
}
} // namespace

HWND WaitForWindow(const std::wstring& className, DWORD processId, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    do {
        Search s{&className, processId, nullptr, 0};
        EnumWindows(Visit, reinterpret_cast<LPARAM>(&s));
        if (s.found) return s.found;
        Sleep(50);
    } while (GetTickCount() - start < milliseconds);
    return nullptr;
}

int CountWindows(const std::wstring& className) {
    Search s{&className, 0, nullptr, 0};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&s));
    return s.count;
}

void ClearProductKey() {
    const std::wstring key = L"Software\\Brenlow\\Hastrel";
    for (const wchar_t* name :
         {L"InstalledDate", L"Updated", L"UpdatedDate", L"InternetType", L"ProcessorType", L"SpeedSetting",
          L"Restore", L"Language", L"MinAnimate", L"DisablePagingExecutive", L"LargeSystemCache",
          L"Win32PrioritySeparation", L"AutoReboot", L"MaxConnectionsPerServer", L"MaxConnectionsPer1_0Server",
          L"KeepAliveTime", L"KeepAliveInterval"})
        testreg::DeleteValue(HKEY_LOCAL_MACHINE, key, name);
}

} // namespace driver
