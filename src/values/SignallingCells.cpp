// The signalling sheets: DTMF memories, the continuous tone pairs, user tones, two-tone
// codes and the MSK address plan, and the check cells that gather the marks of other
// cells for a sheet's or a tree node's mark. Record cells work on the record the routine
// loaded for their row; the few settings that live outside the tables are image bytes.

#include "overlay/cmcCellObj.h"
#include "values/CellDispatch.h"
#include "values/Editors.h"
#include "values/RecordCells.h"
#include "values/SettingsCells.h"
#include "values/ProcessCell.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

namespace {

using cells::kFlex0;

enum Layout : int { kLmr = 0, kLmrP25 = 1, kPmr = 2, kBiisPmr = 3 };
Layout LayoutOf(const CellContext& c) { return static_cast<Layout>(c.ModelKind() & 3); }

using cells::RowOf;
constexpr auto Store = cells::StoreRow;

std::uint16_t Word(const cmcEeprom& image, std::int32_t address) {
    return static_cast<std::uint16_t>(image.GetByte(address) << 8 | image.GetByte(address + 1));
}
void SetWord(cmcEeprom& image, std::int32_t address, std::uint16_t value) {
    image.SetByte(address, static_cast<std::uint8_t>(value >> 8));
    image.SetByte(address + 1, static_cast<std::uint8_t>(value & 0xFF));
}

// --- DTMF memories and the tone pairs --------------------------------------------------

// Rows that the radio uses for a purpose say so instead of their number.
CellResult DtmfNumber(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    const std::int32_t row = RowOf(r);
    const bool lmr = LayoutOf(c) == kLmr || LayoutOf(c) == kLmrP25;
    if (row == 0) r.displayText = "Autodial";
    else if (lmr && row == 6) r.displayText = "Emergency";
    else if (lmr && row == 7) r.displayText = "Log/ID";
    else r.displayText = std::to_string(row + 1);
    return CellResult::None;
}

// The memory's digits: a count and up to 24 digits packed two to a byte.
CellResult DtmfDigits(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    constexpr int kDigits = 24;
    RecordAccessor& record = c.Records();
    std::array<std::uint8_t, kDigits / 2> packed{};
    std::copy_n(record.text2.begin(), std::min(record.text2.size(), packed.size()), packed.begin());
    auto length = static_cast<std::uint8_t>(std::min<std::uint32_t>(record.get(Fld::Dtmf_Count), kDigits));
    CellResult result = CellResult::None;
    if (editors::EditDtmf(r, result, packed, length, kDigits)) {
        record.text2.assign(packed.begin(), packed.end());
        record.set(Fld::Dtmf_Count, length);
        Store(c, r);
    }
    return result;
}

// A record's name of `length` characters.
CellResult Name(CellContext& c, cmcCellCapsule& r, std::int32_t length) {
    RecordAccessor& record = c.Records();
    std::string field(static_cast<std::size_t>(length), ' ');
    std::copy_n(record.name.begin(), std::min(record.name.size(), field.size()), field.begin());
    const std::string before = field;
    CellResult result = CellResult::None;
    editors::EditText(r, result, std::span(reinterpret_cast<std::uint8_t*>(field.data()), field.size()));
    if (field != before) {
        record.name = field;
        Store(c, r);
    }
    return result;
}

// The three DTMF timers: one byte each in steps of 10 ms; the radio has no "off" for them.
CellResult DtmfTimer(CellContext& c, cmcCellCapsule& r, std::int32_t address) {
    std::int32_t value = c.Image().GetByte(address);
    CellResult result = CellResult::None;
    if (editors::EditTimer(r, result, value, {.unitsPerSecond = 100, .min = 0, .max = 255, .offAllowed = false})) {
        c.Image().SetByte(address, static_cast<std::uint8_t>(value));
        r.changeFlags |= kChangeImage;
    }
    return result;
}

CellResult TonePair(CellContext& c, cmcCellCapsule& r, std::int32_t transmit) {
    CellResult result = CellResult::None;
    if (editors::EditTone(r, result, c.Records(), transmit != 0)) Store(c, r);
    return result;
}

CellResult TonePairSelected(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    CellResult result = CellResult::None;
    cells::EditRecordChoice(c, r, result, Fld::CTone_Sel, "GI_Sheet_Sel_Misc_OnOff2_I", 1);
    return result;
}

// --- Tone frequencies (0.1 Hz) and their decoder windows -------------------------------

// A decoder accepts a tone within 3 % of its frequency; rounded to the nearest 0.1 Hz.
// Integer arithmetic: 410.0 Hz must give exactly 397.7, not 397.69999.
std::uint32_t WindowLower(std::uint32_t f) { return (f * 97 + 50) / 100; }
std::uint32_t WindowUpper(std::uint32_t f) { return (f * 103 + 50) / 100; }

editors::ScaledSpec ToneSpec(double minHz, double maxHz) {
    return {.decimals = 1, .kept = 1, .min = minHz, .max = maxHz, .step = 1};
}

struct TwoToneTone {
    Fld frequency, lower, upper;
};
constexpr std::array<TwoToneTone, 2> kTwoToneTones = {{
    {Fld::TwoT_RxFreq_1st, Fld::TwoT_Lower1, Fld::TwoT_Upper1},
    {Fld::TwoT_RxFreq_2nd, Fld::TwoT_Lower2, Fld::TwoT_Upper2},
}};

// Row 0 of the two-tone table is no code (the codes are numbered from 1).
CellResult TwoToneFrequency(CellContext& c, cmcCellCapsule& r, std::int32_t tone) {
    if (RowOf(r) < RecordAccessor::firstNumber(12)) {
        r.displayText = "----";
        return CellResult::None;
    }
    const TwoToneTone& t = kTwoToneTones[static_cast<std::size_t>(tone)];
    RecordAccessor& record = c.Records();
    auto value = static_cast<std::int32_t>(record.get(t.frequency));
    CellResult result = CellResult::None;
    if (editors::EditScaled(r, result, value, ToneSpec(250.0, 3300.0))) {
        const auto f = static_cast<std::uint32_t>(value);
        record.set(t.frequency, f);
        record.set(t.lower, WindowLower(f));
        record.set(t.upper, WindowUpper(f));
        Store(c, r);
    }
    return result;
}

// The decoder of a user tone works from 400.0 to 3000.0 Hz: its window stays inside that.
constexpr std::uint32_t kUserToneLowest = 4000, kUserToneHighest = 30000;

CellResult UserToneEncode(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    RecordAccessor& record = c.Records();
    auto value = static_cast<std::int32_t>(record.get(Fld::UTone_Encode));
    CellResult result = CellResult::None;
    if (editors::EditScaled(r, result, value, ToneSpec(400.0, 3000.0))) {
        const auto f = static_cast<std::uint32_t>(value);
        record.set(Fld::UTone_Encode, f);
        record.set(Fld::UTone_Dec_Low, std::max(WindowLower(f), kUserToneLowest));
        record.set(Fld::UTone_Dec_High, std::min(WindowUpper(f), kUserToneHighest));
        Store(c, r);
        r.changeFlags |= kChangeRecord;
    }
    return result;
}

// A bound of a user tone's window, edited by hand; a window upside down is warned of.
CellResult UserToneBound(CellContext& c, cmcCellCapsule& r, std::int32_t upper) {
    RecordAccessor& record = c.Records();
    const Fld field = upper ? Fld::UTone_Dec_High : Fld::UTone_Dec_Low;
    auto value = static_cast<std::int32_t>(record.get(field));
    CellResult result = CellResult::None;
    if (editors::EditScaled(r, result, value, ToneSpec(400.0, 3000.0))) {
        record.set(field, static_cast<std::uint32_t>(value));
        Store(c, r);
    }
    if (record.get(Fld::UTone_Dec_High) < record.get(Fld::UTone_Dec_Low)) r.markFlags |= kMarkFlagWarning;
    return result;
}

// --- MSK address plan --------------------------------------------------------------------

// The 12-bit MSK addresses are split at boundary A: individual addresses below it, group
// addresses from it up. The plan reads A once and writes it back when it is changed.
class AddressPlan {
public:
    static constexpr std::int32_t kBoundary = 0x17B5A;
    static constexpr std::int32_t kHighest = 4095;

