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

// The backup row that keeps a tuned row's original in the product key, or
// none: then its original is kept in the Originals subkey.
constexpr const BackupRow* BackupOf(const TunedValueRow& tuned) {
    for (const BackupRow& backup : BackupTable)
        if (&TunedValueTable[TwinOf(backup) - 1] == &tuned) return &backup;
    return nullptr;
}

// Where a tuned value's original is recorded, under the value's own name.
std::wstring RecordKey(const TunedValueRow& row) {
    return BackupOf(row) ? ProductKeyPath : OriginalsKeyPath();
}

// An original is recorded as the registry held it; one that did not exist as
// a value of type REG_NONE without data, which tells it apart from no record.
RegValue AsRecord(RegValue original) {
    if (!original.Exists) return {true, REG_NONE, {}};
    return original;
}
bool RecordsAbsence(const RegValue& record) {
    return record.Type == REG_NONE && record.Data.empty();
}

std::optional<RegValue> ReadRecord(const TunedValueRow& row) {
    return ReadRegValue(ProductKeyRoot, RecordKey(row), row.Name, false);
}

// Whether any tuned value without a backup of its own has a record; none do
// where the tuning was applied by an earlier version, which kept only the
// nine backups. No answer where the records cannot be read.
std::optional<bool> RecordsKept() {
    bool kept = false;
    for (const TunedValueRow& row : TunedValueTable) {
        if (BackupOf(row)) continue;
        const std::optional<RegValue> record = ReadRecord(row);
        if (!record) return std::nullopt;
        kept = kept || record->Exists;
    }
    return kept;
}

// Removes the records of the tuned values without a backup of their own.
bool RemoveRecords() {
    bool removed = true;
    for (const TunedValueRow& row : TunedValueTable)
        if (!BackupOf(row))
            removed = DeleteRegValue(ProductKeyRoot, RecordKey(row), row.Name, false) && removed;
    return removed;
}

// Records the original of every row of this run that has none yet, before
// any tuned value of the run is written. While the tuning stands, a value
// without a record was not written since the last Restore, and the nine
// were all written by the first run; under a tuning applied by an earlier
// version, nothing can be told apart, and nothing more is recorded.
bool KeepOriginals(bool appliedBefore, const std::vector<const TunedValueRow*>& rows) {
    if (!appliedBefore) {
        // No tuning stands, so the values in place are the originals: records
        // left by a Restore that could not remove them all are stale. Unless
        // the flag could not be read at all: then that is not known.
        if (!ReadRegValue(ProductKeyRoot, ProductKeyPath, ProductValue::Restore, false) || !RemoveRecords())
            return false;
    } else {
        const std::optional<bool> kept = RecordsKept();
        if (!kept) return false;
        if (!*kept) return true;
    }
    for (const TunedValueRow* row : rows) {
        if (appliedBefore) {
            if (BackupOf(*row)) continue;
            const std::optional<RegValue> record = ReadRecord(*row);
            if (!record) return false;
            if (record->Exists) continue;
        }
        const KeyRow& key = KeyOf(row->Place);
        const std::optional<RegValue> original = ReadRegValue(RootKey(key.Hive), key.Path, row->Name, false);
        if (!original ||
            !WriteRegValue(ProductKeyRoot, RecordKey(*row), row->Name, AsRecord(*original), false))
            return false;
    }
    return true;
}

// Puts a value back as its record has it: the same type and bytes, or gone.
// No answer where it has no record.
std::optional<bool> PutBack(const TunedValueRow& row) {
    const std::optional<RegValue> record = ReadRecord(row);
    if (!record) return false;
    if (!record->Exists) return std::nullopt;
    const KeyRow& key = KeyOf(row.Place);
    if (RecordsAbsence(*record)) return DeleteRegValue(RootKey(key.Hive), key.Path, row.Name, false);
    return WriteRegValue(RootKey(key.Hive), key.Path, row.Name, *record, false);
}

