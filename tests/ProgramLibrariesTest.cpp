// What code the elevated program takes in, and where it can start: its
// import table names only libraries that Windows always takes from its system
// folder, and only functions that Windows 2000 has; and a run beside planted
// copies of the libraries it loads itself (the sound and the help library)
// takes none of them, from its own folder or its current one.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "support/AppDriver.h"
#include "support/TestRegistry.h"

namespace {

// ---- The import table, read from the file ----

template <class T> std::optional<T> At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) return std::nullopt;
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

// One imported function: by name, or by ordinal where Name is empty.
struct ImportedFunction {
    std::string Name;
    WORD Ordinal = 0;
};

struct ImportedLibrary {
    std::string Name;
    std::vector<ImportedFunction> Functions;
};

struct Imports {
    bool wide = false; // PE32+, the 64-bit build
    int osVersion = 0, subsystemVersion = 0; // major * 100 + minor
    std::vector<ImportedLibrary> libraries;
    bool delayImports = false;
};

// A NUL-terminated string at Offset of the file.
std::optional<std::string> StringAt(const std::vector<std::uint8_t>& file, std::size_t offset) {
    if (offset >= file.size()) return std::nullopt;
    const auto end = std::find(file.begin() + static_cast<std::ptrdiff_t>(offset), file.end(), 0);
    if (end == file.end()) return std::nullopt;
    return std::string(file.begin() + static_cast<std::ptrdiff_t>(offset), end);
}

// The header versions and the import directory of a PE32 or PE32+ image, and
// whether it has a delay-import directory; nothing when the file is not a
// well-formed image.
std::optional<Imports> ReadImports(const std::vector<std::uint8_t>& file) {
    const auto dos = At<IMAGE_DOS_HEADER>(file, 0);
    if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew < 0) return std::nullopt;
    const std::size_t nt = static_cast<std::size_t>(dos->e_lfanew);
    const auto signature = At<DWORD>(file, nt);
    const auto header = At<IMAGE_FILE_HEADER>(file, nt + sizeof(DWORD));
    const std::size_t optional = nt + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER);
    const auto magic = At<WORD>(file, optional);
    if (!signature || *signature != IMAGE_NT_SIGNATURE || !header || !magic) return std::nullopt;
    Imports imports;
    imports.wide = *magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
    const bool wide = imports.wide;
    if (!wide && *magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC) return std::nullopt;
    // The releases the image asks for, as major * 100 + minor.
    auto readVersions = [&imports](const auto& header) {
        if (!header) return false;
        imports.osVersion = header->MajorOperatingSystemVersion * 100 + header->MinorOperatingSystemVersion;
        imports.subsystemVersion = header->MajorSubsystemVersion * 100 + header->MinorSubsystemVersion;
        return true;
    };
    if (!(wide ? readVersions(At<IMAGE_OPTIONAL_HEADER64>(file, optional))
               : readVersions(At<IMAGE_OPTIONAL_HEADER32>(file, optional))))
        return std::nullopt;
    // The data directories close either form of the optional header.
    const std::size_t first = optional + (wide ? offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory)
                                               : offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory));
    const auto count = At<DWORD>(file, first - sizeof(DWORD)); // NumberOfRvaAndSizes
    if (!count ||
        first + std::size_t{*count} * sizeof(IMAGE_DATA_DIRECTORY) > optional + header->SizeOfOptionalHeader)
        return std::nullopt;
    auto directory = [&](DWORD index) {
        const auto entry = At<IMAGE_DATA_DIRECTORY>(file, first + index * sizeof(IMAGE_DATA_DIRECTORY));
        return index < *count && entry ? *entry : IMAGE_DATA_DIRECTORY{};
    };
    auto fileOffset = [&](ULONGLONG rva) -> std::optional<std::size_t> {
        for (WORD i = 0; i < header->NumberOfSections; ++i) {
            const auto s = At<IMAGE_SECTION_HEADER>(file, optional + header->SizeOfOptionalHeader +
                                                              i * sizeof(IMAGE_SECTION_HEADER));
            if (s && rva >= s->VirtualAddress && rva - s->VirtualAddress < s->SizeOfRawData)
                return std::size_t{s->PointerToRawData} + static_cast<std::size_t>(rva - s->VirtualAddress);
        }
        return std::nullopt;
    };
    // One entry of a thunk array: 32 or 64 bits, the top one set for an ordinal.
    auto thunk = [&](std::size_t at) -> std::optional<ULONGLONG> {
        if (wide) return At<ULONGLONG>(file, at);
        const auto narrow = At<DWORD>(file, at);
        if (!narrow) return std::nullopt;
        return (ULONGLONG{*narrow} & IMAGE_ORDINAL_FLAG32) ? (*narrow & 0xFFFF) | IMAGE_ORDINAL_FLAG64
                                                           : ULONGLONG{*narrow};
    };

    const IMAGE_DATA_DIRECTORY delay = directory(IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT);
    imports.delayImports = delay.VirtualAddress != 0 || delay.Size != 0;
    const DWORD importRva = directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress;
    if (importRva == 0) return imports;
    for (auto at = fileOffset(importRva);; *at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto descriptor = at ? At<IMAGE_IMPORT_DESCRIPTOR>(file, *at) : std::nullopt;
        if (!descriptor) return std::nullopt;
        if (descriptor->Name == 0) break;
        const auto nameAt = fileOffset(descriptor->Name);
        const auto name = nameAt ? StringAt(file, *nameAt) : std::nullopt;
        if (!name) return std::nullopt;
        ImportedLibrary library{*name, {}};
        // The lookup table names what is imported; the address table only until it is bound.
        const DWORD names =
            descriptor->OriginalFirstThunk ? descriptor->OriginalFirstThunk : descriptor->FirstThunk;
        const auto table = fileOffset(names);
        if (!table) return std::nullopt;
        for (std::size_t entry = *table;; entry += wide ? sizeof(ULONGLONG) : sizeof(DWORD)) {
            const auto value = thunk(entry);
            if (!value) return std::nullopt;
            if (*value == 0) break;
            if (*value & IMAGE_ORDINAL_FLAG64) {
                library.Functions.push_back({"", static_cast<WORD>(*value & 0xFFFF)});
                continue;
            }
            const auto hintAt = fileOffset(*value); // IMAGE_IMPORT_BY_NAME: a WORD hint, then the name
            const auto function = hintAt ? StringAt(file, *hintAt + sizeof(WORD)) : std::nullopt;
            if (!function) return std::nullopt;
            library.Functions.push_back({*function, 0});
        }
        imports.libraries.push_back(std::move(library));
    }
    return imports;
}

