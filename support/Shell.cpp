#include "support/Shell.h"

#include <windows.h>
#include <htmlhelp.h>
#include <shellapi.h>

#include "framework/Forms.h"
#include "support/Seams.h"
#include "support/SystemLibrary.h"

namespace {

// The HTML Help entry points, looked up once the library has loaded. The
// library is never freed: the help viewer's windows run on our thread from
// its code and may outlive every window of the program.
struct HtmlHelpLibrary {
    HMODULE module = nullptr;
    FARPROC htmlHelpA = nullptr;
    HtmlHelpFunction htmlHelpW = nullptr;
};

// The program names the library alone, and it comes from the system folder;
// tests name a stand-in by its full path.
HMODULE LoadHtmlHelpLibrary() {
    const std::wstring name = HtmlHelpLibraryName;
    const bool fullPath =
        name.size() > 2 && ((name[1] == L':' && name[2] == L'\\') || name.rfind(L"\\\\", 0) == 0);
    if (fullPath) return LoadLibraryExW(name.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return LoadSystemLibrary(name);
}

HtmlHelpLibrary& LoadedHtmlHelp() {
    static HtmlHelpLibrary library;
    if (!library.module) {
        library.module = LoadHtmlHelpLibrary();
        library.htmlHelpA = EntryPoint<FARPROC>(library.module, "HtmlHelpA");
        library.htmlHelpW = EntryPoint<HtmlHelpFunction>(library.module, "HtmlHelpW");
    }
    return library;
}

} // namespace

void ShellOpen(const std::wstring& FileName, const std::wstring& Parameters) {
    try {
        ShellExecuteCall(Application.Handle(), L"open", FileName.c_str(), Parameters.c_str(), nullptr,
                         SW_SHOW);
    } catch (...) {
    }
}

void ShellOpenDetached(const std::wstring& FileName, const std::wstring& Parameters) {
    try {
        // No owner: nothing the shell shows for the launch belongs to our windows.
        ShellExecuteCall(nullptr, L"open", FileName.c_str(), Parameters.c_str(), nullptr, SW_SHOW);
    } catch (...) {
    }
}

void OpenDocument(const std::wstring& FileName) {
    try {
        ShellExecuteCall(Application.Handle(), L"open", FileName.c_str(), nullptr, nullptr, SW_SHOW);
    } catch (...) {
    }
}

void ShowHelpTopic(const std::wstring& HelpFile, const std::wstring& Topic) {
    try {
        const HtmlHelpLibrary& library = LoadedHtmlHelp();
        if (!library.htmlHelpA || !library.htmlHelpW) return;
        const std::wstring folder = ExecutableFolder();
        if (folder.empty()) return;
        const std::wstring path = folder + HelpFile + L"::" + Topic + L">HelpWindow";
        // Owned by the desktop, the viewer stays open when the asking window closes.
        const HtmlHelpFunction htmlHelp = HtmlHelpCallOverride ? HtmlHelpCallOverride : library.htmlHelpW;
        htmlHelp(GetDesktopWindow(), path.c_str(), HH_DISPLAY_TOPIC, 0);
    } catch (...) {
    }
}

std::wstring ExecutableFolder() {
    try {
        std::wstring path(MAX_PATH, L'\0');
        for (;;) {
            const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
            if (length == 0) return {};
            if (length < path.size()) {
                path.resize(length);
                break;
            }
            path.resize(path.size() * 2);
        }
        const size_t slash = path.find_last_of(L"\\/");
        return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
    } catch (...) {
        return {};
    }
}
