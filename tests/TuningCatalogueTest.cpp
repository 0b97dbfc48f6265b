#include "app/TuningCatalogue.h"

#include "app/DornithForm.h"
#include "app/DornithSettingsForm.h"
#include "support/ProductKey.h"
#include "framework/Handles.h"
#include "support/CustomRegistry.h"
#include "support/Seams.h"
#include "support/TestRegistry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Place {
    HKEY Root;
    std::wstring Path;
    std::wstring Name;
};

// A value exactly as the registry holds it: type and bytes, or absent.
struct Stored {
    bool Present = false;
    DWORD Type = REG_NONE;
    std::vector<BYTE> Data;
    bool operator==(const Stored&) const = default;
};

Stored AsSz(const std::wstring& text) {
    Stored s{true, REG_SZ, std::vector<BYTE>((text.size() + 1) * sizeof(wchar_t))};
    std::memcpy(s.Data.data(), text.c_str(), s.Data.size());
    return s;
}
Stored AsDword(int32_t number) {
    Stored s{true, REG_DWORD, std::vector<BYTE>(sizeof(number))};
    std::memcpy(s.Data.data(), &number, sizeof(number));
    return s;
}
Stored AsBinary(std::vector<BYTE> bytes) {
    return {true, REG_BINARY, std::move(bytes)};
}
const Stored Absent{};

// Every catalogue value is looked at in the 32-bit view, where the program
// itself works, whichever build this test is.
Stored Read(const Place& p) {
    Stored s;
    UniqueRegKey key;
    if (RegOpenKeyExW(p.Root, p.Path.substr(1).c_str(), 0, KEY_READ | KEY_WOW64_32KEY, key.receive()) !=
        ERROR_SUCCESS)
        return s;
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), p.Name.c_str(), nullptr, &s.Type, nullptr, &size) != ERROR_SUCCESS)
        return s;
    s.Data.resize(size);
    s.Present =
        RegQueryValueExW(key.get(), p.Name.c_str(), nullptr, &s.Type, s.Data.data(), &size) == ERROR_SUCCESS;
    return s;
}

void Put(const Place& p, const Stored& s) {
    if (!s.Present) {
        DeleteRegValue(p.Root, p.Path, p.Name, false);
        return;
    }
    UniqueRegKey key;
    ASSERT_EQ(RegCreateKeyExW(p.Root, p.Path.substr(1).c_str(), 0, nullptr, 0, KEY_WRITE | KEY_WOW64_32KEY,
                              nullptr, key.receive(), nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key.get(), p.Name.c_str(), 0, s.Type, s.Data.data(), static_cast<DWORD>(s.Data.size()));
}

bool KeyExists(HKEY root, const std::wstring& path) {
    UniqueRegKey key;
    return RegOpenKeyExW(root, path.substr(1).c_str(), 0, KEY_READ | KEY_WOW64_32KEY, key.receive()) ==
           ERROR_SUCCESS;
}

std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text)
        narrow += static_cast<char>(c);
    return narrow;
}

testing::AssertionResult Holds(const Place& p, const Stored& expected) {
    const Stored actual = Read(p);
    if (actual.Present == expected.Present &&
        (!expected.Present || (actual.Type == expected.Type && actual.Data == expected.Data)))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << Narrow(p.Path + L" " + p.Name) << ": present " << actual.Present
                                       << ", type " << actual.Type << ", " << actual.Data.size() << " bytes";
}

HKEY RootOf(const Tuning::KeyRow& key) {
    return key.Hive == Tuning::Root::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}
Place At(Tuning::Key id, const std::wstring& name) {
    const Tuning::KeyRow& key = Tuning::KeyTable[static_cast<size_t>(id)];
    return {RootOf(key), key.Path, name};
}
Place Tuned(int row) {
    return At(Tuning::TunedValueTable[row - 1].Place, Tuning::TunedValueTable[row - 1].Name);
}
Place Original(int backupRow) {
    return At(Tuning::BackupTable[backupRow - 1].Place, Tuning::BackupTable[backupRow - 1].Name);
}
Place Product(const std::wstring& name) {
    return {ProductKeyRoot, ProductKeyPath, name};
}
Place Backup(int backupRow) {
    return Product(Tuning::BackupTable[backupRow - 1].Name);
}
// Whether a tuned row's original is kept among the backups, not in the Originals subkey.
bool HasBackup(int row) {
    const Tuning::TunedValueRow& tuned = Tuning::TunedValueTable[row - 1];
    for (const Tuning::BackupRow& backup : Tuning::BackupTable)
        if (backup.Place == tuned.Place && std::wstring(backup.Name) == tuned.Name) return true;
    return false;
}
Place Record(int row) {
    return {ProductKeyRoot, OriginalsKeyPath(), Tuning::TunedValueTable[row - 1].Name};
}
// How an original that did not exist is recorded.
const Stored AbsenceRecord{true, REG_NONE, {}};

