#pragma once
// Dispatch of the value routine by cell identifier: one array indexed by identifier, filled
// from the tables of the topics (commands, captions, ...), each in a file of its own. A new
// family of cells is a new table or new rows, never a new case in a switch.

#include "overlay/CellNames.h"
#include "values/CellContext.h"
#include "values/cmcCellCapsule.h"

#include <array>
#include <span>
#include <string_view>

// A handler gets the request and the data of its row (a command, a setting, an offset:
// whatever lets one handler serve a family of identifiers).
using CellHandler = CellResult (*)(CellContext& context, cmcCellCapsule& request, std::int32_t data);

// Identifiers first..last share one handler. A fallback row only fills identifiers that no
// other row names (the commands that are not built yet, for example).
struct CellRow {
    CellId first = kNoCellId;
    CellId last = kNoCellId;
    CellHandler handler = nullptr;
    std::int32_t data = 0;
    bool fallback = false;
    // A row whose data is an image address names the bytes its cell edits there: the
    // cell may change these bytes and no others (a walk over every sheet holds it to that).
    std::uint8_t addressBytes = 0;
};

consteval CellRow Row(std::string_view name, CellHandler handler, std::int32_t data = 0) {
    const CellId id = CellIdOf(name);
    return {id, id, handler, data, false};
}
// A cell that edits `bytes` image bytes at `address`, the handler's data.
consteval CellRow AddressRow(std::string_view name, CellHandler handler, std::int32_t address, std::uint8_t bytes) {
    const CellId id = CellIdOf(name);
    return {id, id, handler, address, false, bytes};
}
consteval CellRow Rows(std::string_view first, std::string_view last, CellHandler handler, std::int32_t data = 0) {
    return {CellIdOf(first), CellIdOf(last), handler, data, false};
}
// The rows of a table whose entries name their cell (`name`): entry i runs `handler` with
// data i, so the table is the one place a cell is listed.
template <class Entry, std::size_t N>
consteval std::array<CellRow, N> IndexedRows(const std::array<Entry, N>& table, CellHandler handler) {
    std::array<CellRow, N> rows{};
    for (std::size_t i = 0; i < N; ++i) rows[i] = Row(table[i].name, handler, static_cast<std::int32_t>(i));
    return rows;
}
// One table from the rows of a table of cells and the rows of a topic's other cells.
template <std::size_t N, std::size_t M>
consteval std::array<CellRow, N + M> JoinRows(const std::array<CellRow, N>& first, const CellRow (&second)[M]) {
    std::array<CellRow, N + M> rows{};
    for (std::size_t i = 0; i < N; ++i) rows[i] = first[i];
    for (std::size_t i = 0; i < M; ++i) rows[N + i] = second[i];
    return rows;
}
consteval CellRow FallbackRows(std::string_view first, std::string_view last, CellHandler handler) {
    return {CellIdOf(first), CellIdOf(last), handler, 0, true};
}

// The topics' tables.
std::span<const CellRow> CommandCellRows();        // menu, toolbar and tree commands
std::span<const CellRow> CaptionCellRows();        // texts shown as they stand
std::span<const CellRow> CloneInfoCellRows();      // the radio's identification
std::span<const CellRow> ChannelCellRows();        // the fields of a bank's channels
std::span<const CellRow> BankCellRows();           // banks: names, channel counts, trunking
std::span<const CellRow> AdjustmentCellRows();     // live adjustment values and procedures
std::span<const CellRow> AdReadoutCellRows();      // the measured values read back from the radio
std::span<const CellRow> ParameterDumpCellRows();  // the adjustment parameters, read only
std::span<const CellRow> SettingsCellRows();       // settings on fixed image bytes, key assignments
std::span<const CellRow> SignallingCellRows();     // DTMF, tones, two-tone, MSK addresses, check cells
std::span<const CellRow> TrunkingCellRows();       // repeater sites and scan lists
std::span<const CellRow> DigitalCellRows();        // P25 inventory, talk groups, NAC channels
std::span<const CellRow> MskListCellRows();        // MSK ID groups, call list, status and short texts
std::span<const CellRow> ToneCodeCellRows();       // five-tone and two-tone code tables

struct CellDispatchEntry {
    CellHandler handler = nullptr;
    std::int32_t data = 0;
    std::uint8_t addressBytes = 0;  // the row's data is the address of this many bytes
};

// The entry of an identifier; no handler for identifiers no table names.
CellDispatchEntry DispatchOf(CellId id);
