// Planted beside a copy of the program under the name of a library that it
// needs (winmm.dll, hhctrl.ocx): once loaded, it leaves "<its own file
// name>.loaded" beside itself. It exports what the program looks for in those
// libraries, so that a program which loads it still starts and goes on.
#include <windows.h>

#include <string>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(instance, path.data(), static_cast<DWORD>(path.size())));
    HANDLE marker = CreateFileW((path + L".loaded").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
    return TRUE;
}

extern "C" __declspec(dllexport) BOOL WINAPI PlaySoundW(LPCWSTR, HMODULE, DWORD) {
    return FALSE;
}

extern "C" __declspec(dllexport) HWND WINAPI HtmlHelpW(HWND, LPCWSTR, UINT, DWORD_PTR) {
    return nullptr;
}

extern "C" __declspec(dllexport) HWND WINAPI HtmlHelpA(HWND, LPCSTR, UINT, DWORD_PTR) {
    return nullptr;
}
