#include "support/SystemLibrary.h"

HMODULE LoadSystemLibrary(const std::wstring& FileName) {
    try {
        if (FileName.empty() || FileName.find_first_of(L"\\/:") != std::wstring::npos) return nullptr;
        std::wstring folder(MAX_PATH, L'\0');
        UINT length = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
        if (length >= folder.size()) {
            folder.resize(length);
            length = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
        }
        if (length == 0 || length >= folder.size()) return nullptr;
        folder.resize(length);
        if (folder.back() != L'\\') folder += L'\\';
        return LoadLibraryExW((folder + FileName).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    } catch (...) {
        return nullptr;
    }
}

void RestrictLibrarySearch() {
    try {
        // Looked up rather than imported, so that the program still starts
        // where they are missing: Windows 2000 has neither, XP has the second
        // from its first service pack on, Vista and 7 the first only with the
        // update that brought it.
        using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD flags);
        using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCWSTR folder);
        const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        if (const auto systemFolderOnly =
                EntryPoint<SetDefaultDllDirectoriesFunction>(kernel, "SetDefaultDllDirectories"))
            systemFolderOnly(LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (const auto setFolder = EntryPoint<SetDllDirectoryFunction>(kernel, "SetDllDirectoryW"))
            setFolder(L"");
    } catch (...) {
    }
}
