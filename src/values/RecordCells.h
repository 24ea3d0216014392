#pragma once
// What the cells on the rows of a table share: the row's record, which the value routine
// loaded for the cell's category and number, stored back after an edit; and a field of it
// chosen from a selection list.

#include "overlay/CellNames.h"
#include "values/CellContext.h"
#include "values/Editors.h"
#include "values/cmcCellCapsule.h"

#include <cstdint>
#include <string_view>

namespace cells {

// The list kind of the plain selection lists (GI_Sheet_Sel_...).
inline constexpr CellId kFlex0 = CellIdOf("Flex0");

inline std::int32_t RowOf(const cmcCellCapsule& r) { return r.cell->key.index; }

// Writes the loaded record back where it came from.
inline void StoreRow(CellContext& c, const cmcCellCapsule& r) { c.Records().store(0, RowOf(r)); }

// A field of the row's record shown and chosen through `list`; the record is stored when
// the choice changed. `mask` keeps the value to the field's width (a one-bit switch: 1).
inline bool EditRecordChoice(CellContext& c, cmcCellCapsule& r, CellResult& result, Fld field, std::string_view list,
                             std::uint32_t mask = 0xFFFFFFFFu) {
    RecordAccessor& record = c.Records();
    auto value = static_cast<std::int32_t>(record.get(field) & mask);
    if (!editors::EditChoice(r, result, value, list, kFlex0)) return false;
    record.set(field, static_cast<std::uint32_t>(value) & mask);
    StoreRow(c, r);
    return true;
}

}  // namespace cells
