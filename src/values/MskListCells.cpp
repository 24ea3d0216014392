// The MSK lists of BIIS PMR models: the own ID groups (other than their address, which the
// address plan checks), the call list, the status messages and the short texts. Each cell
// takes one field of the record the routine loaded for its row, hands it to one editor and
// stores the record when the editor reports a change. The cells are one table.

#include "overlay/cmcCellObj.h"
#include "values/CellDispatch.h"
#include "values/Editors.h"
#include "values/RecordCells.h"
#include "values/ProcessCell.h"

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

constexpr std::array<ListCell, 21> kCells = {{
    {Edit::Text},                                  // 0 ID group name
    {Edit::Number, Fld::Msk_IdGroup_Alert, 15},    // 1
    {Edit::OnOff, Fld::Msk_IdGroup_Bell},          // 2
    {Edit::Number, Fld::Msk_IdGroup_SFunc, 255},   // 3
    {Edit::Address, Fld::Msk_CallList_Adr},        // 4
    {Edit::Number, Fld::Msk_CallList_Digit, 4},    // 5 digits of the address dialled
    {Edit::Text},                                  // 6 call list name
    {Edit::OnOff, Fld::Msk_CallList_Update},       // 7
    {Edit::Number, Fld::Msk_CallList_Sel, 3},      // 8
    {Edit::OnOff, Fld::Msk_Status_Beep},           // 9
    {Edit::OnOff, Fld::Msk_Status_Horn},           // 10
    {Edit::OnOff, Fld::Msk_Status_Auto},           // 11
    {Edit::Number, Fld::Msk_Status_SFunc, 255},    // 12
    {Edit::OnOff, Fld::Msk_Status_Rriority},       // 13
    {Edit::Number, Fld::Msk_Status_Selection, 3},  // 14
    {Edit::Text},                                  // 15 status text received
    {Edit::Text2},                                 // 16 status text sent
    {Edit::Text},                                  // 17 short text
    {Edit::OnOff, Fld::Msk_ShortTxt_Msg2},         // 18
    {Edit::OnOff, Fld::Msk_ShortTxt_Msg3},         // 19
    {Edit::Number, Fld::Msk_ShortTxt_Sel, 3},      // 20
}};

CellResult Cell(CellContext& c, cmcCellCapsule& r, std::int32_t which) {
    return ListField(c, r, kCells[static_cast<std::size_t>(which)]);
}

constexpr CellRow kRows[] = {
    Row("CL_Msk_IdGroup_Text", Cell, 0),           Row("CL_Msk_IdGroup_Alert", Cell, 1),
    Row("CL_Msk_IdGroup_Bell", Cell, 2),           Row("CL_Msk_IdGroup_SFunc", Cell, 3),
    Row("CL_Msk_CallList_Adr", Cell, 4),           Row("CL_Msk_CallList_Digit", Cell, 5),
    Row("CL_Msk_CallList_Text", Cell, 6),          Row("CL_Msk_CallList_Update", Cell, 7),
    Row("CL_Msk_CallList_Sel", Cell, 8),           Row("CL_Msk_Msg_Status_Beep", Cell, 9),
    Row("CL_Msk_Msg_Status_Horn", Cell, 10),       Row("CL_Msk_Msg_Status_Auto", Cell, 11),
    Row("CL_Msk_Msg_Status_SFunc", Cell, 12),      Row("CL_Msk_Msg_Status_Rriority", Cell, 13),
    Row("CL_Msk_Msg_Status_Selection", Cell, 14),  Row("CL_Msk_Msg_Status_Text_Rx", Cell, 15),
    Row("CL_Msk_Msg_Status_Text_Tx", Cell, 16),    Row("CL_Msk_Msg_ShortTxtTxMsg_1", Cell, 17),
    Row("CL_Msk_Msg_ShortTxtTxMsg_2", Cell, 18),   Row("CL_Msk_Msg_ShortTxtTxMsg_3", Cell, 19),
    Row("CL_Msk_Msg_ShortTxtTxMsg_Sel", Cell, 20),
};

}  // namespace

std::span<const CellRow> MskListCellRows() {
    return kRows;
}
