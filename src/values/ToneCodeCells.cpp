// The code tables of the sequential-tone signalling of LMR models: five-tone receive and
// transmit codes, the options of the two-tone codes (their receive tones, which set the
// decoder windows, are signalling cells) and the two-tone transmit tone pairs. Each cell
// takes one field of the record the routine loaded for its row, hands it to one editor and
// stores the record when the editor reports a change. The cells are one table; their
// common settings are rows of the settings table.

#include "overlay/cmcCellObj.h"
#include "values/CellDispatch.h"
#include "values/Editors.h"
#include "values/ProcessCell.h"
#include "values/RecordCells.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kOnOff = "GI_Sheet_Sel_Misc_OnOff";
constexpr std::size_t kTextLength = 12;
constexpr int kCodeDigits = 8;  // both code tables hold up to eight tone digits

constexpr auto Store = cells::StoreRow;
using cells::RowOf;

enum class Edit : std::uint8_t {
    OnOff,   // a one-bit field
    Number,  // 0..max, stepping round
    Text,    // the record's name
    RxCode,  // receive code: one digit per byte of the second slot, count in `field`
    TxCode,  // transmit code: digits packed two per byte (high nibble first), count in `field`
    Tone,    // a tone frequency in 0.1 Hz, 250.0 .. 3300.0 Hz
};

struct CodeCell {
    std::string_view name;  // the cell identifier
    int kind;               // the record kind of the cell's category: its rows outside the kind show "----"
    Edit edit;
    Fld field = Fld::Text;
    std::int32_t max = 0;
};

CellResult Code(CellContext& c, cmcCellCapsule& r, const CodeCell& cell) {
    RecordAccessor& record = c.Records();
    std::array<std::uint8_t, kCodeDigits> digits{};
    if (cell.edit == Edit::RxCode) {
        std::copy_n(record.text2.begin(), std::min(record.text2.size(), digits.size()), digits.begin());
    } else {
        for (std::size_t i = 0; i < digits.size() && i / 2 < record.text2.size(); ++i) {
            const auto byte = static_cast<std::uint8_t>(record.text2[i / 2]);
            digits[i] = i % 2 == 0 ? byte >> 4 : byte & 0x0F;
        }
    }
    // A count beyond the table's digits is an erased record (all ones): it holds no code.
    const std::uint32_t count = record.get(cell.field);
    auto length = static_cast<std::uint8_t>(count > kCodeDigits ? 0 : count);
    CellResult result = CellResult::None;
    if (!editors::EditFiveTone(r, result, digits, length)) return result;
    if (cell.edit == Edit::RxCode) {
        record.text2.assign(digits.begin(), digits.end());
    } else {
        std::string packed(kCodeDigits / 2, '\0');
        for (std::size_t i = 0; i < packed.size(); ++i)
            packed[i] = static_cast<char>(digits[2 * i] << 4 | digits[2 * i + 1]);
        record.text2 = packed;
    }
    record.set(cell.field, length);
    Store(c, r);
    return result;
}

CellResult Field(CellContext& c, cmcCellCapsule& r, const CodeCell& cell) {
    const std::int32_t row = RowOf(r);
    if (row < RecordAccessor::firstNumber(cell.kind) || row > RecordAccessor::lastNumber(cell.kind)) {
        r.displayText = "----";
        return CellResult::None;
    }
    RecordAccessor& record = c.Records();
    CellResult result = CellResult::None;
    switch (cell.edit) {
        case Edit::Text:
            if (editors::EditName(r, result, record.name, kTextLength)) Store(c, r);
            return result;
        case Edit::OnOff:
            cells::EditRecordChoice(c, r, result, cell.field, kOnOff, 1);
            return result;
        case Edit::Number: {
            auto value = static_cast<std::int32_t>(std::min<std::uint32_t>(record.get(cell.field), 0x7FFFFFFF));
            if (editors::EditSetting(r, result, value, {.min = 0, .max = cell.max})) {
                record.set(cell.field, static_cast<std::uint32_t>(value));
                Store(c, r);
            }
            return result;
        }
        case Edit::RxCode:
        case Edit::TxCode:
            return Code(c, r, cell);
        case Edit::Tone: {
            auto value = static_cast<std::int32_t>(record.get(cell.field));
            if (editors::EditScaled(r, result, value, {.decimals = 1, .kept = 1, .min = 250.0, .max = 3300.0})) {
                record.set(cell.field, static_cast<std::uint32_t>(value));
                Store(c, r);
            }
            return result;
        }
    }
    return result;
}

