// The MSK lists of BIIS PMR models: the own ID groups (other than their address, which the
// address plan checks), the call list, the status messages and the short texts. Each cell
// takes one field of the record the routine loaded for its row, hands it to one editor and
// stores the record when the editor reports a change. The cells are one table.

#include "overlay/cmcCellObj.h"
#include "values/CellDispatch.h"
#include "values/Editors.h"
#include "values/ProcessCell.h"
#include "values/RecordCells.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kOnOff = "GI_Sheet_Sel_Misc_OnOff";
constexpr std::size_t kTextLength = 12;

constexpr auto Store = cells::StoreRow;

enum class Edit : std::uint8_t {
    OnOff,    // a one-bit field
    Number,   // min..max, stepping round
    Text,     // the record's first text slot
    Text2,    // the record's second text slot
    Address,  // an MSK address held as 4 BCD digits; none shows nothing
};

struct ListCell {
    std::string_view name;  // the cell identifier
    Edit edit;
    Fld field = Fld::Text;
    std::int32_t max = 0;
};

// The call list holds the addresses of other radios: MSK addresses are 12 bits.
constexpr std::int32_t kHighestAddress = 4095;
constexpr std::uint32_t kNoAddress = 0xFFFF;

CellResult TextSlot(CellContext& c, cmcCellCapsule& r, std::string& slot) {
    CellResult result = CellResult::None;
    if (editors::EditName(r, result, slot, kTextLength)) Store(c, r);
    return result;
}

CellResult ListField(CellContext& c, cmcCellCapsule& r, const ListCell& cell) {
    RecordAccessor& record = c.Records();
    CellResult result = CellResult::None;
    switch (cell.edit) {
        case Edit::Text:
            return TextSlot(c, r, record.name);
        case Edit::Text2:
            return TextSlot(c, r, record.text2);
        case Edit::OnOff:
            cells::EditRecordChoice(c, r, result, cell.field, kOnOff, 1);
            return result;
        case Edit::Number: {
            auto value = static_cast<std::int32_t>(record.get(cell.field));
            if (editors::EditSetting(r, result, value, {.min = 0, .max = cell.max})) {
                record.set(cell.field, static_cast<std::uint32_t>(value));
                Store(c, r);
            }
            return result;
        }
        case Edit::Address: {
            const bool none = record.get(cell.field) == kNoAddress;
            auto value = none ? 0 : static_cast<std::int32_t>(record.get(cell.field));
            if (editors::EditPaddedNumber(r, result, value, 4, 0, kHighestAddress)) {
                record.set(cell.field, static_cast<std::uint32_t>(value));
                Store(c, r);
            } else if (none) {
                r.displayText.clear();
            }
            return result;
        }
    }
    return result;
}

constexpr auto kCells = std::to_array<ListCell>({
    {"CL_Msk_IdGroup_Text", Edit::Text},  // ID group name
    {"CL_Msk_IdGroup_Alert", Edit::Number, Fld::Msk_IdGroup_Alert, 15},
    {"CL_Msk_IdGroup_Bell", Edit::OnOff, Fld::Msk_IdGroup_Bell},
    {"CL_Msk_IdGroup_SFunc", Edit::Number, Fld::Msk_IdGroup_SFunc, 255},
    {"CL_Msk_CallList_Adr", Edit::Address, Fld::Msk_CallList_Adr},
    {"CL_Msk_CallList_Digit", Edit::Number, Fld::Msk_CallList_Digit, 4},  // digits of the address dialled
    {"CL_Msk_CallList_Text", Edit::Text},                                 // call list name
    {"CL_Msk_CallList_Update", Edit::OnOff, Fld::Msk_CallList_Update},
    {"CL_Msk_CallList_Sel", Edit::Number, Fld::Msk_CallList_Sel, 3},
    {"CL_Msk_Msg_Status_Beep", Edit::OnOff, Fld::Msk_Status_Beep},
    {"CL_Msk_Msg_Status_Horn", Edit::OnOff, Fld::Msk_Status_Horn},
    {"CL_Msk_Msg_Status_Auto", Edit::OnOff, Fld::Msk_Status_Auto},
    {"CL_Msk_Msg_Status_SFunc", Edit::Number, Fld::Msk_Status_SFunc, 255},
    {"CL_Msk_Msg_Status_Rriority", Edit::OnOff, Fld::Msk_Status_Rriority},
    {"CL_Msk_Msg_Status_Selection", Edit::Number, Fld::Msk_Status_Selection, 3},
    {"CL_Msk_Msg_Status_Text_Rx", Edit::Text},   // status text received
    {"CL_Msk_Msg_Status_Text_Tx", Edit::Text2},  // status text sent
    {"CL_Msk_Msg_ShortTxtTxMsg_1", Edit::Text},  // short text
    {"CL_Msk_Msg_ShortTxtTxMsg_2", Edit::OnOff, Fld::Msk_ShortTxt_Msg2},
    {"CL_Msk_Msg_ShortTxtTxMsg_3", Edit::OnOff, Fld::Msk_ShortTxt_Msg3},
    {"CL_Msk_Msg_ShortTxtTxMsg_Sel", Edit::Number, Fld::Msk_ShortTxt_Sel, 3},
});

CellResult Cell(CellContext& c, cmcCellCapsule& r, std::int32_t which) {
    return ListField(c, r, kCells[static_cast<std::size_t>(which)]);
}

constexpr auto kRows = IndexedRows(kCells, Cell);

}  // namespace

std::span<const CellRow> MskListCellRows() {
    return kRows;
}