bool SameName(const std::string& a, const std::string& b) {
    return _stricmp(a.c_str(), b.c_str()) == 0;
}

std::optional<Imports> ProgramImports() {
    const auto file = driver::ReadBytes(driver::HastrelPath());
    return file ? ReadImports(*file) : std::nullopt;
}

TEST(ProgramImports, NameOnlyLibrariesThatWindowsTakesFromItsSystemFolder) {
    // The known DLLs, and the common controls that the manifest binds to the
    // system's own side-by-side copy.
    const std::vector<std::string> allowed = {"kernel32.dll", "user32.dll",  "gdi32.dll",   "advapi32.dll",
                                              "shell32.dll",  "msvcrt.dll",  "ole32.dll",   "oleaut32.dll",
                                              "comdlg32.dll", "shlwapi.dll", "comctl32.dll"};
    const auto imports = ProgramImports();
    ASSERT_TRUE(imports) << "the program's import directory does not read";
    auto among = [](const std::vector<std::string>& names, const std::string& name) {
        return std::any_of(names.begin(), names.end(),
                           [&](const std::string& n) { return SameName(n, name); });
    };
    std::vector<std::string> names;
    for (const ImportedLibrary& library : imports->libraries)
        names.push_back(library.Name);
    EXPECT_TRUE(among(names, "kernel32.dll")) << "the import directory was misread";
    for (const std::string& name : names)
        EXPECT_TRUE(among(allowed, name)) << name << " is imported";
    EXPECT_FALSE(imports->delayImports) << "a delay-loaded library would be searched for beside the program";
}

