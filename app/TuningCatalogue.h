// The tuning catalogue: the Windows registry values that "Optimize now" backs
// up and tunes and that "Restore" puts back or removes, kept as data tables,
// and the routines that apply and undo them.
//
// The tables are plain data without <windows.h>, so they can be checked and
// compiled anywhere; only TuningCatalogue.cpp touches the registry.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>

#include "support/WindowsVersion.h"

namespace Tuning {

enum class Root : uint8_t { CurrentUser, LocalMachine };

// One name per key of KeyTable, in the table's order.
enum class Key : uint8_t {
    WindowMetrics,
    MemoryManagement,
    PriorityControl,
    CrashControl,
    InternetSettings,
    TcpipParameters,
    Desktop,
    InternetExplorerMain,
    AutoComplete,
    FileSystem,
    ExplorerPolicies,
    WindowsNtWindows,
    Messenger,
    SessionManager,
    Psched,
    BootOptimizeFunction,
    P3Parameters,
};

struct KeyRow {
    Key Id;
    Root Hive;
    const wchar_t* Path; // leading backslash; with or without a trailing one, it names the same key
};

// clang-format off
inline constexpr KeyRow KeyTable[] = {
    {Key::WindowMetrics,        Root::CurrentUser,  L"\\Control Panel\\Desktop\\WindowMetrics\\"},                               // K1
    {Key::MemoryManagement,     Root::LocalMachine, L"\\System\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\"}, // K2
    {Key::PriorityControl,      Root::LocalMachine, L"\\System\\CurrentControlSet\\Control\\PriorityControl\\"},                 // K3
    {Key::CrashControl,         Root::LocalMachine, L"\\System\\CurrentControlSet\\Control\\CrashControl\\"},                    // K4
    {Key::InternetSettings,     Root::CurrentUser,  L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings"},       // K5
    {Key::TcpipParameters,      Root::LocalMachine, L"\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters"},                // K6
    {Key::Desktop,              Root::CurrentUser,  L"\\Control Panel\\Desktop\\"},                                              // K7
    {Key::InternetExplorerMain, Root::CurrentUser,  L"\\Software\\Microsoft\\Internet Explorer\\Main\\"},                        // K8
    {Key::AutoComplete,         Root::CurrentUser,  L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoComplete\\"}, // K9
    {Key::FileSystem,           Root::LocalMachine, L"\\System\\CurrentControlSet\\Control\\FileSystem\\"},                      // K10
    {Key::ExplorerPolicies,     Root::LocalMachine, L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\"},    // K11
    {Key::WindowsNtWindows,     Root::LocalMachine, L"\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\"},            // K12
    {Key::Messenger,            Root::LocalMachine, L"\\System\\CurrentControlSet\\Services\\Messenger\\"},                      // K13
    {Key::SessionManager,       Root::LocalMachine, L"\\System\\CurrentControlSet\\Control\\Session Manager\\"},                 // K14
    {Key::Psched,               Root::LocalMachine, L"\\Software\\Policies\\Microsoft\\Windows\\Psched"},                        // K15
    {Key::BootOptimizeFunction, Root::LocalMachine, L"\\Software\\Microsoft\\Dfrg\\BootOptimizeFunction\\"},                     // K16
    {Key::P3Parameters,         Root::LocalMachine, L"\\System\\CurrentControlSet\\Services\\P3\\Parameters\\"},                 // K17
};
// clang-format on

enum class ValueType : uint8_t { String, Integer, Binary };

// What a row writes, or for a backup what Restore writes where the backup
// itself is missing. A binary value is that many zero bytes.
struct ValueData {
    ValueType Type;
    const wchar_t* Text;
    int32_t Number;
    bool BySpeedRule;
};

constexpr ValueData Sz(const wchar_t* text) {
    return {ValueType::String, text, 0, false};
}
constexpr ValueData Dword(int32_t number) {
    return {ValueType::Integer, nullptr, number, false};
}
constexpr ValueData ZeroBytes(int32_t count) {
    return {ValueType::Binary, nullptr, count, false};
}
constexpr ValueData DwordBySpeedRule() {
    return {ValueType::Integer, nullptr, 0, true};
}

// Copied exactly from its Windows place (type and bytes, or the fact that
// there was no value) into the product key, under the same name.
struct BackupRow {
    Key Place;
    const wchar_t* Name;
    ValueData Default;
};

// clang-format off
inline constexpr BackupRow BackupTable[] = {
    {Key::WindowMetrics,    L"MinAnimate",                 Sz(L"1")},        // B1
    {Key::MemoryManagement, L"DisablePagingExecutive",     Dword(0)},        // B2
    {Key::MemoryManagement, L"LargeSystemCache",           Dword(0)},        // B3
    {Key::PriorityControl,  L"Win32PrioritySeparation",    Dword(2)},        // B4
    {Key::CrashControl,     L"AutoReboot",                 Dword(1)},        // B5
    {Key::InternetSettings, L"MaxConnectionsPerServer",    Dword(2)},        // B6
    {Key::InternetSettings, L"MaxConnectionsPer1_0Server", Dword(2)},        // B7
    {Key::TcpipParameters,  L"KeepAliveTime",              Dword(7200000)},  // B8
    {Key::TcpipParameters,  L"KeepAliveInterval",          Dword(1000)},     // B9
};
// clang-format on

enum class Condition : uint8_t { Always, NotWindows2000, Broadband, ServerGroup, DesktopGroup };

struct TunedValueRow {
    Condition When;
    Key Place;
    const wchar_t* Name;
    ValueData Data;
};

// In write order.
// clang-format off
inline constexpr TunedValueRow TunedValueTable[] = {
    {Condition::Always,         Key::WindowMetrics,        L"MinAnimate",                 Sz(L"1")},           // W1
    {Condition::Always,         Key::MemoryManagement,     L"DisablePagingExecutive",     Dword(0)},           // W2
    {Condition::Always,         Key::MemoryManagement,     L"LargeSystemCache",           Dword(0)},           // W3
    {Condition::Always,         Key::PriorityControl,      L"Win32PrioritySeparation",    Dword(1)},           // W4
    {Condition::Always,         Key::CrashControl,         L"AutoReboot",                 Dword(1)},           // W5
    {Condition::Always,         Key::Desktop,              L"SmoothScroll",               ZeroBytes(4)},       // W6
    {Condition::Always,         Key::InternetExplorerMain, L"Use StyleSheets",            Sz(L"Yes")},         // W7
    {Condition::Always,         Key::AutoComplete,         L"Append Completion",          Sz(L"Yes")},         // W8
    {Condition::Always,         Key::FileSystem,           L"ContigFileAllocSize",        Dword(1536)},        // W9
    {Condition::Always,         Key::ExplorerPolicies,     L"LinkResolveIgnoreLinkInfo",  Dword(0)},           // W10
    {Condition::Always,         Key::ExplorerPolicies,     L"NoResolveSearch",            Dword(1)},           // W11
    {Condition::Always,         Key::MemoryManagement,     L"IoPageLockLimit",            Dword(4096)},        // W12
    {Condition::Always,         Key::CrashControl,         L"SendAlert",                  Dword(1)},           // W13
    {Condition::Always,         Key::WindowsNtWindows,     L"NoPopUpsOnBoot",             Dword(1)},           // W14
    {Condition::Always,         Key::WindowsNtWindows,     L"Error Mode",                 Dword(1)},           // W15
    {Condition::Always,         Key::Messenger,            L"Start",                      Dword(4)},           // W16
    {Condition::Always,         Key::InternetSettings,     L"MaxConnectionsPerServer",    DwordBySpeedRule()}, // W17
    {Condition::Always,         Key::InternetSettings,     L"MaxConnectionsPer1_0Server", DwordBySpeedRule()}, // W18
    {Condition::Always,         Key::TcpipParameters,      L"KeepAliveTime",              Dword(7200000)},     // W19
    {Condition::Always,         Key::TcpipParameters,      L"KeepAliveInterval",          Dword(1000)},        // W20
    {Condition::NotWindows2000, Key::SessionManager,       L"EnablePrefetcher",           Dword(1)},           // W21
    {Condition::Broadband,      Key::TcpipParameters,      L"DefaultTTL",                 Dword(64)},          // W22
    {Condition::Broadband,      Key::TcpipParameters,      L"EnablePMTUBHDetect",         Dword(0)},           // W23
    {Condition::Broadband,      Key::TcpipParameters,      L"EnablePMTUDiscovery",        Dword(1)},           // W24
    {Condition::Broadband,      Key::TcpipParameters,      L"SackOpts",                   Dword(1)},           // W25
    {Condition::Broadband,      Key::TcpipParameters,      L"Tcp1323Opts",                Dword(3)},           // W26
    {Condition::Broadband,      Key::TcpipParameters,      L"GlobalMaxTcpWindowSize",     Dword(256960)},      // W27
    {Condition::Broadband,      Key::TcpipParameters,      L"TcpWindowSize",              Dword(256960)},      // W28
    {Condition::Broadband,      Key::TcpipParameters,      L"TcpMaxDupAcks",              Dword(2)},           // W29
    {Condition::Broadband,      Key::Psched,               L"NonBestEffortLimit",         Dword(50)},          // W30
    {Condition::Broadband,      Key::Psched,               L"MaxOutstandingSends",        Dword(65535)},       // W31
    {Condition::ServerGroup,    Key::SessionManager,       L"AutoChkTimeOut",             Dword(0)},           // W32
    {Condition::DesktopGroup,   Key::BootOptimizeFunction, L"Enable",                     Sz(L"Y")},           // W33
    {Condition::DesktopGroup,   Key::P3Parameters,         L"HackFlags",                  Dword(1)},           // W34
};
// clang-format on

// Speed rule: the track bar's "Maximum Boost" allows more connections per server.
inline constexpr int32_t BoostConnectionsPerServer = 4;
inline constexpr int32_t MaximumBoostConnectionsPerServer = 8;
constexpr int32_t ConnectionsPerServer(int speedPosition) {
    return speedPosition > 0 ? MaximumBoostConnectionsPerServer : BoostConnectionsPerServer;
}

// The connection types of the main window's list, in list order, and which
// of them count as broadband. No selection (-1) counts as broadband too.
struct ConnectionRow {
    const wchar_t* Text;
    bool Broadband;
};

// clang-format off
inline constexpr ConnectionRow ConnectionTable[] = {
    {L"  Cable | DSL | Wi-Fi",                           true},
    {L"  Verizon FiOS | Wi-Fi",                          true},
    {L"  Dial-up 56k",                                   false},
    {L"  Satellite",                                     true},
    {L"  Android | iPhone | Windows Phone | BlackBerry", true},
    {L"  LTE | 4G | 3G | 2G | Edge Modem",               true},
    {L"  Local Area Network",                            true},
    {L"  ISDN",                                          false},
    {L"  T1 | T3 | OC3 | OC12+",                         true},
};
// clang-format on

// A set of releases is kept as bits, bit (code + 1) for each. A value outside
// the enumeration stands for Unknown.
constexpr uint16_t ReleaseBit(WindowsRelease release) {
    int code = static_cast<int>(release);
    if (code < static_cast<int>(WindowsRelease::Unknown) ||
        code > static_cast<int>(WindowsRelease::WindowsServer2012))
        code = static_cast<int>(WindowsRelease::Unknown);
    return static_cast<uint16_t>(1u << (code + 1));
}
constexpr uint16_t Releases(std::initializer_list<WindowsRelease> releases) {
    uint16_t bits = 0;
    for (WindowsRelease release : releases)
        bits = static_cast<uint16_t>(bits | ReleaseBit(release));
    return bits;
}

struct VersionGroupRow {
    Condition Group;
    uint16_t Members;
};

// clang-format off
inline constexpr VersionGroupRow VersionGroupTable[] = {
    {Condition::NotWindows2000, Releases({WindowsRelease::WindowsXP, WindowsRelease::WindowsServer2003,
                                          WindowsRelease::WindowsVista, WindowsRelease::WindowsServer2008,
                                          WindowsRelease::Windows7, WindowsRelease::Windows8,
                                          WindowsRelease::WindowsServer2012, WindowsRelease::Unknown})},
    {Condition::ServerGroup,    Releases({WindowsRelease::Windows2000, WindowsRelease::WindowsServer2003,
                                          WindowsRelease::WindowsServer2008, WindowsRelease::WindowsServer2012})},
    {Condition::DesktopGroup,   Releases({WindowsRelease::WindowsXP, WindowsRelease::WindowsVista,
                                          WindowsRelease::Windows7, WindowsRelease::Windows8})},
};
// clang-format on

// Rows of BackupTable (write back, delete backups) or of TunedValueTable
// (delete), numbered from 1 as labelled there, first to last inclusive.
struct RowRange {
    uint8_t First;
    uint8_t Last;
};
constexpr RowRange Row(int row) {
    return {static_cast<uint8_t>(row), static_cast<uint8_t>(row)};
}
constexpr RowRange Rows(int first, int last) {
    return {static_cast<uint8_t>(first), static_cast<uint8_t>(last)};
}

enum class RestoreAction : uint8_t {
    WriteBack,     // backup from the product key (or the row's default) to its Windows place
    DeleteBackups, // the backups from the product key
    Delete,        // a tuned value that has no backup: from its record in the Originals subkey, or,
                   // where an earlier version kept none, deleted from its Windows place
};

struct RestoreRow {
    RestoreAction Action;
    RowRange Rows;
    Condition When;
};

// clang-format off
inline constexpr RestoreRow RestoreTable[] = {
    {RestoreAction::WriteBack,     Row(1),       Condition::Always},         // R1  MinAnimate
    {RestoreAction::WriteBack,     Row(2),       Condition::Always},         // R2  DisablePagingExecutive
    {RestoreAction::WriteBack,     Row(3),       Condition::Always},         // R3  LargeSystemCache
    {RestoreAction::WriteBack,     Row(4),       Condition::Always},         // R4  Win32PrioritySeparation
    {RestoreAction::WriteBack,     Row(5),       Condition::Always},         // R5  AutoReboot
    {RestoreAction::DeleteBackups, Rows(1, 5),   Condition::Always},         // R6
    {RestoreAction::Delete,        Row(6),       Condition::Always},         // R7  SmoothScroll
    {RestoreAction::Delete,        Row(7),       Condition::Always},         // R8  Use StyleSheets
    {RestoreAction::Delete,        Row(8),       Condition::Always},         // R9  Append Completion
    {RestoreAction::Delete,        Row(9),       Condition::Always},         // R10 ContigFileAllocSize
    {RestoreAction::Delete,        Row(10),      Condition::Always},         // R11 LinkResolveIgnoreLinkInfo
    {RestoreAction::Delete,        Row(11),      Condition::Always},         // R12 NoResolveSearch
    {RestoreAction::Delete,        Row(12),      Condition::Always},         // R13 IoPageLockLimit
    {RestoreAction::Delete,        Row(13),      Condition::Always},         // R14 SendAlert
    {RestoreAction::Delete,        Row(14),      Condition::Always},         // R15 NoPopUpsOnBoot
    {RestoreAction::Delete,        Row(15),      Condition::Always},         // R16 Error Mode
    {RestoreAction::Delete,        Row(16),      Condition::Always},         // R17 Start (Messenger service)
    {RestoreAction::WriteBack,     Row(6),       Condition::Always},         // R18 MaxConnectionsPerServer
    {RestoreAction::WriteBack,     Row(7),       Condition::Always},         // R19 MaxConnectionsPer1_0Server
    {RestoreAction::DeleteBackups, Rows(6, 7),   Condition::Always},         // R20
    {RestoreAction::WriteBack,     Row(8),       Condition::Always},         // R21 KeepAliveTime
    {RestoreAction::WriteBack,     Row(9),       Condition::Always},         // R22 KeepAliveInterval
    {RestoreAction::DeleteBackups, Rows(8, 9),   Condition::Always},         // R23
    {RestoreAction::Delete,        Row(21),      Condition::NotWindows2000}, // R24 EnablePrefetcher
    {RestoreAction::Delete,        Rows(22, 31), Condition::Broadband},      // R25 the TCP/IP and packet scheduler values
    {RestoreAction::Delete,        Row(32),      Condition::ServerGroup},    // R26 AutoChkTimeOut
    {RestoreAction::Delete,        Rows(33, 34), Condition::DesktopGroup},   // R27 Enable, then HackFlags
};
// clang-format on

bool InVersionGroup(Condition group, WindowsRelease release);

// Reads the position anew for each narrowband connection it compares with,
// and stops at the first match: the control is asked once or twice.
bool IsBroadband(const std::function<int()>& connectionPosition);

} // namespace Tuning

// The main window's answers, read from its controls at the moment the
// catalogue needs them. An unset callback reads as no selection (-1).
struct TuningChoices {
    std::function<int()> ConnectionPosition; // ModemCombo.ItemIndex
    std::function<int()> SpeedPosition;      // SpeedTrackBar.Position
};

// What one run of Optimize now or Restore did to the tuned values.
struct TuningRun {
    int Values = 0;       // written (Optimize now), or put back or deleted (Restore)
    bool Complete = true; // every write and delete of the run succeeded
};

// Whether the product key can be written, which is where every run starts:
// without administrator rights it cannot, and then nothing may be changed.
bool CanChangeSettings();

// The answers of the main window, stored as list positions in the product
// key; false when any of them could not be stored.
bool StoreAnswers(int connectionPosition, int processorPosition, int speedPosition);

// Whether the tuning stands applied, with its backups in the product key.
bool ReadAppliedFlag();

// Optimize now, after the progress steps; the caller reads the applied flag
// before anything else and passes it in. First it records the original of
// every value it is about to write that has none yet since the last Restore:
// the nine into the product key, the others into its Originals subkey, each
// exactly as the registry held it, or the fact that it did not exist. Only
// once every record stands does it set the applied flag, and only once the
// flag stands does it write the tuned values that the release and the
// choices select (21 to 33 of them), so that no original is ever overwritten
// without its record. An original that cannot be read fails the run.
TuningRun ApplyTuning(bool appliedBefore, WindowsRelease release, const TuningChoices& choices);

// Restore, after the progress steps; the caller leaves the applied flag alone.
// Gives back what Optimize now recorded, whatever the answers shown: each
// value with its recorded type and bytes, deleted where it did not exist.
// A backup of the nine that is missing gives the row's default; under a
// tuning applied by an earlier version, which kept only the nine, the others
// are deleted as the release and the choices shown select them. Only when
// all of that succeeded does it clear the applied flag, and only then the
// records: otherwise the tuning stays applied with every record, and Restore
// can run again. Values go, keys stay.
TuningRun RestoreTuning(WindowsRelease release, const TuningChoices& choices);
