// What code the elevated program takes in: its import table names only
// libraries that Windows always takes from its system folder, and a run
// beside planted copies of the libraries it loads itself (the sound and the
// help library) takes none of them, from its own folder or its current one.
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

struct Imports {
    std::vector<std::string> libraries;
    bool delayImports = false;
};

// The libraries named by the import directory of a PE32 or PE32+ image, and
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
    // The data directories close either form of the optional header.
    const bool wide = *magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
    if (!wide && *magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC) return std::nullopt;
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
    auto fileOffset = [&](DWORD rva) -> std::optional<std::size_t> {
        for (WORD i = 0; i < header->NumberOfSections; ++i) {
            const auto s = At<IMAGE_SECTION_HEADER>(file, optional + header->SizeOfOptionalHeader +
                                                              i * sizeof(IMAGE_SECTION_HEADER));
            if (s && rva >= s->VirtualAddress && rva - s->VirtualAddress < s->SizeOfRawData)
                return std::size_t{s->PointerToRawData} + (rva - s->VirtualAddress);
        }
        return std::nullopt;
    };

    Imports imports;
    const IMAGE_DATA_DIRECTORY delay = directory(IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT);
    imports.delayImports = delay.VirtualAddress != 0 || delay.Size != 0;
    const DWORD importRva = directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress;
    if (importRva == 0) return imports;
    for (auto at = fileOffset(importRva);; *at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto descriptor = at ? At<IMAGE_IMPORT_DESCRIPTOR>(file, *at) : std::nullopt;
        if (!descriptor) return std::nullopt;
        if (descriptor->Name == 0) break;
        const auto name = fileOffset(descriptor->Name);
        if (!name || *name >= file.size()) return std::nullopt;
        const auto end = std::find(file.begin() + *name, file.end(), 0);
        if (end == file.end()) return std::nullopt;
        imports.libraries.emplace_back(file.begin() + *name, end);
    }
    return imports;
}

TEST(ProgramImports, NameOnlyLibrariesThatWindowsTakesFromItsSystemFolder) {
    // The known DLLs, and the common controls that the manifest binds to the
    // system's own side-by-side copy.
    const std::vector<std::string> allowed = {"kernel32.dll", "user32.dll",  "gdi32.dll",   "advapi32.dll",
                                              "shell32.dll",  "msvcrt.dll",  "ole32.dll",   "oleaut32.dll",
                                              "comdlg32.dll", "shlwapi.dll", "comctl32.dll"};
    const auto file = driver::ReadBytes(driver::HastrelPath());
    ASSERT_TRUE(file) << "cannot read the program";
    const auto imports = ReadImports(*file);
    ASSERT_TRUE(imports) << "the program's import directory does not read";
    auto among = [](const std::vector<std::string>& names, const std::string& name) {
        return std::any_of(names.begin(), names.end(),
                           [&](const std::string& n) { return _stricmp(n.c_str(), name.c_str()) == 0; });
    };
    EXPECT_TRUE(among(imports->libraries, "kernel32.dll")) << "the import directory was misread";
    for (const std::string& name : imports->libraries)
        EXPECT_TRUE(among(allowed, name)) << name << " is imported";
    EXPECT_FALSE(imports->delayImports) << "a delay-loaded library would be searched for beside the program";
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
