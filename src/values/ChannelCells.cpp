// The cells of a bank's channels: each shows one field of the channel record the routine
// loaded for its row, edits it with one editor and stores the record when it changed.
// The choice cells are one table: field, selection list and the rules that mark or grey
// a value on a channel that does not use it.

#include "overlay/cmcCellObj.h"
#include "values/BankCells.h"
#include "values/CellDispatch.h"
#include "values/ChannelMarks.h"
#include "values/Editors.h"
#include "values/KeyCodes.h"
#include "values/RecordCells.h"

#include <array>

namespace {

constexpr std::uint32_t kNotApplicable = 0xC0C0C0;  // light grey: the field does not apply to this channel

enum class Form : std::uint32_t { Analog = 0, MixedAnalog = 1, MixedDigital = 2, Digital = 3 };

// What the row's channel is, as the cells' rules need it.
struct Channel {
    bool digital;      // no analog signalling on this channel
    bool biisDigital;  // a digital channel of a BIIS PMR model
    bool txInhibit;
};

Channel ChannelOf(CellContext& c) {
    const RecordAccessor& r = c.Records();
    const int kind = c.ModelKind() & 3;
    const bool biis = kind == 3;
    // A BIIS PMR record says digital in bit 0 of its type field; the others in their form.
    const bool digital =
        biis ? (r.get(Fld::Mch_Form) & 1) != 0 : r.get(Fld::Mch_Form) == static_cast<std::uint32_t>(Form::Digital);
    return {digital, biis && digital, r.get(Fld::Mch_TxInh) != 0};
}

constexpr auto Store = cells::StoreRow;
using cells::RowOf;

// --- Choice cells --------------------------------------------------------------------------

enum class Rule {
    None,
    GreyWhenDigital,
    GreyWhenAnalog,
    GreyWhenScramblerOff,
    Moni,
    Sel,
    ErrorWhenSet,
    WarnWhenClear,
};

struct ChoiceCell {
    std::string_view name;  // the cell identifier
    Fld field;
    // The list, by channel layout: LMR, LMR P25, PMR, BIIS PMR (one name serves all when
    // the others are empty).
    std::array<std::string_view, 4> lists;
    Rule rule = Rule::None;
    bool option = false;  // a channel option of the BIIS PMR rules: a change sets the image flag
};

constexpr std::string_view kOnOff = "GI_Sheet_Sel_Misc_OnOff";
constexpr std::array<std::string_view, 4> kLockoutLists = {
    "GI_Sheet_Sel_Mch_Lockout_Lmr", "GI_Sheet_Sel_Mch_Lockout_LmrP25", "GI_Sheet_Sel_Mch_Lockout_Pmr",
    "GI_Sheet_Sel_Mch_Lockout_Pmr"};

constexpr auto kChoiceCells = std::to_array<ChoiceCell>({
    {"CL_Mch_TxInh", Fld::Mch_TxInh, {"GI_Sheet_Sel_Mch_CH_TxInh"}},
    {"CL_Mch_Nar", Fld::Mch_Nar, {"GI_Sheet_Sel_Mch_Nar"}, Rule::GreyWhenDigital},
    {"CL_Mch_RfPo", Fld::Mch_RfPo, {"GI_Sheet_Sel_Mch_RfPwr"}},
    {"CL_Mch_Lockout", Fld::Mch_Lockout, kLockoutLists},
    {"CL_Mch_Lockout_Pmr", Fld::Mch_Lockout, kLockoutLists},
    {"CL_Mch_Moni", Fld::Mch_Moni, {"GI_Sheet_Sel_Mch_Moni"}, Rule::Moni, true},
    {"CL_Mch_Sel", Fld::Mch_Sel, {"GI_Sheet_Sel_Mch_Sel"}, Rule::Sel, true},
    {"CL_Mch_Call", Fld::Mch_Call, {"GI_Sheet_Sel_Mch_Call"}, Rule::ErrorWhenSet, true},
    {"CL_Mch_PTT", Fld::Mch_PTT, {"GI_Sheet_Sel_Mch_Ptt"}, Rule::ErrorWhenSet, true},
    {"CL_Mch_CH_Mute", Fld::Mch_CH_Mute, {"GI_Sheet_Sel_Mch_ChMute"}, Rule::WarnWhenClear, true},
    {"CL_Mch_Tot", Fld::Mch_Tot, {kOnOff}},
    {"CL_Mch_PwrSave", Fld::Mch_PwrSave, {kOnOff}},
    {"CL_Mch_Compander", Fld::Mch_Compander, {kOnOff}, Rule::GreyWhenDigital},
    {"CL_Mch_Fast_Mute", Fld::Mch_Fast_Mute, {kOnOff}, Rule::GreyWhenDigital},
    {"CL_Mch_Dig_Sig", Fld::Mch_Dig_Sig, {kOnOff}, Rule::GreyWhenAnalog},
    {"CL_Mch_Form", Fld::Mch_Form, {"GI_Sheet_Sel_Mch_Form"}},
    {"CL_Mch_Scrm_On", Fld::Mch_Scrm_On, {"GI_Sheet_Sel_Mch_ScrmOn"}, Rule::GreyWhenDigital},
    {"CL_Mch_Inh", Fld::Mch_Inh, {"GI_Sheet_Sel_Mch_CH_Inh"}},
    {"CL_Mch_AutoChScan", Fld::Mch_AutoChScan, {kOnOff}},
    {"CL_Mch_AutoReset",
     Fld::Mch_AutoReset,
     {kOnOff, kOnOff, "GI_Sheet_Sel_Mch_AutoReset_Pmr", "GI_Sheet_Sel_Mch_AutoReset_Pmr"}},
    {"CL_Mch_2Tone", Fld::Mch_2Tone, {"GI_Sheet_Sel_Mch_2Tone"}, Rule::GreyWhenDigital},
    {"CL_Mch_Log", Fld::Mch_Log, {"GI_Sheet_Sel_Mch_Log"}},
    {"CL_Mch_Log_Pmr", Fld::Mch_Log, {"GI_Sheet_Sel_Mch_Log"}},
    {"CL_Mch_Scan_Inc", Fld::Mch_Scan_Inc, {kOnOff}},
    {"CL_Mch_Scrm_Type", Fld::Mch_Scrm_Type, {"GI_Sheet_Sel_Mch_ScrmType"}, Rule::GreyWhenScramblerOff},
    {"CL_Mch_SQL_Type", Fld::Mch_SQL_Type, {"GI_Sheet_Sel_Mch_SqlType"}, Rule::GreyWhenDigital},
    {"CL_Mch_Pos", Fld::Mch_Pos, {kOnOff}},
    {"CL_Mch_RxCNo", Fld::Mch_RxCNo, {"GI_Sheet_Sel_Mch_RxCNo"}, Rule::GreyWhenDigital},
    {"CL_Mch_RxCNo2", Fld::Mch_RxCNo2, {"GI_Sheet_Sel_Mch_RxCNo"}, Rule::GreyWhenDigital},
    {"CL_Mch_Msk_Sig", Fld::Mch_Msk_Sig, {kOnOff}, Rule::GreyWhenDigital},
    {"CL_Mch_Msk_Log", Fld::Mch_Msk_Log, {kOnOff}, Rule::GreyWhenDigital},
    {"CL_Mch_Msk_SendStatus", Fld::Mch_Msk_SendStatus, {"GI_Sheet_Sel_Mch_MskStatus"}, Rule::GreyWhenDigital},
    {"CL_Mch_Msk_Rpt", Fld::Mch_Msk_Rpt, {kOnOff}, Rule::GreyWhenDigital},
    {"CL_Mch_Msk_Stn", Fld::Mch_Msk_Stn, {kOnOff}, Rule::GreyWhenDigital},
    {"CL_Mch_Msk_RxCNo", Fld::Mch_Msk_RxCNo, {"GI_Sheet_Sel_Mch_MskRxCNo"}, Rule::GreyWhenDigital},
});

// Whether a field is drawn grey on this channel.
bool Greyed(Rule rule, const Channel& ch, const RecordAccessor& record) {
    switch (rule) {
        case Rule::GreyWhenDigital:
            return ch.digital;
        case Rule::GreyWhenAnalog:
            return !ch.digital;
        case Rule::GreyWhenScramblerOff:
            return ch.digital || record.get(Fld::Mch_Scrm_On) == 0;
        default:
            return false;
    }
}

// The marks a value gets on a digital channel of a BIIS PMR model.
std::uint8_t MarksOf(Rule rule, std::uint32_t value) {
    switch (rule) {
        case Rule::Moni:
            return value == 6 || value == 7 ? 0 : kMarkFlagWarning;
        case Rule::Sel:
            return value == 1 ? 0 : kMarkFlagError;
        case Rule::ErrorWhenSet:
            return value != 0 ? kMarkFlagError : 0;
        case Rule::WarnWhenClear:
            return value == 0 ? kMarkFlagWarning : 0;
        default:
            return 0;
    }
}

CellResult ChoiceField(CellContext& c, cmcCellCapsule& r, std::int32_t index) {
    const ChoiceCell& cell = kChoiceCells[index];
    RecordAccessor& record = c.Records();
    const int layout = c.ModelKind() & 3;
    const std::string_view list = cell.lists[static_cast<std::size_t>(layout)].empty()
                                      ? cell.lists[0]
                                      : cell.lists[static_cast<std::size_t>(layout)];
    CellResult result = CellResult::None;
    const std::uint32_t scramblerType = record.get(Fld::Mch_Scrm_Type);
    auto value = static_cast<std::int32_t>(record.get(cell.field));
    if (editors::EditChoice(r, result, value, list, cells::kFlex0)) {
        record.set(cell.field, static_cast<std::uint32_t>(value));
        // The scrambler code counts from 1 under type 2 only in what it shows: a new type
        // keeps the code the radio holds.
        if (cell.field == Fld::Mch_Scrm_Type) {
            const std::uint32_t code = record.get(Fld::Mch_Scrm_Code);
            const bool was2 = scramblerType == 2, is2 = static_cast<std::uint32_t>(value) == 2;
            if (was2 != is2) record.set(Fld::Mch_Scrm_Code, is2 ? code + 1 : code - 1);
        }
        Store(c, r);
        if (cell.option) r.changeFlags |= kChangeImage;
    }
    const Channel ch = ChannelOf(c);
    if (ch.biisDigital) r.markFlags |= MarksOf(cell.rule, static_cast<std::uint32_t>(value));
    if (r.mode == CellMode::Draw && Greyed(cell.rule, ch, record)) r.fontColour = kNotApplicable;
    return result;
}

// --- The other channel cells ---------------------------------------------------------------

// Whether the row lies past the sheet's records (the row that takes a new channel): its
// number is then the first channel of the next bank, which this row must never edit.
bool PastTheRecords(const cmcCellCapsule& r) {
    const std::optional<RecordRange> rows = r.sheet ? r.sheet->RecordRows() : std::nullopt;
    return rows && r.cell->key.index >= rows->first + rows->count;
}

// The keys that, on the row after a bank's last channel, ask for a new channel: the ones
// that start a frequency.
bool StartsAFrequency(const cmcCellCapsule& r) {
    if (r.mode != CellMode::Action) return false;
    const std::int32_t key = r.key;
    return key == cellkey::kSpace || key == cellkey::kBackspace || key == '.' || key == cellkey::kEnter ||
           (key >= '0' && key <= '9');
}

// The bank takes a channel for the row after its last; the row's record is then the new,
// blank channel. False when the row takes none (another row, another key, no room).
bool TakeNewChannel(CellContext& c, cmcCellCapsule& r) {
    const RecordRange rows = *r.sheet->RecordRows();
    const std::int32_t index = r.cell->key.index;
    const RecordAccessor banks(c.Image());
    // Only the one row right after the bank's last channel, and only while the sheet shows
    // the bank as the image holds it.
    if (rows.bank < 0 || !StartsAFrequency(r) || index != rows.first + rows.count ||
        index != banks.bankFirstChannel(rows.bank) + banks.bankCount(rows.bank)) {
        return false;
    }
    if (!AppendChannel(c, rows.bank)) return false;
    c.Records().load(RecordKind(r.cell->key.category, c.ModelKind()), index);
    r.changeFlags |= kChangeBankCount | kChangeImage;
    return true;
}

CellResult Frequency(CellContext& c, cmcCellCapsule& r, std::int32_t transmit) {
    if (PastTheRecords(r) && (transmit || !TakeNewChannel(c, r))) return CellResult::None;
    CellResult result = CellResult::None;
    if (editors::EditFrequency(r, result, c.Records(), transmit != 0)) Store(c, r);
    return result;
}

CellResult Tone(CellContext& c, cmcCellCapsule& r, std::int32_t transmit) {
    CellResult result = CellResult::None;
    if (editors::EditTone(r, result, c.Records(), transmit != 0)) Store(c, r);
    if (r.mode == CellMode::Draw && (ChannelOf(c).digital || (transmit && ChannelOf(c).txInhibit))) {
        r.fontColour = kNotApplicable;
    }
    return result;
}

// The channel's name: 12 characters. Characters outside the printable ASCII range show as
// spaces here; the radio's own character set is the character editor's.
CellResult Name(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    CellResult result = CellResult::None;
    if (editors::EditName(r, result, c.Records().name, 12)) Store(c, r);
    return result;
}

// The scan lists the channel belongs to: bits 0..10, one character each.
CellResult ScanLists(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    RecordAccessor& record = c.Records();
    std::uint32_t bits = record.get(Fld::Mch_Scan);
    CellResult result = CellResult::None;
    if (editors::EditBits(r, result, bits, 0, 10)) {
        record.set(Fld::Mch_Scan, bits);
        Store(c, r);
    }
    return result;
}

// Network access codes: three hexadecimal digits; they mean nothing on an analog channel.
CellResult Nac(CellContext& c, cmcCellCapsule& r, std::int32_t transmit) {
    RecordAccessor& record = c.Records();
    const Fld field = transmit ? Fld::Mch_TxNac : Fld::Mch_RxNac;
    std::uint32_t value = record.get(field);
    CellResult result = CellResult::None;
    if (editors::EditHexDigits(r, result, value, 3, true)) {
        record.set(field, value & 0xFFF);
        Store(c, r);
    }
    if (r.mode == CellMode::Draw && record.get(Fld::Mch_Form) == static_cast<std::uint32_t>(Form::Analog)) {
        r.fontColour = kNotApplicable;
    }
    return result;
}

// The row's number from 1: within the sheet's records when it has them, else the record's.
CellResult RowNumber(CellContext&, cmcCellCapsule& r, std::int32_t) {
    const std::optional<RecordRange> rows = r.sheet ? r.sheet->RecordRows() : std::nullopt;
    const std::int32_t n = r.cell->key.index - (rows ? rows->first : 0);
    r.displayText = std::to_string(n + 1);
    return CellResult::None;
}

// The scrambler code: 0..255 as the radio holds it, shown from 1 under scrambler type 2.
CellResult ScramblerCode(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    RecordAccessor& record = c.Records();
    const bool fromOne = record.get(Fld::Mch_Scrm_Type) == 2;
    auto value = static_cast<std::int32_t>(record.get(Fld::Mch_Scrm_Code));
    CellResult result = CellResult::None;
    const editors::SettingSpec spec{.min = fromOne ? 1 : 0, .max = fromOne ? 256 : 255, .wrap = false};
    if (editors::EditSetting(r, result, value, spec) && r.mode != CellMode::Draw) {
        record.set(Fld::Mch_Scrm_Code, static_cast<std::uint32_t>(value));
        Store(c, r);
    }
    if (r.mode == CellMode::Draw && Greyed(Rule::GreyWhenScramblerOff, ChannelOf(c), record)) {
        r.fontColour = kNotApplicable;
    }
    return result;
}

// The three per-channel bytes of the LMR layouts, each with two readings: the conventional
// one (_C: the byte as a number, 0..255) for a channel of a conventional bank, and the LTR
// one (_L: the home repeater 1..20, the station 0..255, the group ID 1..254) for a channel
// of a bank that trunks as LTR. The reading that does not apply to the channel's bank is grey.
struct TrunkByte {
    Fld field;
    std::int32_t ltrMin, ltrMax;
};
constexpr std::array<TrunkByte, 3> kTrunkBytes = {{
    {Fld::Mch_Rpt, 1, 20},
    {Fld::Mch_Stn, 0, 255},
    {Fld::Mch_Id, 1, 254},
}};

// data = 2 * byte + (1 for the LTR reading).
CellResult TrunkingByte(CellContext& c, cmcCellCapsule& r, std::int32_t data) {
    const TrunkByte& byte = kTrunkBytes[static_cast<std::size_t>(data / 2)];
    const bool ltr = (data & 1) != 0;
    RecordAccessor& record = c.Records();
    auto value = static_cast<std::int32_t>(record.get(byte.field));
    CellResult result = CellResult::None;
    const editors::SettingSpec spec{.min = ltr ? byte.ltrMin : 0, .max = ltr ? byte.ltrMax : 255, .wrap = false};
    // A byte outside the LTR range is shown at its nearest end, but written only by an edit.
    if (editors::EditSetting(r, result, value, spec) && r.mode != CellMode::Draw) {
        record.set(byte.field, static_cast<std::uint32_t>(value));
        Store(c, r);
    }
    if (r.mode == CellMode::Draw) {
        const bool ltrBank = record.bankBitB(record.bankOfChannel(RowOf(r)));
        if (ltrBank != ltr) r.fontColour = kNotApplicable;
    }
    return result;
}

// The channel's own P25 unit identifier (24 bits of a 32-bit field; the high byte is kept),
// in hexadecimal or decimal. It means nothing on an analog channel.
CellResult UnitId(CellContext& c, cmcCellCapsule& r, std::int32_t decimal) {
    RecordAccessor& record = c.Records();
    const std::uint32_t held = record.get(Fld::Mch_Unit);
    std::uint32_t value = held & 0xFFFFFF;
    CellResult result = CellResult::None;
    if (editors::EditIdentifier(r, result, value, {6, 8, 0xFFFFFF, decimal != 0})) {
        record.set(Fld::Mch_Unit, (held & 0xFF000000u) | (value & 0xFFFFFF));
        Store(c, r);
    }
    if (r.mode == CellMode::Draw && record.get(Fld::Mch_Form) == static_cast<std::uint32_t>(Form::Analog)) {
        r.fontColour = kNotApplicable;
    }
    return result;
}

// The talk group a P25 channel calls: a number 0..255 as the radio holds it (the talk-group
// table has 250 rows). It means nothing on an analog channel.
CellResult TalkGroup(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    RecordAccessor& record = c.Records();
    auto value = static_cast<std::int32_t>(record.get(Fld::Mch_TG_List));
    CellResult result = CellResult::None;
    if (editors::EditSetting(r, result, value, {.min = 0, .max = 255, .wrap = false})) {
        record.set(Fld::Mch_TG_List, static_cast<std::uint32_t>(value));
        Store(c, r);
    }
    if (r.mode == CellMode::Draw && record.get(Fld::Mch_Form) == static_cast<std::uint32_t>(Form::Analog)) {
        r.fontColour = kNotApplicable;
    }
    return result;
}

// The channel's marks: the three channels the radio keeps by number (the words at 0x13B80,
// 0x13B82 and 0x168F4; 0xFFFF names none), shown as "123" with '-' for a mark this channel
// does not carry. Setting a mark moves it here from the channel that had it (the third
// also switches its mark on); taking it off leaves it on no channel. The one cell that
// works on a channel not in use: blank channels may carry marks.
constexpr std::uint8_t kMarks = RecordAccessor::kFlagMarkA | RecordAccessor::kFlagMarkB | RecordAccessor::kFlagMarkC;
struct MarkWord {
    std::uint8_t flag;
    std::int32_t address;
};
constexpr std::array<MarkWord, 3> kMarkWords = {{
    {RecordAccessor::kFlagMarkA, 0x13B80},
    {RecordAccessor::kFlagMarkB, 0x13B82},
    {RecordAccessor::kFlagMarkC, 0x168F4},
}};

CellResult ChannelMarks(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    RecordAccessor& record = c.Records();
    if (PastTheRecords(r)) return CellResult::None;
    const std::uint8_t before = record.flags & kMarks;
    std::uint32_t bits = static_cast<std::uint32_t>(before) << 1;  // marks 1..3
    CellResult result = CellResult::None;
    if (!editors::EditBits(r, result, bits, 1, 3)) return result;
    const auto marks = static_cast<std::uint8_t>((bits >> 1) & kMarks);
    record.flags = static_cast<std::uint8_t>((record.flags & ~kMarks) | marks);
    if (marks & RecordAccessor::kFlagMarkC) record.flags &= static_cast<std::uint8_t>(~RecordAccessor::kFlagOption);
    Store(c, r);
    // The record sets the marks it carries; one it gave up names no channel.
    for (const MarkWord& mark : kMarkWords) {
        if ((before & mark.flag) == 0 || (marks & mark.flag) != 0) continue;
        c.Image().SetByte(mark.address, 0xFF);
        c.Image().SetByte(mark.address + 1, 0xFF);
        r.changeFlags |= kChangeImage;
    }
    return result;
}

// The channel's number in the radio's one table of 512, from 1 (read only).
CellResult ChannelNumber(CellContext&, cmcCellCapsule& r, std::int32_t) {
    if (!PastTheRecords(r)) r.displayText = std::to_string(RowOf(r) + 1);
    return CellResult::None;
}

// The cells with a case of their own.
constexpr CellRow kOwnRows[] = {
    Row("CL_Mch_FreqR", Frequency, 0),
    Row("CL_Mch_FreqT", Frequency, 1),
    Row("CL_Mch_CTone_R", Tone, 0),
    Row("CL_Mch_CTone_T", Tone, 1),
    Row("CL_Mch_Text", Name),
    Row("CL_Mch_Scan", ScanLists),
    Row("CL_Mch_RxNac", Nac, 0),
    Row("CL_Mch_TxNac", Nac, 1),
    Row("CL_Misc_ChNo_1Base", RowNumber),
    Row("CL_Mch_Scrm_Code", ScramblerCode),
    Row("CL_Mch_Rpt_C", TrunkingByte, 0),
    Row("CL_Mch_Rpt_L", TrunkingByte, 1),
    Row("CL_Mch_Stn_C", TrunkingByte, 2),
    Row("CL_Mch_Stn_L", TrunkingByte, 3),
    Row("CL_Mch_Id_C", TrunkingByte, 4),
    Row("CL_Mch_Id_L", TrunkingByte, 5),
    Row("CL_Mch_Unit_Hex", UnitId, 0),
    Row("CL_Mch_Unit_Dec", UnitId, 1),
    Row("CL_Mch_TG_List", TalkGroup),
    Row("CL_Mch_Atr", ChannelMarks),
    Row("CL_Mch_No", ChannelNumber),
};
constexpr auto kRows = JoinRows(IndexedRows(kChoiceCells, ChoiceField), kOwnRows);

}  // namespace

std::span<const CellRow> ChannelCellRows() {
    return kRows;
}

std::uint8_t ChannelValueMarks(CellContext& c, CellId id, std::uint32_t value) {
    if (!ChannelOf(c).biisDigital) return 0;
    for (const CellRow& row : kRows) {
        if (row.first == id && row.handler == ChoiceField) return MarksOf(kChoiceCells[row.data].rule, value);
    }
    return 0;
}