std::set<int> TunedRowsPresent() {
    std::set<int> rows;
    for (int w = 1; w <= static_cast<int>(std::size(Tuning::TunedValueTable)); ++w)
        if (Read(Tuned(w)).Present) rows.insert(w);
    return rows;
}

std::set<int> Range(int first, int last) {
    std::set<int> rows;
    for (int w = first; w <= last; ++w)
        rows.insert(w);
    return rows;
}

std::set<int> Union(std::set<int> a, const std::set<int>& b) {
    a.insert(b.begin(), b.end());
    return a;
}

TuningChoices Choices(int connection, int speed) {
    return {[connection] { return connection; }, [speed] { return speed; }};
}

// The version-dependent rows by Windows list position and its code.
struct VersionCase {
    int Position;
    int Code;
    std::set<int> Rows;
};
const VersionCase VersionCases[] = {
    {0, 6, {21, 33, 34}}, {1, 5, {21, 33, 34}}, {2, 3, {21, 33, 34}}, {3, 1, {21, 33, 34}}, {4, 7, {21, 32}},
    {5, 4, {21, 32}},     {6, 2, {21, 32}},     {7, 0, {32}},         {-1, -1, {21}},
};

const std::set<int> VersionRows{21, 32, 33, 34};

// Every test starts with none of the catalogue's values in place and leaves
// the prefix as it found it.
class TuningCatalogueTest : public testing::Test {
  protected:
    static std::vector<Stored> Everything() {
        std::vector<Stored> values;
        for (const Place& p : Touched())
            values.push_back(Read(p));
        return values;
    }
    // The state an earlier version left: the flag and the nine backups only.
    static void ForgetRecords() {
        for (int w = 1; w <= static_cast<int>(std::size(Tuning::TunedValueTable)); ++w)
            if (!HasBackup(w)) Put(Record(w), Absent);
    }
    static std::vector<Place> Touched() {
        std::vector<Place> places;
        for (int w = 1; w <= static_cast<int>(std::size(Tuning::TunedValueTable)); ++w)
            places.push_back(Tuned(w));
        for (int b = 1; b <= static_cast<int>(std::size(Tuning::BackupTable)); ++b)
            places.push_back(Backup(b));
        for (int w = 1; w <= static_cast<int>(std::size(Tuning::TunedValueTable)); ++w)
            if (!HasBackup(w)) places.push_back(Record(w));
        for (const wchar_t* name :
             {ProductValue::Restore, ProductValue::InternetType, ProductValue::ProcessorType,
              ProductValue::SpeedSetting, ProductValue::InstalledDate})
            places.push_back(Product(name));
        return places;
    }
    static void ClearCatalogue() {
        for (const Place& p : Touched())
            Put(p, Absent);
    }
    void SetUp() override {
        for (const Place& p : Touched())
            saved_.emplace_back(p, Read(p));
        ClearCatalogue();
    }
    void TearDown() override {
        for (const auto& [place, stored] : saved_)
            Put(place, stored);
    }

  private:
    std::vector<std::pair<Place, Stored>> saved_;
};

const Stored BackupDefaults[] = {AsSz(L"1"), AsDword(0), AsDword(0),       AsDword(2),   AsDword(1),
                                 AsDword(2), AsDword(2), AsDword(7200000), AsDword(1000)};
// Windows values as a user might have had them before the first run.
const Stored Originals[] = {AsSz(L"0"),  AsDword(1),  AsDword(1),      AsDword(38), AsDword(0),
                            AsDword(10), AsDword(16), AsDword(300000), AsDword(500)};

// --- Optimize now: backups and the applied flag ---

TEST_F(TuningCatalogueTest, FirstRunRecordsEveryOriginalAndSetsTheFlag) {
    const TuningRun run = ApplyTuning(false, WindowsRelease::Windows8, Choices(0, 0));
    EXPECT_EQ(run.Values, 33);
    EXPECT_TRUE(run.Complete);
    EXPECT_TRUE(Holds(Product(ProductValue::Restore), AsDword(1)));
    for (int b = 1; b <= 9; ++b)
        EXPECT_TRUE(Holds(Backup(b), AbsenceRecord)) << "backup " << b;
    for (int w = 1; w <= 34; ++w)
        if (!HasBackup(w)) {
            EXPECT_TRUE(Holds(Record(w), w == 32 ? Absent : AbsenceRecord)) << "row " << w;
        }

    ClearCatalogue();
    for (int b = 1; b <= 9; ++b)
        Put(Original(b), Originals[b - 1]);
    ApplyTuning(false, WindowsRelease::Windows8, Choices(0, 0));
    for (int b = 1; b <= 9; ++b)
        EXPECT_TRUE(Holds(Backup(b), Originals[b - 1])) << "backup " << b;
}

