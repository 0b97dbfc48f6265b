// Stands in for the HTML Help library beside a copy of the program: every
// call is written, one line each, to "help-calls.txt" beside this library,
// and no viewer opens.
#include <windows.h>

#include <string>

namespace {

HMODULE ownModule = nullptr;

void Record(const std::wstring& line) {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(ownModule, path.data(), static_cast<DWORD>(path.size())));
    path.resize(path.find_last_of(L'\\') + 1);
    path += L"help-calls.txt";
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::wstring text = line + L"\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) ownModule = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) HWND WINAPI HtmlHelpW(HWND, LPCWSTR file, UINT command, DWORD_PTR) {
    Record(std::to_wstring(command) + L" " + (file ? file : L"(null)"));
    return nullptr;
}

extern "C" __declspec(dllexport) HWND WINAPI HtmlHelpA(HWND, LPCSTR, UINT, DWORD_PTR) {
    Record(L"ansi");
    return nullptr;
}