constexpr int kRx = 9, kTx = 10, k2T = 12, k2TTx = 13;

constexpr auto kCells = std::to_array<CodeCell>({
    // Five-tone receive codes (rows 1..8).
    {"CL_5TRx_RxCode", kRx, Edit::RxCode, Fld::FiveTRx_Digits},
    {"CL_5TRx_Text", kRx, Edit::Text},
    {"CL_5TRx_IdDec", kRx, Edit::OnOff, Fld::FiveTRx_IdDec},
    {"CL_5TRx_Bell", kRx, Edit::OnOff, Fld::FiveTRx_Bell},
    {"CL_5TRx_EmerCancel", kRx, Edit::OnOff, Fld::FiveTRx_EmerCancel},
    {"CL_5TRx_Abc", kRx, Edit::OnOff, Fld::FiveTRx_Abc},
    {"CL_5TRx_Exo", kRx, Edit::OnOff, Fld::FiveTRx_Exo},
    {"CL_5TRx_Beep", kRx, Edit::OnOff, Fld::FiveTRx_Beep},
    {"CL_5TRx_AutoTx", kRx, Edit::OnOff, Fld::FiveTRx_AutoTx},
    {"CL_5TRx_Aud", kRx, Edit::OnOff, Fld::FiveTRx_Aud},
    {"CL_5TRx_Stun", kRx, Edit::OnOff, Fld::FiveTRx_Stun},
    {"CL_5TRx_Scan", kRx, Edit::OnOff, Fld::FiveTRx_Scan},
    {"CL_5TRx_Sfunc", kRx, Edit::Number, Fld::FiveTRx_Sfunc, 15},
    {"CL_5TRx_CompareDigit", kRx, Edit::Number, Fld::FiveTRx_CompareDigit, kCodeDigits},  // digits compared
    {"CL_5TRx_CompareTone", kRx, Edit::Number, Fld::FiveTRx_CompareTone, 3},
    // Five-tone transmit codes (rows 0..31).
    {"CL_5TTx_TxCode", kTx, Edit::TxCode, Fld::FiveTTx_InputDigit},
    {"CL_5TTx_InputDigit", kTx, Edit::Number, Fld::FiveTTx_InputDigit, kCodeDigits},  // the code's digit count
    {"CL_5TTx_Text", kTx, Edit::Text},
    {"CL_5TTx_Update", kTx, Edit::OnOff, Fld::FiveTTx_Update},
    {"CL_5TTx_AbcDec", kTx, Edit::OnOff, Fld::FiveTTx_AbcDec},
    {"CL_5TTx_AbcAud", kTx, Edit::OnOff, Fld::FiveTTx_AbcAud},
    {"CL_5TTx_Sel", kTx, Edit::Number, Fld::FiveTTx_Sel, 3},
    // Two-tone codes (rows 1..10): the options beside the receive tones.
    {"CL_2T_GroupCall", k2T, Edit::OnOff, Fld::TwoT_GroupCall},
    {"CL_2T_Text", k2T, Edit::Text},
    {"CL_2T_Bell", k2T, Edit::OnOff, Fld::TwoT_Bell},
    {"CL_2T_ANS", k2T, Edit::OnOff, Fld::TwoT_ANS},
    {"CL_2T_EXO", k2T, Edit::OnOff, Fld::TwoT_EXO},
    {"CL_2T_Beep", k2T, Edit::OnOff, Fld::TwoT_Beep},
    {"CL_2T_AutoTx", k2T, Edit::OnOff, Fld::TwoT_AutoTx},
    {"CL_2T_Stun", k2T, Edit::OnOff, Fld::TwoT_Stun},
    {"CL_2T_Scan", k2T, Edit::OnOff, Fld::TwoT_Scan},
    {"CL_2T_Sfunc", k2T, Edit::Number, Fld::TwoT_Sfunc, 15},
    {"CL_2T_Code_Type", k2T, Edit::Number, Fld::TwoT_Code_Type, 3},
    // Two-tone transmit tone pairs (rows 0..9).
    {"CL_2TTx_Freq_1st", k2TTx, Edit::Tone, Fld::TwoTTx_Freq_1st},
    {"CL_2TTx_Freq_2nd", k2TTx, Edit::Tone, Fld::TwoTTx_Freq_2nd},
});

CellResult Cell(CellContext& c, cmcCellCapsule& r, std::int32_t which) {
    return Field(c, r, kCells[static_cast<std::size_t>(which)]);
}

constexpr auto kRows = IndexedRows(kCells, Cell);

}  // namespace

std::span<const CellRow> ToneCodeCellRows() {
    return kRows;
}