// Every function the program imports, by the library that exports it. The
// loader refuses to start a program when one is missing, so each name here
// has been checked against Windows 2000: Microsoft's reference for the
// function gives Windows 2000 or an earlier release as its minimum, and the C
// runtime names are those of the Visual C++ 6 runtime, which is Windows
// 2000's msvcrt.dll. A name the program comes to import fails the test until
// it has been checked the same way and added; anything newer is looked up at
// run time instead.
const std::vector<std::pair<std::string, std::vector<std::string>>> Windows2000Exports = {
    {"advapi32.dll",
     {"AdjustTokenPrivileges", "LookupPrivilegeValueW", "OpenProcessToken", "RegCloseKey", "RegCreateKeyExW",
      "RegDeleteValueW", "RegOpenKeyExW", "RegQueryValueExW", "RegSetValueExW"}},
    {"comctl32.dll",
     {"ImageList_Add", "ImageList_Create", "ImageList_Destroy", "ImageList_GetImageCount",
      "InitCommonControlsEx"}},
    {"gdi32.dll",
     {"BitBlt",
      "CreateBitmap",
      "CreateCompatibleBitmap",
      "CreateCompatibleDC",
      "CreateDIBSection",
      "CreateFontIndirectW",
      "CreateSolidBrush",
      "DeleteDC",
      "DeleteObject",
      "GdiAlphaBlend",
      "GdiFlush",
      "GetObjectW",
      "GetStockObject",
      "GetTextExtentPoint32W",
      "IntersectClipRect",
      "OffsetViewportOrgEx",
      "RestoreDC",
      "SaveDC",
      "SelectObject",
      "SetBkColor",
      "SetBkMode",
      "SetTextColor"}},
    {"kernel32.dll",
     {"CloseHandle",
      "CompareStringW",
      "CreateSemaphoreW",
      "DeleteCriticalSection",
      "EnterCriticalSection",
      "FileTimeToSystemTime",
      "FindResourceW",
      "FreeLibrary",
      "GetCurrentProcess",
      "GetCurrentThreadId",
      "GetDateFormatW",
      "GetLastError",
      "GetLocalTime",
      "GetLocaleInfoW",
      "GetModuleFileNameW",
      "GetModuleHandleA",
      "GetModuleHandleW",
      "GetProcAddress",
      "GetStartupInfoW",
      "GetSystemDirectoryW",
      "GetThreadLocale",
      "GetTickCount",
      "GetVersionExW",
      "InitializeCriticalSection",
      "IsDBCSLeadByteEx",
      "LeaveCriticalSection",
      "LoadLibraryA",
      "LoadLibraryExW",
      "LoadLibraryW",
      "LoadResource",
      "LockResource",
      "MulDiv",
      "MultiByteToWideChar",
      "QueryPerformanceCounter",
      "RaiseException",
      "ReleaseSemaphore",
      "SetLastError",
      "SetUnhandledExceptionFilter",
      "SizeofResource",
      "Sleep",
      "SystemTimeToFileTime",
      "TlsAlloc",
      "TlsFree",
      "TlsGetValue",
      "TlsSetValue",
      "VirtualProtect",
      "VirtualQuery",
      "WaitForSingleObject",
      "WideCharToMultiByte"}},
    {"msvcrt.dll",
     {"__mb_cur_max",   "__p__commode", "__p__fmode", "__p__wcmdln", "__set_app_type", "__setusermatherr",
      "__wgetmainargs", "__winitenv",   "_amsg_exit", "_cexit",      "_close",         "_errno",
      "_initterm",      "_iob",         "_onexit",    "_read",       "abort",          "atoi",
      "calloc",         "exit",         "fprintf",    "fputc",       "fputs",          "fputwc",
      "free",           "fwprintf",     "fwrite",     "localeconv",  "malloc",         "memchr",
      "memcmp",         "memcpy",       "memmove",    "memset",      "realloc",        "setlocale",
      "signal",         "strchr",       "strcmp",     "strerror",    "strlen",         "strncmp",
      "towlower",       "vfprintf",     "wcslen",     "wcsncpy"}},
    {"shell32.dll", {"ShellExecuteW"}},
    {"user32.dll",
     {"AdjustWindowRectEx",
      "AppendMenuW",
      "BeginPaint",
      "ClientToScreen",
      "CreatePopupMenu",
      "CreateWindowExW",
      "DefWindowProcW",
      "DestroyMenu",
      "DestroyWindow",
      "DispatchMessageW",
      "DrawEdge",
      "DrawTextW",
      "EnableWindow",
      "EndPaint",
      "EnumThreadWindows",
      "ExitWindowsEx",
      "FillRect",
      "FindWindowW",
      "FrameRect",
      "GetActiveWindow",
      "GetAncestor",
      "GetCapture",
      "GetClientRect",
      "GetCursorPos",
      "GetDC",
      "GetDesktopWindow",
      "GetDlgCtrlID",
      "GetDoubleClickTime",
      "GetFocus",
      "GetMessageW",
      "GetMonitorInfoW",
      "GetNextDlgTabItem",
      "GetParent",
      "GetPropW",
      "GetSysColor",
      "GetSysColorBrush",
      "GetSystemMetrics",
      "GetWindowDC",
      "GetWindowLongW",
      "GetWindowPlacement",
      "GetWindowRect",
      "InflateRect",
      "InvalidateRect",
      "IsChild",
      "IsDialogMessageW",
      "IsIconic",
      "IsWindow",
      "IsWindowEnabled",
      "IsWindowVisible",
      "KillTimer",
      "LoadCursorW",
      "LoadIconW",
      "LoadImageW",
      "MessageBoxW",
      "MonitorFromPoint",
      "MonitorFromRect",
      "MoveWindow",
      "OffsetRect",
      "PeekMessageW",
      "PostQuitMessage",
      "PtInRect",
      "RegisterClassExW",
      "ReleaseCapture",
      "ReleaseDC",
      "RemovePropW",
      "ScreenToClient",
      "SendMessageW",
      "SetCapture",
      "SetCursor",
      "SetFocus",
      "SetForegroundWindow",
      "SetPropW",
      "SetTimer",
      "SetWindowPos",
      "SetWindowTextW",
      "ShowWindow",
      "SystemParametersInfoW",
      "TrackMouseEvent",
      "TrackPopupMenu",
      "TranslateMessage",
      "UpdateWindow",
      "WindowFromPoint"}},
};

