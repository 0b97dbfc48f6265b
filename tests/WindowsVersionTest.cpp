#include "support/WindowsVersion.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "support/AppDriver.h"

#include <cstdint>
#include <cwchar>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "support/Seams.h"
#include "support/WindowsVersionTable.h"

namespace {

constexpr wchar_t ReportVersionFlag[] = L"--report-windows-version";

// Started with the flag, this executable reports the version code as its
// exit code and does nothing else: Wine decides the version it shows a
// process by the process's file name, so copies of this executable under
// other names see other versions.
[[maybe_unused]] const bool ReportsVersionOnly = [] {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    bool report = false;
    for (int i = 1; argv && i < argc; ++i)
        if (std::wcscmp(argv[i], ReportVersionFlag) == 0) report = true;
    LocalFree(argv);
    if (report) ExitProcess(static_cast<UINT>(GetWindowsVersion()));
    return false;
}();

// ---- The decision table ----

struct ExpectedRow {
    uint32_t major;
    uint32_t minor;
    int workstation; // product type 1
    int server;      // product types 2 to 255
    int unknownType; // product type 0
};

// clang-format off
constexpr ExpectedRow ExpectedTable[] = {
    // major minor  type 1  type 2-255  type 0
    {5,     0,      0,      0,           0},
    {5,     1,      1,      1,           1},
    {5,     2,      1,      2,          -1},
    {6,     0,      3,      4,          -1},
    {6,     1,      5,      4,          -1},
    {6,     2,      6,      7,          -1},
    {5,     3,     -1,     -1,          -1},
    {5,     0xFFFFFFFF, -1, -1,         -1},
    {6,     3,     -1,     -1,          -1},
    {6,     4,     -1,     -1,          -1},
    {4,     0,     -1,     -1,          -1},
    {4,     10,    -1,     -1,          -1},
    {10,    0,     -1,     -1,          -1},
    {7,     0,     -1,     -1,          -1},
    {0,     0,     -1,     -1,          -1},
    {0xFFFFFFFF, 0, -1,    -1,          -1},
};
// clang-format on

TEST(WindowsVersionCode, EveryRowAndColumnOfTheTable) {
    const uint8_t serverTypes[] = {2, 3, 4, 128, 255};
    for (const ExpectedRow& row : ExpectedTable) {
        SCOPED_TRACE(testing::Message() << row.major << "." << row.minor);
        EXPECT_EQ(static_cast<int>(WindowsVersionCode(row.major, row.minor, 1)), row.workstation);
        for (uint8_t type : serverTypes)
            EXPECT_EQ(static_cast<int>(WindowsVersionCode(row.major, row.minor, type)), row.server)
                << "product type " << int(type);
        EXPECT_EQ(static_cast<int>(WindowsVersionCode(row.major, row.minor, 0)), row.unknownType);
    }
}

// ---- The version Windows really reports ----

struct WineVersion {
    const wchar_t* name; // as Wine's per-program "Version" setting spells it
    int code;
    int codeUnderWine8; // Wine 8.0 gives "win7" the server product type and "win2008r2" the workstation one
};

// Releases from 8.1 on report 6.2 to a program whose manifest names no
// supported releases.
// clang-format off
constexpr WineVersion WineVersions[] = {
    {L"nt40",      -1, -1},
    {L"win2k",      0,  0},
    {L"winxp",      1,  1},
    {L"winxp64",    1,  1},
    {L"win2003",    2,  2},
    {L"vista",      3,  3},
    {L"win2008",    4,  4},
    {L"win7",       5,  4},
    {L"win2008r2",  4,  5},
    {L"win8",       6,  6},
    {L"win81",      6,  6},
    {L"win10",      6,  6},
};
// clang-format on

using driver::OwnPath;
using driver::TempFolder;

// A copy of this executable under its own name, with the Windows version
// that Wine shows to that name; both are removed again afterwards.
class VersionedCopy {
  public:
    VersionedCopy(const std::wstring& folder, const WineVersion& version)
        : exeName_(L"hastrel-ver-" + std::to_wstring(GetCurrentProcessId()) + L"-" + version.name + L".exe"),
          path_(folder + exeName_), keyPath_(L"Software\\Wine\\AppDefaults\\" + exeName_) {
        copied_ = CopyFileW(OwnPath().c_str(), path_.c_str(), FALSE) != FALSE;
        UniqueRegKey key;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            key.receive(), nullptr) == ERROR_SUCCESS) {
            const std::wstring value = version.name;
            configured_ =
                RegSetValueExW(key.get(), L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
        }
    }
    VersionedCopy(const VersionedCopy&) = delete;
    VersionedCopy& operator=(const VersionedCopy&) = delete;
    ~VersionedCopy() {
        process_.reset();
        DeleteFileW(path_.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, keyPath_.c_str());
    }

    bool Ready() const { return copied_ && configured_; }

    bool Start() {
        std::wstring commandLine = L"\"" + path_ + L"\" " + ReportVersionFlag;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(path_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &info))
            return false;
        CloseHandle(info.hThread);
        process_.reset(info.hProcess);
        return true;
    }

    std::optional<int> ExitCode() const {
        if (WaitForSingleObject(process_.get(), 60000) != WAIT_OBJECT_0) return std::nullopt;
        DWORD code = 0;
        if (!GetExitCodeProcess(process_.get(), &code)) return std::nullopt;
        return static_cast<int>(code);
    }

  private:
    std::wstring exeName_;
    std::wstring path_;
    std::wstring keyPath_;
    bool copied_ = false;
    bool configured_ = false;
    UniqueKernelHandle process_;
};

