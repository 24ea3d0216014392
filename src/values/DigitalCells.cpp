// The digital (P25) tables: the unit inventory, the talk groups and the NAC channels. Each
// cell takes one field of the record the routine loaded for its row, hands it to one
// editor and stores the record when the editor reports a change.

#include "overlay/cmcCellObj.h"
#include "values/CellDispatch.h"
#include "values/Editors.h"
#include "values/RecordCells.h"
#include "values/ProcessCell.h"
#include "values/SettingsCells.h"

#include <array>
#include <cstdint>

namespace {

constexpr auto Store = cells::StoreRow;

// --- Unit and talk-group identifiers -----------------------------------------------------

// A unit identifier has 24 bits, a talk group 16. A row whose identifier holds the table's
// blank mark is not in use: it shows nothing and an edit starts from 0. Storing the blank
// mark (a talk group FFFF) takes the row out of use again.
struct IdTable {
    Fld field;
    int hexDigits;
    int decimalDigits;
    std::uint32_t highest;
    std::uint32_t blank;
};
constexpr std::array<IdTable, 2> kIdTables = {{
    {Fld::Digi_Ind_Id, 6, 8, 0xFFFFFF, 0xFFFFFFFF},  // inventory
    {Fld::Digi_Grp_Id, 4, 5, 0xFFFF, 0xFFFF},        // talk groups
}};
enum IdTableIndex : std::int32_t { kInventory, kTalkGroups };

enum class IdForm { Hex, Decimal };

CellResult Identifier(CellContext& c, cmcCellCapsule& r, const IdTable& table, IdForm form) {
    RecordAccessor& record = c.Records();
    const bool blank = record.get(table.field) == table.blank;
    std::uint32_t value = blank ? 0 : record.get(table.field) & table.highest;
    CellResult result = CellResult::None;
    if (editors::EditIdentifier(r, result, value,
                                {table.hexDigits, table.decimalDigits, table.highest, form == IdForm::Decimal})) {
        // A talk group's blank mark fits in its 16 bits; a unit's does not fit in 24.
        record.set(table.field, value & table.highest);
        Store(c, r);
    } else if (blank) {
        r.displayText.clear();
    }
    return result;
}

CellResult IdHex(CellContext& c, cmcCellCapsule& r, std::int32_t table) {
    return Identifier(c, r, kIdTables[static_cast<std::size_t>(table)], IdForm::Hex);
}
CellResult IdDecimal(CellContext& c, cmcCellCapsule& r, std::int32_t table) {
    return Identifier(c, r, kIdTables[static_cast<std::size_t>(table)], IdForm::Decimal);
}

// The 12-character name of a unit or a talk group.
CellResult Name(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    constexpr std::size_t kLength = 12;
    RecordAccessor& record = c.Records();
    CellResult result = CellResult::None;
    if (editors::EditName(r, result, record.name, kLength)) Store(c, r);
    return result;
}

// The radio's own unit identifier, 24 bits in the digital settings block, shown in
// hexadecimal or in decimal (the row's data is its address).
constexpr std::int32_t kOwnUnit = settings::kDigitalSettings + 1;

CellResult OwnUnit(CellContext& c, cmcCellCapsule& r, std::int32_t address, IdForm form) {
    const settings::Field field{address, 3, 0, 24, false};
    auto value = static_cast<std::uint32_t>(settings::ReadField(c.Image(), field));
    CellResult result = CellResult::None;
    if (editors::EditIdentifier(r, result, value, {6, 8, 0xFFFFFF, form == IdForm::Decimal})) {
        settings::WriteField(c.Image(), field, value);
        r.changeFlags |= kChangeImage;
    }
    return result;
}
CellResult OwnUnitHex(CellContext& c, cmcCellCapsule& r, std::int32_t address) {
    return OwnUnit(c, r, address, IdForm::Hex);
}
CellResult OwnUnitDecimal(CellContext& c, cmcCellCapsule& r, std::int32_t address) {
    return OwnUnit(c, r, address, IdForm::Decimal);
}

// --- NAC channels ------------------------------------------------------------------------

// A network access code has 12 bits. F7E and F7F tell a receiver or a repeater to accept
// any code: they are no code to transmit with, so a selected channel that sends one (or a
// value beyond 12 bits, which the radio cannot send either) is marked as an error.
constexpr std::uint32_t kNacMask = 0xFFF;
constexpr std::uint32_t kNacAnyReceive = 0xF7E, kNacAnyRepeat = 0xF7F;

bool TransmittableNac(std::uint32_t nac) {
    return nac <= kNacMask && nac != kNacAnyReceive && nac != kNacAnyRepeat;
}

CellResult NacCode(CellContext& c, cmcCellCapsule& r, std::int32_t transmit) {
    RecordAccessor& record = c.Records();
    const Fld field = transmit ? Fld::NacCh_TxNac : Fld::NacCh_RxNac;
    std::uint32_t value = record.get(field);
    CellResult result = CellResult::None;
    if (editors::EditHexDigits(r, result, value, 3, true)) {
        value &= kNacMask;
        record.set(field, value);
        Store(c, r);
    }
    if (transmit && record.get(Fld::NacCh_Sel) != 0 && !TransmittableNac(value)) r.markFlags |= kMarkFlagError;
    return result;
}

CellResult NacSelected(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    CellResult result = CellResult::None;
    cells::EditRecordChoice(c, r, result, Fld::NacCh_Sel, "GI_Sheet_Sel_Misc_OnOff2_I", 1);
    return result;
}

constexpr CellRow kRows[] = {
    Row("CL_Digi_Ind_Id_Hex", IdHex, kInventory),
    Row("CL_Digi_Ind_Id_Dec", IdDecimal, kInventory),
    Row("CL_Digi_Ind_Id_Name", Name),
    Row("CL_Digi_Grp_Id_Hex", IdHex, kTalkGroups),
    Row("CL_Digi_Grp_Id_Dec", IdDecimal, kTalkGroups),
    Row("CL_Digi_Grp_Id_Name", Name),
    AddressRow("CL_Digi_Config_Unit_Hex", OwnUnitHex, kOwnUnit, 3),
    AddressRow("CL_Digi_Config_Unit_Dec", OwnUnitDecimal, kOwnUnit, 3),
    Row("CL_Digi_NacCh_RxNac", NacCode, 0),
    Row("CL_Digi_NacCh_TxNac", NacCode, 1),
    Row("CL_Digi_NacCh_Sel", NacSelected),
};

}  // namespace

std::span<const CellRow> DigitalCellRows() {
    return kRows;
}
