// Starts a program and measures, from outside, how long it takes until its
// main window is visible and painted, and the peak working set it reached by
// then.
//
//   BenchProbe.exe [--keep] WINDOW_CLASS PROGRAM.exe
//
// Prints one line: "ms=<start-up time> peak_kb=<peak working set> rect=<l> <t> <r> <b>"
// (the window's screen rectangle). The program is then closed with WM_CLOSE,
// unless --keep is given. Exit code 0 on success, 2 when no window came.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

struct Handle {
    HANDLE h = nullptr;
    Handle() = default;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (h) CloseHandle(h);
    }
};

struct Search {
    DWORD processId;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK FindTopLevel(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    if (pid == s->processId && std::wcscmp(name, s->className) == 0 && IsWindowVisible(hwnd)) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindDirty(HWND hwnd, LPARAM lp) {
    if (IsWindowVisible(hwnd) && GetUpdateRect(hwnd, nullptr, FALSE)) {
        *reinterpret_cast<bool*>(lp) = true;
        return FALSE;
    }
    return TRUE;
}

// True once the window and every visible child have nothing left to paint
// and the owning thread has come back to its message loop.
bool Painted(HWND hwnd) {
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored)) return false;
    bool dirty = GetUpdateRect(hwnd, nullptr, FALSE) != FALSE;
    if (!dirty) EnumChildWindows(hwnd, FindDirty, reinterpret_cast<LPARAM>(&dirty));
    return !dirty;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    int arg = 1;
    bool keep = false;
    if (arg < argc && std::wcscmp(argv[arg], L"--keep") == 0) {
        keep = true;
        ++arg;
    }
    if (argc - arg != 2) {
        std::fwprintf(stderr, L"usage: BenchProbe.exe [--keep] WINDOW_CLASS PROGRAM.exe\n");
        return 1;
    }
    const wchar_t* className = argv[arg];
    std::wstring command = L"\"" + std::wstring(argv[arg + 1]) + L"\"";

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::fwprintf(stderr, L"cannot start %ls (error %lu)\n", argv[arg + 1], GetLastError());
        return 1;
    }
    Handle process, thread;
    process.h = pi.hProcess;
    thread.h = pi.hThread;

    HWND window = nullptr;
    for (;;) {
        Search search{pi.dwProcessId, className, nullptr};
        EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&search));
        if (search.found && Painted(search.found)) {
            window = search.found;
            break;
        }
        if (WaitForSingleObject(process.h, 1) == WAIT_OBJECT_0) break;
        QueryPerformanceCounter(&end);
        if ((end.QuadPart - start.QuadPart) / frequency.QuadPart > 60) break;
    }
    QueryPerformanceCounter(&end);
    if (!window) {
        std::fwprintf(stderr, L"no visible window of class %ls\n", className);
        TerminateProcess(process.h, 1);
        return 2;
    }

    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(process.h, &counters, sizeof(counters));
    RECT r{};
    GetWindowRect(window, &r);
    const double ms =
        1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    std::wprintf(L"ms=%.1f peak_kb=%lu rect=%ld %ld %ld %ld\n", ms,
                 static_cast<unsigned long>(counters.PeakWorkingSetSize / 1024), r.left, r.top, r.right,
                 r.bottom);
    std::fflush(stdout);

    if (!keep) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process.h, 10000) != WAIT_OBJECT_0) TerminateProcess(process.h, 1);
    }
    return 0;
}
