// Drives a running program from outside for scripts/screenshot, by window
// messages, as a user would with the mouse.
//
//   WindowDriver.exe wait CLASS          waits for a visible window of CLASS and
//                                        prints "rect=<l> <t> <r> <b>"
//   WindowDriver.exe click CLASS X Y     a left click at client point X, Y
//   WindowDriver.exe press CLASS TEXT    clicks the button captioned TEXT
//   WindowDriver.exe close CLASS         asks the window to close
//
// Exit code 0 on success, 2 when no such window or button came within 30 s.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

struct Search {
    const wchar_t* className;
    const wchar_t* text;
    HWND found;
};

BOOL CALLBACK FindVisible(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    wchar_t name[256] = {}, text[256] = {};
    GetClassNameW(hwnd, name, 256);
    GetWindowTextW(hwnd, text, 256);
    if (std::wcscmp(name, s->className) == 0 && IsWindowVisible(hwnd) &&
        (!s->text || std::wcscmp(text, s->text) == 0)) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND WaitFor(const wchar_t* className, HWND parent = nullptr, const wchar_t* text = nullptr) {
    for (int i = 0; i < 600; ++i) {
        Search search{className, text, nullptr};
        if (parent)
            EnumChildWindows(parent, FindVisible, reinterpret_cast<LPARAM>(&search));
        else
            EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        Sleep(50);
    }
    return nullptr;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fwprintf(stderr, L"usage: WindowDriver.exe wait|click|press|close CLASS [...]\n");
        return 1;
    }
    const std::wstring command = argv[1];
    HWND window = WaitFor(argv[2]);
    if (!window) return 2;
    if (command == L"wait") {
        RECT r{};
        GetWindowRect(window, &r);
        std::wprintf(L"rect=%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    } else if (command == L"click" && argc == 5) {
        const LPARAM at = MAKELPARAM(_wtoi(argv[3]), _wtoi(argv[4]));
        PostMessageW(window, WM_MOUSEMOVE, 0, at);
        PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(window, WM_LBUTTONUP, 0, at);
    } else if (command == L"press" && argc == 4) {
        HWND button = WaitFor(L"Button", window, argv[3]);
        if (!button) return 2;
        PostMessageW(button, BM_CLICK, 0, 0);
    } else if (command == L"close") {
        PostMessageW(window, WM_CLOSE, 0, 0);
    } else {
        std::fwprintf(stderr, L"unknown command\n");
        return 1;
    }
    std::fflush(stdout);
    return 0;
}