    explicit AddressPlan(cmcEeprom& image) : image_(image), boundary_(Word(image, kBoundary)) {}
    std::int32_t Boundary() const { return boundary_; }
    void SetBoundary(std::int32_t a) {
        boundary_ = a;
        SetWord(image_, kBoundary, static_cast<std::uint16_t>(a));
    }
    bool Individual(std::int32_t address) const { return address >= 0 && address < boundary_; }
    // Group 0 is the own individual address's group; groups 1..7 use group addresses.
    bool AllowedForGroup(std::int32_t group, std::int32_t address) const {
        return group == 0 ? Individual(address) : address >= boundary_ && address <= kHighest;
    }

private:
    cmcEeprom& image_;
    std::int32_t boundary_;
};

std::string NoEdit(std::int32_t address) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d (No Edit)", static_cast<int>(address));
    return text;
}

// The individual range: from 0000 (row 0) to A - 1 (row 1), neither editable.
CellResult IndividualRange(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    const AddressPlan plan(c.Image());
    const std::int32_t row = RowOf(r);
    if (plan.Boundary() == 0) r.displayText = "----";
    else if (row == 0) r.displayText = NoEdit(0);
    else if (row == 1) r.displayText = NoEdit(plan.Boundary() - 1);
    else r.displayText = "error";
    return CellResult::None;
}