// What only the 64-bit build imports: the unwinding that x64 exceptions go
// through, the pointer-sized window data, and the x64 C runtime's forms of
// its globals. Every x64 release has them, from the first (XP x64 and Server
// 2003 x64, both 5.2) on; there is no 64-bit Windows 2000.
const std::vector<std::pair<std::string, std::vector<std::string>>> X64Exports = {
    {"kernel32.dll",
     {"RtlCaptureContext", "RtlLookupFunctionEntry", "RtlUnwindEx", "RtlVirtualUnwind",
      "__C_specific_handler"}},
    {"msvcrt.dll",
     {"___lc_codepage_func", "___mb_cur_max_func", "__iob_func", "_commode", "_fmode", "_wcmdln"}},
    {"user32.dll", {"GetWindowLongPtrW"}},
};

// The subclass helpers of the common controls, which Windows 2000's comctl32
// 5.81 exports by ordinal only: the one way they may be imported.
constexpr WORD SubclassOrdinals[] = {410, 412, 413};

bool Exported(const std::vector<std::pair<std::string, std::vector<std::string>>>& table,
              const std::string& library, const std::string& function) {
    return std::any_of(table.begin(), table.end(), [&](const auto& row) {
        return SameName(row.first, library) &&
               std::find(row.second.begin(), row.second.end(), function) != row.second.end();
    });
}

TEST(ProgramImports, ImportOnlyWhatWindows2000Exports) {
    const auto imports = ProgramImports();
    ASSERT_TRUE(imports) << "the program's import directory does not read";
    size_t functions = 0;
    for (const ImportedLibrary& library : imports->libraries)
        for (const ImportedFunction& function : library.Functions) {
            ++functions;
            if (function.Name.empty()) {
                EXPECT_TRUE(SameName(library.Name, "comctl32.dll") &&
                            std::find(std::begin(SubclassOrdinals), std::end(SubclassOrdinals),
                                      function.Ordinal) != std::end(SubclassOrdinals))
                    << library.Name << " is imported by ordinal " << function.Ordinal;
                continue;
            }
            const bool exported = Exported(Windows2000Exports, library.Name, function.Name) ||
                                  (imports->wide && Exported(X64Exports, library.Name, function.Name));
            EXPECT_TRUE(exported) << library.Name << "!" << function.Name
                                  << " is imported, and is not known to be on Windows 2000";
        }
    EXPECT_GT(functions, 50u) << "the import directory was misread";
    // The loader refuses an image that asks for a later release than its own:
    // Windows 2000 is 5.0, the first x64 releases 5.2.
    const int oldest = imports->wide ? 502 : 500;
    EXPECT_LE(imports->osVersion, oldest);
    EXPECT_LE(imports->subsystemVersion, oldest);
}

// ---- A run beside planted libraries ----

// True when Path names a file right in the system folder (for a 32-bit
// process on 64-bit Windows, in the folder its system libraries come from).
bool InSystemFolder(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) return false;
    const std::wstring folder = path.substr(0, slash);
    wchar_t system[MAX_PATH] = {};
    if (GetSystemDirectoryW(system, MAX_PATH) && _wcsicmp(folder.c_str(), system) == 0) return true;
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64 &&
           GetSystemWow64DirectoryW(system, MAX_PATH) && _wcsicmp(folder.c_str(), system) == 0;
}

// The file name and path of each module that the process has loaded.
std::vector<std::pair<std::wstring, std::wstring>> LoadedModules(DWORD processId) {
    std::vector<std::pair<std::wstring, std::wstring>> modules;
    UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
    if (snapshot.get() == INVALID_HANDLE_VALUE) {
        snapshot.release();
        return modules;
    }
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Module32FirstW(snapshot.get(), &entry); more;
         more = Module32NextW(snapshot.get(), &entry))
        modules.emplace_back(entry.szModule, entry.szExePath);
    return modules;
}

