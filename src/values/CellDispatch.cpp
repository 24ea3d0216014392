#include "values/CellDispatch.h"

#include "platform/FatalStop.h"

#include <array>
#include <initializer_list>
#include <string>

namespace {

using Table = std::array<CellDispatchEntry, kCellIdCount>;

void Fill(Table& table, std::span<const CellRow> rows, bool fallbackPass) {
    for (const CellRow& row : rows) {
        if (row.fallback != fallbackPass) continue;
        for (CellId id = row.first; id <= row.last && id < kCellIdCount; ++id) {
            CellDispatchEntry& entry = table[static_cast<std::size_t>(id)];
            if (entry.handler) {
                if (fallbackPass) continue;
                // Two tables claiming one identifier is a programming error that must not
                // reach a user as a silently ignored cell.
                platform::fatalStop("Cell identifier handled twice.\n" + std::string(CellIdName(id)));
            }
            entry = {row.handler, row.data, row.addressBytes};
        }
    }
}

Table Build() {
    Table table{};
    const std::initializer_list<std::span<const CellRow>> topics = {
        CommandCellRows(),    CaptionCellRows(),   CloneInfoCellRows(),     ChannelCellRows(),
        AdjustmentCellRows(), AdReadoutCellRows(), ParameterDumpCellRows(), SettingsCellRows(),
        SignallingCellRows(), BankCellRows(),       TrunkingCellRows(),      DigitalCellRows(),
        MskListCellRows(),    ToneCodeCellRows()};
    for (bool fallbackPass : {false, true}) {
        for (std::span<const CellRow> rows : topics) Fill(table, rows, fallbackPass);
    }
    return table;
}

}  // namespace

CellDispatchEntry DispatchOf(CellId id) {
    static const Table table = Build();
    if (id < 0 || id >= kCellIdCount) return {};
    return table[static_cast<std::size_t>(id)];
}