// The group range: from A (row 0, the one editable end of the plan) to 4095 (row 1).
CellResult GroupRange(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    AddressPlan plan(c.Image());
    const std::int32_t row = RowOf(r);
    if (row == 1) {
        r.displayText = NoEdit(AddressPlan::kHighest);
        return CellResult::None;
    }
    if (row != 0) {
        r.displayText = "error";
        return CellResult::None;
    }
    std::int32_t a = plan.Boundary();
    CellResult result = CellResult::None;
    if (editors::EditPaddedNumber(r, result, a, 4, 0, AddressPlan::kHighest)) {
        plan.SetBoundary(a);
        r.changeFlags |= kChangeImage;
    }
    return result;
}

// The common and the killer address, and the fixed base stations that status messages
// and GPS reports go to. The killer address and a base (one station, called at its
// individual address) must be individual addresses.
constexpr std::int32_t kCommonAddress = 0x17B5C;
constexpr std::int32_t kKillerAddress = 0x17B5E;
constexpr std::int32_t kCountryCode = 0x17B60;
constexpr std::int32_t kStatusBase = settings::kMskConfig + 14;
constexpr std::int32_t kGpsBase = settings::kMskGps + 2;

bool MustBeIndividual(std::int32_t address) {
    return address == kKillerAddress || address == kStatusBase || address == kGpsBase;
}

CellResult PlanAddress(CellContext& c, cmcCellCapsule& r, std::int32_t address) {
    const AddressPlan plan(c.Image());
    std::int32_t value = Word(c.Image(), address);
    CellResult result = CellResult::None;
    if (editors::EditPaddedNumber(r, result, value, 4, 0, AddressPlan::kHighest)) {
        SetWord(c.Image(), address, static_cast<std::uint16_t>(value));
        r.changeFlags |= kChangeImage;
    }
    if (MustBeIndividual(address) && !plan.Individual(value)) r.markFlags |= kMarkFlagError;
    return result;
}

CellResult CountryCode(CellContext& c, cmcCellCapsule& r, std::int32_t address) {
    std::uint8_t value = c.Image().GetByte(address);
    CellResult result = CellResult::None;
    if (editors::EditChoiceByte(r, result, value, "GI_Sheet_Sel_MSK_Country_Code", kFlex0)) {
        c.Image().SetByte(address, value);
        r.changeFlags |= kChangeImage;
    }
    return result;
}

CellResult GroupAddress(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    const AddressPlan plan(c.Image());
    RecordAccessor& record = c.Records();
    auto value = static_cast<std::int32_t>(record.get(Fld::Msk_IdGroup_Adr));
    CellResult result = CellResult::None;
    if (editors::EditPaddedNumber(r, result, value, 4, 0, AddressPlan::kHighest)) {
        record.set(Fld::Msk_IdGroup_Adr, static_cast<std::uint32_t>(value));
        Store(c, r);
    }
    if (!plan.AllowedForGroup(RowOf(r), value)) r.markFlags |= kMarkFlagError;
    return result;
}

// --- Check cells -------------------------------------------------------------------------

// Evaluates the cells `ids` of category `category` for rows first..last and ORs their marks.
std::uint8_t MarksOf(CellContext& c, CellCategory category, std::span<const CellId> ids, std::int32_t first,
                     std::int32_t last) {
    std::uint8_t marks = 0;
    cmcCellObj cell;
    for (std::int32_t row = first; row <= last; ++row) {
        for (const CellId id : ids) {
            cell.key = CellKey{category, id, row};
            const CellMarks m = CheckCell(c, cell);
            if (m.error) marks |= kMarkFlagError;
            if (m.warning) marks |= kMarkFlagWarning;
        }
    }
    return marks;
}

constexpr CellCategory kChannelCategory = CategoryOf("CT_Mch");
constexpr std::array kBiisChannelCells = {CellIdOf("CL_Mch_Moni"), CellIdOf("CL_Mch_Sel"), CellIdOf("CL_Mch_Call"),
                                          CellIdOf("CL_Mch_PTT"), CellIdOf("CL_Mch_CH_Mute")};
constexpr std::array kP25ChannelCells = {CellIdOf("CL_Mch_TxNac")};
constexpr std::array kUserToneBounds = {CellIdOf("CL_UTone_Dec_Low"), CellIdOf("CL_UTone_Dec_High")};
constexpr std::array kKiller = {CellIdOf("CL_Msk_AdrRange_Killer")};
constexpr std::array kGroupAddress = {CellIdOf("CL_Msk_IdGroup_Adr")};
constexpr std::array kFixedBaseIds = {CellIdOf("CL_Msk_Cfg_Status_FixBaseId"), CellIdOf("CL_Msk_Cfg_Gps_FixBaseId")};
constexpr std::array kNacChannelTx = {CellIdOf("CL_Digi_NacCh_TxNac")};