// One of the nine, from its backup; without one (removed by hand), the row's default.
bool WriteBack(const BackupRow& row) {
    if (const std::optional<bool> done = PutBack(TunedValueTable[TwinOf(row) - 1])) return *done;
    const KeyRow& key = KeyOf(row.Place);
    if (row.Default.Type == ValueType::String)
        return WriteRegString(RootKey(key.Hive), key.Path, row.Name, row.Default.Text, false);
    return WriteRegInteger(RootKey(key.Hive), key.Path, row.Name, row.Default.Number, false);
}

// A tuned value without a backup of its own, from its record. One without a
// record was not written since the last Restore and stays as it is, unless
// the tuning was applied by an earlier version, which kept no records: then
// it goes where the answers shown select it, as it did then. No answer where
// there is nothing to do.
std::optional<bool> RestoreWithoutBackup(const TunedValueRow& row, bool recordsKept,
                                         const std::function<bool()>& selected) {
    if (recordsKept) return PutBack(row);
    if (!selected()) return std::nullopt;
    const KeyRow& key = KeyOf(row.Place);
    return DeleteRegValue(RootKey(key.Hive), key.Path, row.Name, false);
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
    ConditionTest test(release, choices.ConnectionPosition);
    std::vector<const TunedValueRow*> rows;
    for (const TunedValueRow& row : TunedValueTable)
        if (test.Holds(row.When)) rows.push_back(&row);
    // The records are the only copy of the originals: without all of them,
    // and the flag that claims them, no original is overwritten.
    if (!KeepOriginals(appliedBefore, rows) ||
        !WriteRegBool(ProductKeyRoot, ProductKeyPath, ProductValue::Restore, true, false))
        return {0, false};

    TuningRun run;
    std::optional<int32_t> connectionsPerServer;
    for (const TunedValueRow* row : rows) {
        if (row->Data.BySpeedRule && !connectionsPerServer)
            connectionsPerServer = ConnectionsPerServer(Ask(choices.SpeedPosition));
        if (WriteTuned(*row, row->Data.BySpeedRule ? *connectionsPerServer : row->Data.Number))
            ++run.Values;
        else
            run.Complete = false;
    }
    return run;
}

TuningRun RestoreTuning(WindowsRelease release, const TuningChoices& choices) {
    // Without the records it cannot be told what to put back.
    const std::optional<bool> recordsKept = RecordsKept();
    if (!recordsKept) return {0, false};

    ConditionTest test(release, choices.ConnectionPosition);
    auto runRows = [&](RestoreAction action, auto&& perRow) {
        for (const RestoreRow& r : RestoreTable)
            if (r.Action == action && test.Holds(r.When))
                for (int row = r.Rows.First; row <= r.Rows.Last; ++row)
                    perRow(row - 1);
    };
    TuningRun run;
    auto count = [&run](bool done) {
        if (done)
            ++run.Values;
        else
            run.Complete = false;
    };
    for (const RestoreRow& r : RestoreTable)
        for (int row = r.Rows.First; row <= r.Rows.Last; ++row)
            if (r.Action == RestoreAction::WriteBack) {
                count(WriteBack(BackupTable[row - 1]));
            } else if (r.Action == RestoreAction::Delete) {
                const std::optional<bool> done = RestoreWithoutBackup(TunedValueTable[row - 1], *recordsKept,
                                                                      [&] { return test.Holds(r.When); });
                if (done) count(*done);
            }
    // An original that is not back in place keeps its record, and the flag
    // keeps Restore on offer; the flag goes first, so that it never claims
    // records that are gone.
    if (!run.Complete || !DeleteRegValue(ProductKeyRoot, ProductKeyPath, ProductValue::Restore, false))
        return {run.Values, false};
    runRows(RestoreAction::DeleteBackups, [&run](int b) {
        run.Complete =
            DeleteRegValue(ProductKeyRoot, ProductKeyPath, BackupTable[b].Name, false) && run.Complete;
    });
    run.Complete = RemoveRecords() && run.Complete;
    return run;
}