// Whatever their type and size, originals are kept and come back byte for byte.
TEST_F(TuningCatalogueTest, OriginalsOfAnyTypeComeBackAsTheyWere) {
    const struct {
        Place At;
        Stored Windows;
    } cases[] = {
        {Original(1), AsDword(0)},
        {Original(1), AsSz(L"")},
        {Original(1), {true, REG_EXPAND_SZ, AsSz(L"%x%").Data}},
        {Original(5), AsSz(L"0")},
        {Original(8), AsBinary(std::vector<BYTE>(70000, 0x5A))},
        {Tuned(6), AsBinary({1, 2, 3, 4, 5, 6, 7, 8})},
        {Tuned(16), {true, REG_MULTI_SZ, {'a', 0, 0, 0, 0, 0}}},
        {Tuned(33), AsDword(1)},
    };
    for (const auto& c : cases) {
        ClearCatalogue();
        Put(c.At, c.Windows);
        ASSERT_TRUE(Holds(c.At, c.Windows));
        EXPECT_TRUE(ApplyTuning(false, WindowsRelease::Windows8, Choices(0, 0)).Complete);
        EXPECT_FALSE(Holds(c.At, c.Windows)) << "tuned";
        EXPECT_TRUE(RestoreTuning(WindowsRelease::Windows8, Choices(0, 0)).Complete);
        EXPECT_TRUE(Holds(c.At, c.Windows)) << Narrow(c.At.Name);
    }
}

TEST_F(TuningCatalogueTest, RunWithTheFlagSetNeitherReadsNorWritesBackups) {
    Put(Original(4), AsDword(38));
    ApplyTuning(false, WindowsRelease::Windows8, Choices(0, 0));
    Put(Original(4), AsDword(24));
    Put(Backup(5), Absent);

    EXPECT_EQ(ApplyTuning(ReadAppliedFlag(), WindowsRelease::Windows8, Choices(0, 1)).Values, 33);
    EXPECT_TRUE(Holds(Backup(4), AsDword(38)));
    EXPECT_TRUE(Holds(Backup(5), Absent));
    EXPECT_TRUE(Holds(Original(4), AsDword(1)));
    EXPECT_TRUE(Holds(Tuned(17), AsDword(8)));
}

TEST_F(TuningCatalogueTest, RunAfterRestoreBacksUpAgain) {
    Put(Original(4), AsDword(38));
    ApplyTuning(false, WindowsRelease::Windows8, Choices(0, 0));
    RestoreTuning(WindowsRelease::Windows8, Choices(0, 0));
    EXPECT_TRUE(Holds(Original(4), AsDword(38)));
    Put(Original(4), AsDword(24));

    ApplyTuning(ReadAppliedFlag(), WindowsRelease::Windows8, Choices(0, 0));
    EXPECT_TRUE(Holds(Backup(4), AsDword(24)));
}

// --- Optimize now: which tuned values, with what data ---

TEST_F(TuningCatalogueTest, SpeedIsReadOnceWhenItsRowsComeUpAfterFlagAndBackups) {
    for (const auto& [speed, connections] : {std::pair{0, 4}, {1, 8}, {-1, 4}}) {
        ClearCatalogue();
        int reads = 0;
        TuningChoices choices{[] { return 0; },
                              [&, speed = speed] {
                                  ++reads;
                                  EXPECT_TRUE(ReadAppliedFlag());
                                  for (int b = 1; b <= 9; ++b)
                                      EXPECT_TRUE(Read(Backup(b)).Present);
                                  EXPECT_TRUE(Read(Tuned(16)).Present);
                                  EXPECT_FALSE(Read(Tuned(17)).Present);
                                  return speed;
                              }};
        ApplyTuning(false, WindowsRelease::Windows8, choices);
        EXPECT_EQ(reads, 1);
        EXPECT_TRUE(Holds(Tuned(17), AsDword(connections))) << "speed " << speed;
        EXPECT_TRUE(Holds(Tuned(18), AsDword(connections))) << "speed " << speed;
    }
}

TEST_F(TuningCatalogueTest, BroadbandRowsAreSkippedOnlyForDialUpAndIsdn) {
    for (int connection = -1; connection <= 8; ++connection) {
        ClearCatalogue();
        int reads = 0;
        const TuningChoices choices{[&] {
                                        ++reads;
                                        return connection;
                                    },
                                    [] { return 0; }};
        const bool broadband = connection != 2 && connection != 7;
        const std::set<int> expected = Union(Range(1, 21), broadband ? Range(22, 31) : std::set<int>{});

        EXPECT_EQ(ApplyTuning(false, WindowsRelease::Unknown, choices).Values,
                  static_cast<int>(expected.size()))
            << connection;
        EXPECT_EQ(TunedRowsPresent(), expected) << "connection " << connection;
        EXPECT_EQ(reads, connection == 2 ? 1 : 2) << "connection " << connection;
    }
    ClearCatalogue();
    EXPECT_EQ(ApplyTuning(false, WindowsRelease::Unknown, TuningChoices{}).Values, 31);
    EXPECT_TRUE(Holds(Tuned(17), AsDword(4)));
}

