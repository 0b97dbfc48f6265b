#include "app/TuningCatalogue.h"

#include "support/ProductKey.h"
#include "support/CustomRegistry.h"

#include <iterator>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

using namespace Tuning;

namespace {

// The tables cross-refer by position; a slip in one of them is caught here
// rather than in somebody's registry.

constexpr bool Same(const wchar_t* a, const wchar_t* b) {
    return std::wstring_view(a) == std::wstring_view(b);
}

constexpr bool KeyTableInEnumOrder() {
    for (size_t i = 0; i < std::size(KeyTable); ++i)
        if (static_cast<size_t>(KeyTable[i].Id) != i) return false;
    return true;
}

// The tuned row that a backup preserves: same place, same name, same type, always written.
constexpr int TwinOf(const BackupRow& backup) {
    for (size_t i = 0; i < std::size(TunedValueTable); ++i) {
        const TunedValueRow& tuned = TunedValueTable[i];
        if (tuned.Place == backup.Place && Same(tuned.Name, backup.Name) &&
            tuned.Data.Type == backup.Default.Type && tuned.When == Condition::Always)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

constexpr bool EveryBackupHasATwin() {
    for (const BackupRow& backup : BackupTable)
        if (backup.Default.Type == ValueType::Binary || TwinOf(backup) == 0) return false;
    return true;
}

constexpr int TimesCovered(RestoreAction action, int row) {
    int times = 0;
    for (const RestoreRow& r : RestoreTable)
        if (r.Action == action && r.Rows.First <= row && row <= r.Rows.Last) ++times;
    return times;
}

constexpr bool RestoreRangesInBounds() {
    for (const RestoreRow& r : RestoreTable) {
        const size_t rows =
            r.Action == RestoreAction::Delete ? std::size(TunedValueTable) : std::size(BackupTable);
        if (r.Rows.First < 1 || r.Rows.First > r.Rows.Last || r.Rows.Last > rows) return false;
        if (r.Action != RestoreAction::Delete && r.When != Condition::Always) return false;
    }
    return true;
}

constexpr bool EveryBackupWrittenBackAndDeletedOnce() {
    for (int b = 1; b <= static_cast<int>(std::size(BackupTable)); ++b)
        if (TimesCovered(RestoreAction::WriteBack, b) != 1 ||
            TimesCovered(RestoreAction::DeleteBackups, b) != 1)
            return false;
    return true;
}

// A tuned value is either written back through its backup or deleted, under
// the very condition that wrote it.
constexpr bool EveryTunedValueUndoneOnce() {
    for (int w = 1; w <= static_cast<int>(std::size(TunedValueTable)); ++w) {
        bool backedUp = false;
        for (const BackupRow& backup : BackupTable)
            backedUp = backedUp || TwinOf(backup) == w;
        if (TimesCovered(RestoreAction::Delete, w) != (backedUp ? 0 : 1)) return false;
        for (const RestoreRow& r : RestoreTable)
            if (r.Action == RestoreAction::Delete && r.Rows.First <= w && w <= r.Rows.Last &&
                r.When != TunedValueTable[w - 1].When)
                return false;
    }
    return true;
}

static_assert(KeyTableInEnumOrder());
static_assert(EveryBackupHasATwin());
static_assert(RestoreRangesInBounds());
static_assert(EveryBackupWrittenBackAndDeletedOnce());
static_assert(EveryTunedValueUndoneOnce());

HKEY RootKey(Root hive) {
    return hive == Root::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}
const KeyRow& KeyOf(Key id) {
    return KeyTable[static_cast<size_t>(id)];
}

int Ask(const std::function<int()>& position) {
    return position ? position() : -1;
}

// Each condition is settled at the first row that needs it, so a control is
// read when its rows come up, and once per run.
class ConditionTest {
  public:
    ConditionTest(WindowsRelease release, const std::function<int()>& connectionPosition)
        : release_(release), connectionPosition_(connectionPosition) {}

    bool Holds(Condition condition) {
        switch (condition) {
        case Condition::Always:
            return true;
        case Condition::Broadband:
            if (broadband_ == Unknown) broadband_ = IsBroadband(connectionPosition_) ? Yes : No;
            return broadband_ == Yes;
        default:
            return InVersionGroup(condition, release_);
        }
    }

  private:
    WindowsRelease release_;
    const std::function<int()>& connectionPosition_;
    enum { Unknown, No, Yes } broadband_ = Unknown;
};

bool CopyToProductKey(const BackupRow& row) {
    const KeyRow& key = KeyOf(row.Place);
    if (row.Default.Type == ValueType::String)
        return WriteRegString(ProductKeyRoot, ProductKeyPath, row.Name,
                              ReadRegString(RootKey(key.Hive), key.Path, row.Name, row.Default.Text, false),
                              false);
    return WriteRegInteger(ProductKeyRoot, ProductKeyPath, row.Name,
                           ReadRegInteger(RootKey(key.Hive), key.Path, row.Name, row.Default.Number, false),
                           false);
}

bool WriteBack(const BackupRow& row) {
    const KeyRow& key = KeyOf(row.Place);
    if (row.Default.Type == ValueType::String)
        return WriteRegString(
            RootKey(key.Hive), key.Path, row.Name,
            ReadRegString(ProductKeyRoot, ProductKeyPath, row.Name, row.Default.Text, false), false);
    return WriteRegInteger(
        RootKey(key.Hive), key.Path, row.Name,
        ReadRegInteger(ProductKeyRoot, ProductKeyPath, row.Name, row.Default.Number, false), false);
}

bool WriteTuned(const TunedValueRow& row, int32_t number) {
    const KeyRow& key = KeyOf(row.Place);
    switch (row.Data.Type) {
    case ValueType::String:
        return WriteRegString(RootKey(key.Hive), key.Path, row.Name, row.Data.Text, false);
    case ValueType::Integer:
        return WriteRegInteger(RootKey(key.Hive), key.Path, row.Name, number, false);
    case ValueType::Binary: {
        const std::vector<uint8_t> zeros(static_cast<size_t>(row.Data.Number), 0);
        return WriteRegBinary(RootKey(key.Hive), key.Path, row.Name, zeros.data(), zeros.size(), false);
    }
    }
    return false;
}

bool DeleteTuned(const TunedValueRow& row) {
    const KeyRow& key = KeyOf(row.Place);
    return DeleteRegValue(RootKey(key.Hive), key.Path, row.Name, false);
}

} // namespace

namespace Tuning {

bool InVersionGroup(Condition group, WindowsRelease release) {
    for (const VersionGroupRow& row : VersionGroupTable)
        if (row.Group == group) return (row.Members & ReleaseBit(release)) != 0;
    return false;
}

bool IsBroadband(const std::function<int()>& connectionPosition) {
    for (size_t position = 0; position < std::size(ConnectionTable); ++position)
        if (!ConnectionTable[position].Broadband && Ask(connectionPosition) == static_cast<int>(position))
            return false;
    return true;
}

} // namespace Tuning

bool CanChangeSettings() {
    return CanWriteRegKey(ProductKeyRoot, ProductKeyPath, false);
}

bool StoreAnswers(int connectionPosition, int processorPosition, int speedPosition) {
    const std::pair<const wchar_t*, int> answers[] = {{ProductValue::InternetType, connectionPosition},
                                                      {ProductValue::ProcessorType, processorPosition},
                                                      {ProductValue::SpeedSetting, speedPosition}};
    bool stored = true;
    for (const auto& [name, position] : answers)
        stored = WriteRegInteger(ProductKeyRoot, ProductKeyPath, name, position, false) && stored;
    return stored;
}

bool ReadAppliedFlag() {
    return ReadRegBool(ProductKeyRoot, ProductKeyPath, ProductValue::Restore, false, false);
}

TuningRun ApplyTuning(bool appliedBefore, WindowsRelease release, const TuningChoices& choices) {
    TuningRun run;
    // Backups taken while the tuning already stands would hold tuned values.
    if (!appliedBefore)
        for (const BackupRow& row : BackupTable)
            run.Complete = CopyToProductKey(row) && run.Complete;
    // The backups are the only copy of the originals: without all of them,
    // and the flag that claims them, no original is overwritten.
    if (!run.Complete || !WriteRegBool(ProductKeyRoot, ProductKeyPath, ProductValue::Restore, true, false))
        return {0, false};

    ConditionTest test(release, choices.ConnectionPosition);
    std::optional<int32_t> connectionsPerServer;
    for (const TunedValueRow& row : TunedValueTable) {
        if (!test.Holds(row.When)) continue;
        if (row.Data.BySpeedRule && !connectionsPerServer)
            connectionsPerServer = ConnectionsPerServer(Ask(choices.SpeedPosition));
        if (WriteTuned(row, row.Data.BySpeedRule ? *connectionsPerServer : row.Data.Number))
            ++run.Values;
        else
            run.Complete = false;
    }
    return run;
}

TuningRun RestoreTuning(WindowsRelease release, const TuningChoices& choices) {
    ConditionTest test(release, choices.ConnectionPosition);
    auto runRows = [&](RestoreAction action, auto&& perRow) {
        for (const RestoreRow& r : RestoreTable)
            if (r.Action == action && test.Holds(r.When))
                for (int row = r.Rows.First; row <= r.Rows.Last; ++row)
                    perRow(row - 1);
    };

    TuningRun run;
    runRows(RestoreAction::WriteBack,
            [&run](int b) { run.Complete = WriteBack(BackupTable[b]) && run.Complete; });
    runRows(RestoreAction::Delete, [&run](int w) {
        if (DeleteTuned(TunedValueTable[w]))
            ++run.Values;
        else
            run.Complete = false;
    });
    // An original that is not back in place keeps its backup, and the flag
    // keeps Restore on offer; the flag goes first, so that it never claims
    // backups that are gone.
    if (!run.Complete || !DeleteRegValue(ProductKeyRoot, ProductKeyPath, ProductValue::Restore, false))
        return {run.Values, false};
    runRows(RestoreAction::DeleteBackups, [&run](int b) {
        run.Complete =
            DeleteRegValue(ProductKeyRoot, ProductKeyPath, BackupTable[b].Name, false) && run.Complete;
    });
    return run;
}