// The channels of the bank named by the request's index.
CellResult CheckChannels(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    const Layout layout = LayoutOf(c);
    if (layout != kBiisPmr && layout != kLmrP25) return CellResult::None;
    const auto bank = static_cast<int>(r.index);
    const RecordAccessor& records = c.Records();
    const std::int32_t first = records.bankFirstChannel(bank);
    const std::int32_t last = first + records.bankCount(bank) - 1;
    if (layout == kBiisPmr) r.markFlags |= MarksOf(c, kChannelCategory, kBiisChannelCells, first, last);
    else r.markFlags |= MarksOf(c, kChannelCategory, kP25ChannelCells, first, last);
    return CellResult::None;
}

CellResult CheckUserTones(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    r.markFlags |= MarksOf(c, CategoryOf("CT_UserTone"), kUserToneBounds, 0, 14);
    return CellResult::None;
}

// Checks that only mean something on one layout.
struct LayoutCheck {
    Layout layout;
    CellCategory category;
    std::span<const CellId> ids;
    std::int32_t first, last;
};
constexpr std::array<LayoutCheck, 4> kLayoutChecks = {{
    {kBiisPmr, CategoryOf("CT_MSK_AdrRange"), kKiller, 0, 0},
    {kBiisPmr, CategoryOf("CT_MSK_IdGroup"), kGroupAddress, 0, 7},
    {kBiisPmr, CategoryOf("CT_MSK_Cfg"), kFixedBaseIds, 0, 0},
    {kLmrP25, CategoryOf("CT_DIG_NacCh"), kNacChannelTx, 0, 39},
}};
enum LayoutCheckIndex : std::int32_t { kCheckKiller, kCheckGroups, kCheckConfig, kCheckNac };

CellResult CheckOnLayout(CellContext& c, cmcCellCapsule& r, std::int32_t which) {
    const LayoutCheck& check = kLayoutChecks[static_cast<std::size_t>(which)];
    if (LayoutOf(c) == check.layout) r.markFlags |= MarksOf(c, check.category, check.ids, check.first, check.last);
    return CellResult::None;
}

constexpr CellRow kRows[] = {
    Row("CL_Dtmf_ChNo", DtmfNumber),
    Row("CL_Dtmf_Code", DtmfDigits),
    Row("CL_Dtmf_CodeID", DtmfDigits),
    Row("CL_Dtmf_CodeEmer", DtmfDigits),
    Row("CL_Dtmf_Text", Name, 24),
    AddressRow("CL_Dtmf_DtmfTimer", DtmfTimer, 0x1690D, 1),
    AddressRow("CL_Dtmf_FirstTimer", DtmfTimer, 0x1690E, 1),
    AddressRow("CL_Dtmf_MarkTimer", DtmfTimer, 0x1690F, 1),
    Row("CL_CTone_RX", TonePair, 0),
    Row("CL_CTone_TX", TonePair, 1),
    Row("CL_CTone_Sel", TonePairSelected),
    Row("CL_2T_RxFreq_1st", TwoToneFrequency, 0),
    Row("CL_2T_RxFreq_2nd", TwoToneFrequency, 1),
    Row("CL_UTone_Encode", UserToneEncode),
    Row("CL_UTone_Dec_Low", UserToneBound, 0),
    Row("CL_UTone_Dec_High", UserToneBound, 1),
    Row("CL_Msk_AdrRange_Individual", IndividualRange),
    AddressRow("CL_Msk_AdrRange_Group", GroupRange, AddressPlan::kBoundary, 2),
    AddressRow("CL_Msk_AdrRange_Common", PlanAddress, kCommonAddress, 2),
    AddressRow("CL_Msk_AdrRange_Killer", PlanAddress, kKillerAddress, 2),
    AddressRow("CL_Msk_Cfg_Status_FixBaseId", PlanAddress, kStatusBase, 2),
    AddressRow("CL_Msk_Cfg_Gps_FixBaseId", PlanAddress, kGpsBase, 2),
    AddressRow("CL_Msk_AdrRange_CountryCode", CountryCode, kCountryCode, 1),
    Row("CL_Msk_IdGroup_Adr", GroupAddress),
    Row("CL_Check_Mch", CheckChannels),
    Row("CL_Check_User_Tone_Encode", CheckUserTones),
    Row("CL_Check_Msk_IdRange", CheckOnLayout, kCheckKiller),
    Row("CL_Check_Msk_OwnIdGroup", CheckOnLayout, kCheckGroups),
    Row("CL_Check_Msk_Config", CheckOnLayout, kCheckConfig),
    Row("CL_Check_Dig_Nacch", CheckOnLayout, kCheckNac),
};

}  // namespace

std::span<const CellRow> SignallingCellRows() { return kRows; }
