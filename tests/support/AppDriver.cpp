#include "support/AppDriver.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/DornithForm.h"
#include "support/TestRegistry.h"

namespace driver {

std::wstring OwnPath() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

std::wstring TempFolder() {
    std::wstring path(MAX_PATH + 1, L'\0');
    path.resize(GetTempPathW(static_cast<DWORD>(path.size()), path.data()));
    return path;
}

std::wstring BuildFolder() {
    std::wstring folder = OwnPath();
    folder.resize(folder.find_last_of(L'\\') + 1);
    return folder + L"..\\";
}

std::wstring HastrelPath() {
    return BuildFolder() + L"Hastrel.exe";
}

std::wstring ShortStepsPath() {
    return BuildFolder() + L"HastrelShortSteps.exe";
}

std::wstring DoublesFolder() {
    return BuildFolder() + L"test-doubles\\";
}

std::wstring CurrentFolder() {
    std::wstring path(32768, L'\0');
    path.resize(GetCurrentDirectoryW(static_cast<DWORD>(path.size()), path.data()));
    return path;
}

std::optional<std::vector<std::uint8_t>> ReadBytes(const std::wstring& path) {
    UniqueKernelHandle file(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(GetFileSize(file.get(), nullptr));
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        return std::nullopt;
    bytes.resize(read);
    return bytes;
}

std::optional<std::wstring> ReadText(const std::wstring& path) {
    const auto bytes = ReadBytes(path);
    if (!bytes) return std::nullopt;
    std::wstring text(bytes->size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), bytes->data(), text.size() * sizeof(wchar_t));
    return text;
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

bool Process::WhileHeld(const std::function<void()>& post) const {
    if (SuspendThread(thread_.get()) == static_cast<DWORD>(-1)) return false;
    post();
    ResumeThread(thread_.get());
    return true;
}

Process StartAs(const std::wstring& exe, std::wstring commandLine, const std::wstring& folder) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi))
        return Process();
    return Process(pi);
}

Process Start(const std::wstring& exe, const std::wstring& arguments) {
    return StartAs(exe, L"\"" + exe + L"\" " + arguments, L"");
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

std::vector<HWND> Children(HWND parent, const std::wstring& className) {
    struct Collect {
        const std::wstring* className;
        std::vector<HWND> found;
        static BOOL CALLBACK Add(HWND hwnd, LPARAM lp) {
            auto* c = reinterpret_cast<Collect*>(lp);
            wchar_t name[256] = {};
            GetClassNameW(hwnd, name, 256);
            if (*c->className == name) c->found.push_back(hwnd);
            return TRUE;
        }
    } collect{&className, {}};
    EnumChildWindows(parent, Collect::Add, reinterpret_cast<LPARAM>(&collect));
    std::stable_sort(collect.found.begin(), collect.found.end(), [](HWND a, HWND b) {
        RECT ra, rb;
        GetWindowRect(a, &ra);
        GetWindowRect(b, &rb);
        return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
    });
    return collect.found;
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

HWND ChildWithText(HWND parent, const std::wstring& className, const std::wstring& text) {
    for (HWND child : Children(parent, className))
        if (WindowText(child) == text) return child;
    return nullptr;
}

HWND WaitForMessageBox(DWORD processId, DWORD milliseconds) {
    return WaitForWindow(L"#32770", processId, milliseconds);
}

std::wstring MessageBoxText(HWND box) {
    std::wstring text;
    for (HWND child : Children(box, L"Static")) {
        const std::wstring t = WindowText(child);
        if (t.size() > text.size()) text = t;
    }
    return text;
}

void PressMessageBoxButton(HWND box, int id) {
    HWND button = GetDlgItem(box, id);
    if (button)
        PostMessageW(button, BM_CLICK, 0, 0);
    else
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

void ChooseComboPosition(HWND combo, int position) {
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
    SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

void ChooseTrackBarPosition(HWND trackBar, int position) {
    SendMessageW(trackBar, TBM_SETPOS, TRUE, position);
    SendMessageW(GetParent(trackBar), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position),
                 reinterpret_cast<LPARAM>(trackBar));
    SendMessageW(GetParent(trackBar), WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0),
                 reinterpret_cast<LPARAM>(trackBar));
}

void Press(HWND button) {
    PostMessageW(button, BM_CLICK, 0, 0);
}

void ClickAt(HWND window, POINT point) {
    const LPARAM at = MAKELPARAM(point.x, point.y);
    PostMessageW(window, WM_MOUSEMOVE, 0, at);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(window, WM_LBUTTONUP, 0, at);
}

void ClickAboutImage(HWND main) {
    const TKVMainForm layout(nullptr);
    const RECT image = layout.NavButton4->BoundsRect();
    ClickAt(main, {(image.left + image.right) / 2, (image.top + image.bottom) / 2});
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

void ClearProductKey() {
    const std::wstring key = L"Software\\Brenlow\\Hastrel";
    for (const wchar_t* name :
         {L"InstalledDate", L"Updated", L"UpdatedDate", L"InternetType", L"ProcessorType", L"SpeedSetting",
          L"Restore", L"Language", L"MinAnimate", L"DisablePagingExecutive", L"LargeSystemCache",
          L"Win32PrioritySeparation", L"AutoReboot", L"MaxConnectionsPerServer",
          L"MaxConnectionsPer1_0Server", L"KeepAliveTime", L"KeepAliveInterval"})
        testreg::DeleteValue(HKEY_LOCAL_MACHINE, key, name);
    testreg::DeleteTree(HKEY_LOCAL_MACHINE, key + L"\\Originals");
}

} // namespace driver