struct Planted {
    const wchar_t* file;
    const wchar_t* overrideName; // as Wine names it in its load-order settings
};
constexpr Planted PlantedLibraries[] = {{L"winmm.dll", L"winmm"}, {L"hhctrl.ocx", L"hhctrl.ocx"}};

class BesidePlantedLibraries : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(driver::CountWindows(L"TKVMainForm"), 0) << "another Hastrel is running";
        driver::ClearProductKey();
        CreateDirectoryW(home.c_str(), nullptr);
        ASSERT_TRUE(CopyFileW(driver::HastrelPath().c_str(), program.c_str(), FALSE));
        ASSERT_TRUE(CopyFileW((driver::BuildFolder() + L"Hastrel.chm").c_str(),
                              (home + L"Hastrel.chm").c_str(), FALSE));
        for (const Planted& planted : PlantedLibraries) {
            ASSERT_TRUE(CopyFileW((driver::DoublesFolder() + L"PlantedLibrary.dll").c_str(),
                                  (home + planted.file).c_str(), FALSE));
            DeleteFileW(Marker(planted).c_str());
            // Wine takes its own libraries before any beside the program;
            // Windows does not. This key, which Windows does not read, makes
            // Wine search as Windows does for this copy.
            testreg::SetString(HKEY_CURRENT_USER, overrides + L"\\DllOverrides", planted.overrideName,
                               L"native,builtin", KEY_WOW64_64KEY);
        }
    }
    void TearDown() override {
        if (app) app.Kill();
        driver::ClearProductKey();
        testreg::DeleteTree(HKEY_CURRENT_USER, overrides, KEY_WOW64_64KEY);
        for (const std::wstring& file : {program, home + L"Hastrel.chm"})
            DeleteFileW(file.c_str());
        for (const Planted& planted : PlantedLibraries) {
            DeleteFileW((home + planted.file).c_str());
            DeleteFileW(Marker(planted).c_str());
        }
        RemoveDirectoryW(home.c_str());
    }

    std::wstring Marker(const Planted& planted) const { return home + planted.file + L".loaded"; }

    const std::wstring home =
        driver::TempFolder() + L"Hastrel planted " + std::to_wstring(GetCurrentProcessId()) + L"\\";
    const std::wstring program = home + L"HastrelPlanted.exe";
    const std::wstring overrides = L"Software\\Wine\\AppDefaults\\HastrelPlanted.exe";
    driver::Process app;
};

TEST_F(BesidePlantedLibraries, TheProgramTakesItsSoundAndHelpLibrariesFromTheSystemFolder) {
    // Started in its own folder, as from a folder window.
    app = driver::StartAs(program, L"\"" + program + L"\"", home);
    ASSERT_TRUE(app);
    HWND main = driver::WaitForWindow(L"TKVMainForm", app.Id());
    ASSERT_TRUE(main) << "the main window never appeared";

    HWND target = driver::FocusOf(main);
    PostMessageW(target ? target : main, WM_KEYDOWN, VK_F1, 1);
    HWND viewer = driver::WaitForWindow(L"HH Parent", app.Id());
    EXPECT_TRUE(viewer) << "F1 opened no help viewer";

    // The About image clicks before it opens the About box.
    driver::ClickAboutImage(main);
    HWND about = driver::WaitForWindow(L"TKVAboutForm", app.Id());
    ASSERT_TRUE(about) << "the About image opened no About box";

    const auto modules = LoadedModules(app.Id());
    EXPECT_FALSE(modules.empty()) << "the program's modules cannot be listed";
    for (const Planted& planted : PlantedLibraries) {
        const std::wstring name = planted.file;
        EXPECT_EQ(GetFileAttributesW(Marker(planted).c_str()), INVALID_FILE_ATTRIBUTES)
            << "the planted " << testing::PrintToString(name) << " was loaded";
        const auto loaded = std::find_if(modules.begin(), modules.end(), [&](const auto& module) {
            return _wcsicmp(module.first.c_str(), name.c_str()) == 0;
        });
        ASSERT_NE(loaded, modules.end()) << testing::PrintToString(name) << " never loaded";
        EXPECT_TRUE(InSystemFolder(loaded->second)) << testing::PrintToString(loaded->second);
    }

    PostMessageW(about, WM_CLOSE, 0, 0);
    if (viewer) PostMessageW(viewer, WM_CLOSE, 0, 0);
    PostMessageW(main, WM_CLOSE, 0, 0);
    DWORD code = 99;
    EXPECT_TRUE(app.WaitForExit(20000, &code));
    EXPECT_EQ(code, 0u);
}

} // namespace