TEST(GetWindowsVersion, AnswersWhatWindowsReportsForEachRelease) {
    const std::wstring folder = TempFolder();
    ASSERT_FALSE(folder.empty());
    std::vector<std::unique_ptr<VersionedCopy>> copies;
    for (const WineVersion& version : WineVersions) {
        copies.push_back(std::make_unique<VersionedCopy>(folder, version));
        ASSERT_TRUE(copies.back()->Ready())
            << "copy for " << testing::PrintToString(std::wstring(version.name));
    }
    // The copies read their setting when they start; they run side by side.
    for (auto& copy : copies)
        ASSERT_TRUE(copy->Start());
    std::vector<int> codes;
    for (size_t i = 0; i < copies.size(); ++i) {
        const std::optional<int> code = copies[i]->ExitCode();
        ASSERT_TRUE(code.has_value());
        const WineVersion& expected = WineVersions[i];
        EXPECT_TRUE(*code == expected.code || *code == expected.codeUnderWine8)
            << testing::PrintToString(std::wstring(expected.name)) << " gave " << *code;
        codes.push_back(*code);
    }
    // Whichever name Wine gives which product type, 6.1 is told apart by it.
    const auto position = [](const wchar_t* name) {
        for (size_t i = 0; i < std::size(WineVersions); ++i)
            if (std::wcscmp(WineVersions[i].name, name) == 0) return i;
        return std::size(WineVersions);
    };
    EXPECT_NE(codes.at(position(L"win7")), codes.at(position(L"win2008r2")));
}

// ---- The shutdown privilege and the restart ----

// Whether "SeShutdownPrivilege" is enabled in this process's token; empty
// when the token does not hold it at all.
std::optional<bool> ShutdownPrivilegeEnabled() {
    UniqueKernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.receive())) return std::nullopt;
    LUID luid{};
    if (!LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &luid)) return std::nullopt;
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenPrivileges, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !GetTokenInformation(token.get(), TokenPrivileges, buffer.data(), size, &size))
        return std::nullopt;
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        const LUID_AND_ATTRIBUTES& entry = privileges->Privileges[i];
        if (entry.Luid.LowPart == luid.LowPart && entry.Luid.HighPart == luid.HighPart)
            return (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0;
    }
    return std::nullopt;
}

struct ExitWindowsRecord {
    int calls = 0;
    UINT flags = 0;
    DWORD reason = 0xFFFFFFFF;
    std::optional<bool> privilegeDuringCall;
};
ExitWindowsRecord exitWindowsRecord;

BOOL WINAPI RecordExitWindows(UINT flags, DWORD reason) {
    ++exitWindowsRecord.calls;
    exitWindowsRecord.flags = flags;
    exitWindowsRecord.reason = reason;
    exitWindowsRecord.privilegeDuringCall = ShutdownPrivilegeEnabled();
    return TRUE;
}

// Puts the recorder in place of the real restart for one test.
class RestartRecorder {
  public:
    RestartRecorder() : saved_(ExitWindowsCall) {
        exitWindowsRecord = {};
        ExitWindowsCall = RecordExitWindows;
    }
    RestartRecorder(const RestartRecorder&) = delete;
    RestartRecorder& operator=(const RestartRecorder&) = delete;
    ~RestartRecorder() { ExitWindowsCall = saved_; }

  private:
    ExitWindowsFunction saved_;
};

TEST(Restart, SetShutdownPrivilegeSwitchesThePrivilege) {
    ASSERT_TRUE(ShutdownPrivilegeEnabled().has_value()) << "the token holds no shutdown privilege";
    SetShutdownPrivilege(true);
    EXPECT_EQ(ShutdownPrivilegeEnabled(), true);
    SetShutdownPrivilege(true);
    EXPECT_EQ(ShutdownPrivilegeEnabled(), true);
    SetShutdownPrivilege(false);
    EXPECT_EQ(ShutdownPrivilegeEnabled(), false);
    SetShutdownPrivilege(false);
    EXPECT_EQ(ShutdownPrivilegeEnabled(), false);
}

TEST(Restart, ForcesARebootWithThePrivilegeAndLeavesItDisabled) {
    ASSERT_TRUE(ShutdownPrivilegeEnabled().has_value()) << "the token holds no shutdown privilege";
    for (bool enabledBefore : {true, false}) {
        SCOPED_TRACE(enabledBefore ? "enabled before" : "disabled before");
        SetShutdownPrivilege(enabledBefore);
        ASSERT_EQ(ShutdownPrivilegeEnabled(), enabledBefore);
        {
            RestartRecorder recorder;
            RestartWindows();
            EXPECT_EQ(exitWindowsRecord.calls, 1);
            EXPECT_EQ(exitWindowsRecord.flags, static_cast<UINT>(EWX_REBOOT | EWX_FORCE));
            EXPECT_EQ(exitWindowsRecord.reason, 0u);
            EXPECT_EQ(exitWindowsRecord.privilegeDuringCall, true);
        }
        EXPECT_EQ(ShutdownPrivilegeEnabled(), false);
    }
}

} // namespace
