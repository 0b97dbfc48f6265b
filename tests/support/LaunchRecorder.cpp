#include "support/LaunchRecorder.h"

#include <shellapi.h>

#include <algorithm>

namespace {

std::vector<Launch> launches;
bool passToShell = false;

BOOL WINAPI RecordClick(LPCWSTR sound, HMODULE, DWORD) {
    launches.push_back({Launch::Click, nullptr, sound ? sound : L"", std::nullopt});
    return TRUE;
}

HINSTANCE WINAPI RecordShell(HWND owner, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters,
                             LPCWSTR directory, INT show) {
    launches.push_back({Launch::Shell, owner, file ? file : L"",
                        parameters ? std::optional<std::wstring>(parameters) : std::nullopt});
    if (passToShell) return ShellExecuteW(owner, operation, file, parameters, directory, show);
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
}

HWND WINAPI RecordHelp(HWND caller, LPCWSTR file, UINT, DWORD_PTR) {
    launches.push_back({Launch::Help, caller, file ? file : L"", std::nullopt});
    return nullptr;
}

} // namespace

LaunchRecorder::LaunchRecorder(bool realShell)
    : savedSound_(PlaySoundCall), savedShell_(ShellExecuteCall), savedHelp_(HtmlHelpCallOverride) {
    launches.clear();
    passToShell = realShell;
    PlaySoundCall = RecordClick;
    ShellExecuteCall = RecordShell;
    HtmlHelpCallOverride = RecordHelp;
}

LaunchRecorder::~LaunchRecorder() {
    PlaySoundCall = savedSound_;
    ShellExecuteCall = savedShell_;
    HtmlHelpCallOverride = savedHelp_;
    passToShell = false;
}

const std::vector<Launch>& LaunchRecorder::Log() const {
    return launches;
}

void LaunchRecorder::Clear() {
    launches.clear();
}

int LaunchRecorder::Count(Launch::Kind kind) const {
    return static_cast<int>(
        std::count_if(launches.begin(), launches.end(), [kind](const Launch& l) { return l.kind == kind; }));
}