TEST_F(TuningCatalogueTest, VersionCodeSelectsItsRows) {
    for (const VersionCase& v : VersionCases)
        for (int connection : {0, 2}) {
            ClearCatalogue();
            const std::set<int> expected =
                Union(Union(Range(1, 20), v.Rows), connection == 0 ? Range(22, 31) : std::set<int>{});
            EXPECT_EQ(ApplyTuning(false, static_cast<WindowsRelease>(v.Code), Choices(connection, 0)).Values,
                      static_cast<int>(expected.size()));
            EXPECT_EQ(TunedRowsPresent(), expected)
                << "position " << v.Position << ", connection " << connection;
        }
}

TEST_F(TuningCatalogueTest, TunedValuesLandAtTheirWindowsPlacesWithTheirTypes) {
    const HKEY cu = HKEY_CURRENT_USER, lm = HKEY_LOCAL_MACHINE;
    const std::pair<Place, Stored> expected[] = {
        {{cu, L"\\Control Panel\\Desktop\\WindowMetrics", L"MinAnimate"}, AsSz(L"1")},
        {{lm, L"\\System\\CurrentControlSet\\Control\\Session Manager\\Memory Management",
          L"IoPageLockLimit"},
         AsDword(4096)},
        {{lm, L"\\System\\CurrentControlSet\\Control\\PriorityControl", L"Win32PrioritySeparation"},
         AsDword(1)},
        {{lm, L"\\System\\CurrentControlSet\\Control\\CrashControl", L"SendAlert"}, AsDword(1)},
        {{cu, L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
          L"MaxConnectionsPer1_0Server"},
         AsDword(8)},
        {{lm, L"\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters", L"GlobalMaxTcpWindowSize"},
         AsDword(256960)},
        {{cu, L"\\Control Panel\\Desktop", L"SmoothScroll"}, AsBinary({0, 0, 0, 0})},
        {{cu, L"\\Software\\Microsoft\\Internet Explorer\\Main", L"Use StyleSheets"}, AsSz(L"Yes")},
        {{cu, L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoComplete",
          L"Append Completion"},
         AsSz(L"Yes")},
        {{lm, L"\\System\\CurrentControlSet\\Control\\FileSystem", L"ContigFileAllocSize"}, AsDword(1536)},
        {{lm, L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", L"NoResolveSearch"},
         AsDword(1)},
        {{lm, L"\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows", L"Error Mode"}, AsDword(1)},
        {{lm, L"\\System\\CurrentControlSet\\Services\\Messenger", L"Start"}, AsDword(4)},
        {{lm, L"\\System\\CurrentControlSet\\Control\\Session Manager", L"EnablePrefetcher"}, AsDword(1)},
        {{lm, L"\\Software\\Policies\\Microsoft\\Windows\\Psched", L"MaxOutstandingSends"}, AsDword(65535)},
        {{lm, L"\\Software\\Microsoft\\Dfrg\\BootOptimizeFunction", L"Enable"}, AsSz(L"Y")},
        {{lm, L"\\System\\CurrentControlSet\\Services\\P3\\Parameters", L"HackFlags"}, AsDword(1)},
    };
    ApplyTuning(false, WindowsRelease::Windows8, Choices(0, 1));
    for (const auto& [place, stored] : expected)
        EXPECT_TRUE(Holds(place, stored));

    ApplyTuning(true, WindowsRelease::WindowsServer2003, Choices(0, 1));
    EXPECT_TRUE(
        Holds({lm, L"\\System\\CurrentControlSet\\Control\\Session Manager", L"AutoChkTimeOut"}, AsDword(0)));
}

// --- Restore ---

TEST_F(TuningCatalogueTest, RestoreGivesBackEveryOriginalThenClearsFlagAndRecords) {
    for (int b = 1; b <= 9; ++b)
        Put(Original(b), Originals[b - 1]);
    StoreAnswers(3, 1, 1);
    Put(Product(ProductValue::InstalledDate), AsSz(L"01.02.2020 10:00:00"));
    ApplyTuning(false, WindowsRelease::Windows8, Choices(3, 1));

    int asked = 0;
    const auto ask = [&asked] {
        ++asked;
        return 0;
    };
    const TuningChoices counting{ask, ask};
    const TuningRun run = RestoreTuning(WindowsRelease::Windows8, counting);
    EXPECT_TRUE(run.Complete);
    EXPECT_EQ(run.Values, 33);
    EXPECT_EQ(asked, 0) << "the answers shown play no part";

    for (int b = 1; b <= 9; ++b) {
        EXPECT_TRUE(Holds(Original(b), Originals[b - 1])) << "row " << b;
        EXPECT_TRUE(Holds(Backup(b), Absent)) << "backup " << b;
    }
    for (int w = 1; w <= 34; ++w)
        if (!HasBackup(w)) {
            EXPECT_TRUE(Holds(Record(w), Absent)) << "record " << w;
        }
    EXPECT_EQ(TunedRowsPresent(), Union(Range(1, 5), Range(17, 20)));
    EXPECT_TRUE(Holds(Product(ProductValue::Restore), Absent));
    EXPECT_TRUE(Holds(Product(ProductValue::InternetType), AsDword(3)));
    EXPECT_TRUE(Holds(Product(ProductValue::ProcessorType), AsDword(1)));
    EXPECT_TRUE(Holds(Product(ProductValue::SpeedSetting), AsDword(1)));
    EXPECT_TRUE(Holds(Product(ProductValue::InstalledDate), AsSz(L"01.02.2020 10:00:00")));
}

// A stock Windows XP: some tuned values exist, four of the nine do not.
TEST_F(TuningCatalogueTest, OptimizeNowThenRestoreLeavesAStockWindowsAsItWas) {
    const std::pair<int, Stored> stock[] = {
        {1, AsSz(L"1")},  {2, AsDword(0)},  {3, AsDword(0)},    {4, AsDword(2)},  {5, AsDword(1)},
        {13, AsDword(1)}, {16, AsDword(2)}, {22, AsDword(128)}, {33, AsSz(L"Y")}, {15, AsDword(0)},
    };
    for (const auto& [row, value] : stock)
        Put(Tuned(row), value);
    const std::vector<Stored> before = Everything();

    EXPECT_TRUE(ApplyTuning(false, WindowsRelease::WindowsXP, Choices(0, 1)).Complete);
    EXPECT_TRUE(Holds(Tuned(16), AsDword(4)));
    EXPECT_TRUE(Holds(Tuned(17), AsDword(8)));
    EXPECT_TRUE(RestoreTuning(WindowsRelease::WindowsXP, Choices(0, 1)).Complete);
    EXPECT_TRUE(Everything() == before) << "a value is not as it was";
}

// What a later run adds is recorded by that run and undone whatever is shown.
TEST_F(TuningCatalogueTest, RestoreUndoesEveryRunWhateverTheAnswersShown) {
    for (int w = 22; w <= 26; ++w)
        Put(Tuned(w), AsDword(7));
    const std::vector<Stored> before = Everything();
    // A record that a Restore could not remove, with no tuning standing.
    Put(Record(27), AsDword(99));
    ApplyTuning(false, WindowsRelease::WindowsServer2012, Choices(2, 0));
    EXPECT_TRUE(Holds(Record(27), Absent)) << "a left-over record outlived a run without the flag";
    EXPECT_TRUE(Holds(Tuned(22), AsDword(7))) << "dial-up writes no broadband value";
    ApplyTuning(ReadAppliedFlag(), WindowsRelease::Windows8, Choices(0, 0));
    EXPECT_TRUE(Holds(Tuned(22), AsDword(64)));
    EXPECT_TRUE(Holds(Record(22), AsDword(7)));
    EXPECT_TRUE(Holds(Record(27), AbsenceRecord));

    EXPECT_TRUE(RestoreTuning(WindowsRelease::Windows2000, Choices(2, 0)).Complete);
    EXPECT_TRUE(Everything() == before) << "a value is not as it was";
}

// Tuning applied by an earlier version, which kept the flag and the nine
// backups only: Restore puts the nine back and deletes the others as the
// answers shown select them, as that version did; a later run records
// nothing it cannot tell from a tuned value.
TEST_F(TuningCatalogueTest, TuningLeftByAnEarlierVersionIsRestoredAsItWas) {
    const auto earlierVersionsTuning = [](WindowsRelease release, int connection) {
        ClearCatalogue();
        for (int b = 1; b <= 9; ++b)
            Put(Original(b), Originals[b - 1]);
        ApplyTuning(false, release, Choices(connection, 0));
        ForgetRecords();
    };
    const std::set<int> nine = Union(Range(1, 5), Range(17, 20));

    earlierVersionsTuning(WindowsRelease::WindowsServer2012, 2);
    ApplyTuning(true, WindowsRelease::WindowsServer2012, Choices(0, 0));
    for (int w = 1; w <= 34; ++w)
        if (!HasBackup(w)) {
            EXPECT_TRUE(Holds(Record(w), Absent)) << "record " << w;
        }
    EXPECT_EQ(RestoreTuning(WindowsRelease::Windows8, Choices(0, 0)).Values, 9 + 24);
    EXPECT_EQ(TunedRowsPresent(), Union(nine, {32}));
    for (int b = 1; b <= 9; ++b)
        EXPECT_TRUE(Holds(Original(b), Originals[b - 1])) << "row " << b;

    earlierVersionsTuning(WindowsRelease::Windows8, 0);
    EXPECT_EQ(RestoreTuning(WindowsRelease::Windows2000, Choices(7, 0)).Values, 9 + 12);
    EXPECT_EQ(TunedRowsPresent(), Union(Union(nine, Range(21, 31)), {33, 34}));
}

TEST_F(TuningCatalogueTest, RestoreWithoutUsableBackupsWritesDefaults) {
    ApplyTuning(true, WindowsRelease::Windows8, Choices(0, 1));
    // Backups of another type are given back as they are; missing ones as the defaults.
    Put(Backup(1), AsSz(L""));
    Put(Backup(8), AsSz(L"5"));
    RestoreTuning(WindowsRelease::Windows8, Choices(0, 0));
    for (int b = 1; b <= 9; ++b) {
        EXPECT_TRUE(Holds(Original(b), b == 1   ? AsSz(L"")
                                       : b == 8 ? AsSz(L"5")
                                                : BackupDefaults[b - 1]))
            << "row " << b;
        EXPECT_TRUE(Holds(Backup(b), Absent)) << "backup " << b;
    }
}

TEST_F(TuningCatalogueTest, RestoreVersionRowsFollowTheCodeUnderAnEarlierVersionsTuning) {
    for (const VersionCase& v : VersionCases) {
        ClearCatalogue();
        ApplyTuning(false, WindowsRelease::Windows8, Choices(7, 0));
        ApplyTuning(true, WindowsRelease::WindowsServer2012, Choices(7, 0));
        ASSERT_EQ(TunedRowsPresent(), Union(Range(1, 21), {32, 33, 34}));
        ForgetRecords();

        EXPECT_EQ(RestoreTuning(static_cast<WindowsRelease>(v.Code), Choices(7, 0)).Values,
                  9 + 11 + static_cast<int>(v.Rows.size()));
        std::set<int> left;
        for (int w : VersionRows)
            if (!v.Rows.count(w)) left.insert(w);
        EXPECT_EQ(TunedRowsPresent(), left) << "position " << v.Position;
    }
}

TEST_F(TuningCatalogueTest, RestoreRemovesValuesButNeverAKey) {
    ApplyTuning(false, WindowsRelease::Windows8, Choices(0, 0));
    RestoreTuning(WindowsRelease::Windows8, Choices(0, 0));
    EXPECT_EQ(TunedRowsPresent(), std::set<int>{});
    for (const Tuning::KeyRow& key : Tuning::KeyTable)
        EXPECT_TRUE(KeyExists(RootOf(key), key.Path)) << Narrow(key.Path);
    EXPECT_TRUE(KeyExists(ProductKeyRoot, ProductKeyPath));
}

// --- Where not everything may be changed ---

const wchar_t Title[] = L"Hastrel - Make your games and internet run faster";
const wchar_t NoRightsText[] =
    L"Hastrel needs administrator rights to change these settings. Nothing was changed.\r\n\r\n"
    L"Log on as an administrator, or start Hastrel with Run as, and try again.";
const wchar_t RestartAdvice[] =
    L"\r\n\r\nYou will need to restart Windows for the changes to become active.\r\n\r\n"
    L"Click Yes to restart the computer now, or click No to restart later.";
const std::wstring FinishedText =
    std::wstring(L"The changes to the computer's gaming and internet performance settings have finished.") +
    RestartAdvice;
const std::wstring ChangeIncompleteText =
    std::wstring(L"Some of the computer's gaming and internet performance settings could not be changed. "
                 L"Restore puts back the original values of those that were changed.") +
    RestartAdvice;
const std::wstring ResetIncompleteText =
    std::wstring(L"Some of the computer's gaming and internet settings could not be restored. Hastrel keeps "
                 L"its copy of their original values, so that Restore can be run again.") +
    RestartAdvice;
constexpr UINT RestartPromptType = MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2;

struct ShownBox {
    std::wstring Text;
    std::wstring Title;
    UINT Type;
};
std::vector<ShownBox> shownBoxes;

// Confirms "Restore" and declines the restart.
int WINAPI RecordBoxAndAnswer(HWND, LPCWSTR text, LPCWSTR title, UINT type) {
    shownBoxes.push_back({text, title, type});
    return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
}

const Tuning::KeyRow& KeyRowOf(Tuning::Key id) {
    return Tuning::KeyTable[static_cast<size_t>(id)];
}

// The buttons of the main window, pressed with the user's originals in place.
class TuningWithoutRights : public TuningCatalogueTest {
  protected:
    void SetUp() override {
        TuningCatalogueTest::SetUp();
        for (int b = 1; b <= 9; ++b)
            Put(Original(b), Originals[b - 1]);
        shownBoxes.clear();
        MessageBoxCall = RecordBoxAndAnswer;
        ProgressPacing = {2, 3, 1, 1, 1, 0, [](unsigned) {}};
        progress_ = std::make_unique<TKVSettingsForm>(nullptr);
        progress_->AfterConstruction();
        KVSettingsForm = progress_.get();
    }
    void TearDown() override {
        form_.reset();
        KVSettingsForm = nullptr;
        progress_.reset();
        ProgressPacing = DefaultProgressPacing;
        MessageBoxCall = MessageBoxW;
        TuningCatalogueTest::TearDown();
    }
    // Created once the product key holds what the window should start from.
    TKVMainForm& MainWindow() {
        form_ = std::make_unique<TKVMainForm>(nullptr);
        form_->AfterConstruction();
        form_->Show();
        return *form_;
    }
    // The run showed Count boxes, the last one this text with the main window's title.
    static testing::AssertionResult LastOfBoxes(size_t count, const std::wstring& text, UINT type) {
        if (shownBoxes.size() != count) return testing::AssertionFailure() << shownBoxes.size() << " boxes";
        const ShownBox& box = shownBoxes.back();
        if (box.Text != text || box.Title != Title || box.Type != type)
            return testing::AssertionFailure() << "another box, of type " << box.Type;
        return testing::AssertionSuccess();
    }
    static testing::AssertionResult OnlyTheRightsBox() {
        return LastOfBoxes(1, NoRightsText, MB_OK | MB_ICONWARNING);
    }
    static void ExpectBackupsAndFlagStand() {
        EXPECT_TRUE(ReadAppliedFlag());
        for (int b = 1; b <= 9; ++b)
            EXPECT_TRUE(Holds(Backup(b), Originals[b - 1])) << "backup " << b;
    }

  private:
    std::unique_ptr<TKVSettingsForm> progress_;
    std::unique_ptr<TKVMainForm> form_;
};

TEST_F(TuningWithoutRights, OptimizeNowWithTheProductKeyReadOnlySaysSoAndChangesNothing) {
    TKVMainForm& window = MainWindow();
    testreg::ReadOnlyKey locked(ProductKeyRoot, ProductKeyPath);
    ASSERT_TRUE(locked.Applied());
    const std::vector<Stored> before = Everything();

    window.GoButton->Click();
    EXPECT_TRUE(OnlyTheRightsBox());
    EXPECT_TRUE(Everything() == before) << "a value changed";
    EXPECT_FALSE(window.RestoreButton->Enabled());

    // The engine on its own overwrites no original whose backup it cannot store.
    const TuningRun run = ApplyTuning(false, WindowsRelease::Windows8, Choices(0, 0));
    EXPECT_FALSE(run.Complete);
    EXPECT_EQ(run.Values, 0);
    EXPECT_TRUE(Everything() == before) << "a value changed";
}

TEST_F(TuningWithoutRights, RestoreWithTheProductKeyReadOnlySaysSoAndChangesNothing) {
    ApplyTuning(false, WindowsRelease::Windows8, Choices(0, 0));
    TKVMainForm& window = MainWindow();
    testreg::ReadOnlyKey locked(ProductKeyRoot, ProductKeyPath);
    ASSERT_TRUE(locked.Applied());
    const std::vector<Stored> before = Everything();

    window.RestoreButton->Click();
    EXPECT_TRUE(OnlyTheRightsBox()) << "no confirmation is asked for what cannot be done";
    EXPECT_TRUE(Everything() == before) << "a value changed";
    EXPECT_TRUE(window.RestoreButton->Enabled());

    // The engine on its own keeps what it cannot clear.
    EXPECT_FALSE(RestoreTuning(WindowsRelease::Windows8, Choices(0, 0)).Complete);
    ExpectBackupsAndFlagStand();
}

TEST_F(TuningWithoutRights, RestoreThatCannotPutAnOriginalBackKeepsEveryBackupAndCanRunAgain) {
    ApplyTuning(false, WindowsRelease::Windows8, Choices(0, 0));
    TKVMainForm& window = MainWindow();
    {
        testreg::ReadOnlyKey locked(HKEY_CURRENT_USER, KeyRowOf(Tuning::Key::WindowMetrics).Path);
        ASSERT_TRUE(locked.Applied());
        window.RestoreButton->Click();
        EXPECT_TRUE(LastOfBoxes(2, ResetIncompleteText, RestartPromptType));
        ExpectBackupsAndFlagStand();
        EXPECT_TRUE(Holds(Original(1), AsSz(L"1"))) << "still tuned";
        EXPECT_TRUE(Holds(Original(4), Originals[3])) << "the others are back";
        EXPECT_TRUE(window.RestoreButton->Enabled());
    }
    shownBoxes.clear();
    window.RestoreButton->Click();
    EXPECT_TRUE(LastOfBoxes(2, FinishedText, RestartPromptType));
    for (int b = 1; b <= 9; ++b) {
        EXPECT_TRUE(Holds(Original(b), Originals[b - 1])) << "row " << b;
        EXPECT_TRUE(Holds(Backup(b), Absent)) << "backup " << b;
    }
    EXPECT_FALSE(ReadAppliedFlag());
    EXPECT_FALSE(window.RestoreButton->Enabled());
}

TEST_F(TuningWithoutRights, OptimizeNowThatCannotWriteATunedValueSaysSoAndStaysRestorable) {
    TKVMainForm& window = MainWindow();
    testreg::ReadOnlyKey locked(HKEY_LOCAL_MACHINE, KeyRowOf(Tuning::Key::TcpipParameters).Path);
    ASSERT_TRUE(locked.Applied());

    window.GoButton->Click();
    EXPECT_TRUE(LastOfBoxes(1, ChangeIncompleteText, RestartPromptType));
    ExpectBackupsAndFlagStand();
    EXPECT_TRUE(Holds(Original(1), AsSz(L"1"))) << "the values it could write are tuned";
    EXPECT_TRUE(Holds(Original(8), Originals[7]));
    EXPECT_TRUE(window.RestoreButton->Enabled());
}

// --- Keys with unusual rights ---

std::vector<Stored> WindowsValues() {
    std::vector<Stored> values;
    for (int w = 1; w <= static_cast<int>(std::size(Tuning::TunedValueTable)); ++w)
        values.push_back(Read(Tuned(w)));
    return values;
}

// An original that cannot be read cannot be kept, and nothing is overwritten:
// neither where nothing may be read nor where only writing is allowed. The
// same holds where the applied flag cannot be read.
TEST_F(TuningCatalogueTest, AnOriginalThatCannotBeReadStopsTheRunBeforeAnyChange) {
    for (int b = 1; b <= 9; ++b)
        Put(Original(b), Originals[b - 1]);
    Put(Tuned(16), AsDword(2));
    const std::vector<Stored> before = WindowsValues();
    const Tuning::KeyRow& metrics = KeyRowOf(Tuning::Key::WindowMetrics);
    const Tuning::KeyRow& messenger = KeyRowOf(Tuning::Key::Messenger);
    const std::pair<HKEY, std::wstring> keys[] = {{RootOf(metrics), metrics.Path},
                                                  {RootOf(messenger), messenger.Path},
                                                  {ProductKeyRoot, ProductKeyPath}};
    for (const wchar_t* sddl : {L"D:P", L"D:P(A;;0x20006;;;WD)"})
        for (const auto& [root, path] : keys) {
            {
                testreg::KeySecurity locked(root, path, sddl);
                ASSERT_TRUE(locked.Applied());
                const TuningRun run = ApplyTuning(ReadAppliedFlag(), WindowsRelease::Windows8, Choices(0, 0));
                EXPECT_FALSE(run.Complete);
                EXPECT_EQ(run.Values, 0);
            }
            EXPECT_FALSE(ReadAppliedFlag());
            EXPECT_TRUE(WindowsValues() == before) << Narrow(path) << ": a value changed";
        }
}

// Setting and deleting values needs no more than the right to set them.
TEST_F(TuningCatalogueTest, RestoreFinishesOnKeysThatGrantReadingAndWritingOnly) {
    for (int b = 1; b <= 9; ++b)
        Put(Original(b), Originals[b - 1]);
    Put(Tuned(16), AsDword(2));
    const std::vector<Stored> before = Everything();
    ASSERT_TRUE(ApplyTuning(false, WindowsRelease::Windows8, Choices(0, 0)).Complete);
    {
        const wchar_t readAndWrite[] = L"D:P(A;;0x2001F;;;WD)";
        testreg::KeySecurity product(ProductKeyRoot, ProductKeyPath, readAndWrite);
        testreg::KeySecurity records(ProductKeyRoot, OriginalsKeyPath(), readAndWrite);
        const Tuning::KeyRow& tcpip = KeyRowOf(Tuning::Key::TcpipParameters);
        testreg::KeySecurity windows(RootOf(tcpip), tcpip.Path, readAndWrite);
        const Tuning::KeyRow& messenger = KeyRowOf(Tuning::Key::Messenger);
        testreg::KeySecurity service(RootOf(messenger), messenger.Path, readAndWrite);
        ASSERT_TRUE(product.Applied() && records.Applied() && windows.Applied() && service.Applied());
        EXPECT_TRUE(RestoreTuning(WindowsRelease::Windows8, Choices(0, 0)).Complete);
    }
    EXPECT_TRUE(Everything() == before) << "a value is not as it was";
}

} // namespace
