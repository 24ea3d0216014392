// The cells of the trunking sheets: a repeater site's repeaters and the scan lists. Each
// shows one field of the record the routine loaded for its row (a repeater of the site the
// sheet shows, a scan list), edits it with one editor and stores the record when it
// changed. The on/off and choice fields are one table.

#include "overlay/cmcCellObj.h"
#include "values/CellDispatch.h"
#include "values/Editors.h"
#include "values/RecordCells.h"

namespace {

constexpr int kRepeater = 22;
constexpr int kBankOperation = 14;  // the record kind of a bank's (and a site's) name and option bit

constexpr auto Store = cells::StoreRow;

// --- Choice fields ------------------------------------------------------------------------

struct ChoiceCell {
    Fld field;
    std::string_view list;
};

constexpr std::string_view kOnOff = "GI_Sheet_Sel_Misc_OnOff";

constexpr ChoiceCell kChoiceCells[] = {
    {Fld::Rpt_RxDat, kOnOff},        {Fld::Rpt_TxDat, kOnOff},
    {Fld::Rpt_Phone, kOnOff},        {Fld::ScanList_ScanMode, "GI_Sheet_Sel_ScanList_ScanMode"},
    {Fld::ScanList_PwrSave, kOnOff}, {Fld::ScanList_DispText, "GI_Sheet_Sel_ScanList_DispText"},
};
enum ChoiceIndex : std::int32_t { kRxDat, kTxDat, kPhone, kScanMode, kScanPwrSave, kScanDispText };

// Whether the row lies past the site's repeaters: its number then names a repeater of the
// next site, which this row must never show nor edit (the one table holds all sites).
bool PastTheSite(CellContext& c, const cmcCellCapsule& r) {
    const RecordAccessor& record = c.Records();
    return record.kind == kRepeater && r.cell->key.index >= record.repeaterCount(record.repeaterList());
}

CellResult ChoiceField(CellContext& c, cmcCellCapsule& r, std::int32_t index) {
    const ChoiceCell& cell = kChoiceCells[index];
    if (PastTheSite(c, r)) return CellResult::None;
    CellResult result = CellResult::None;
    cells::EditRecordChoice(c, r, result, cell.field, cell.list);
    return result;
}

// --- Repeaters ------------------------------------------------------------------------------

// A new repeater is a row inserted by the row commands: the frequency never appends one.
CellResult RepeaterFrequency(CellContext& c, cmcCellCapsule& r, std::int32_t transmit) {
    if (PastTheSite(c, r)) return CellResult::None;
    CellResult result = CellResult::None;
    if (editors::EditFrequency(r, result, c.Records(), transmit != 0)) Store(c, r);
    return result;
}

// The site's name and area bit are every row's, also of a row past the site's repeaters,
// whose number may be a repeater of the next site: they are written through the site's own
// record (the bank-operation record of the same number, which holds the same bytes) so
// that no repeater record is ever stored for them.
void StoreSite(CellContext& c, cmcCellCapsule& r) {
    const RecordAccessor& row = c.Records();
    RecordAccessor site(c.Image());
    const int list = row.repeaterList();
    site.load(kBankOperation, list);
    site.name = row.name;
    site.flags = static_cast<std::uint8_t>((site.flags & ~RecordAccessor::kFlagOption) |
                                           (row.flags & RecordAccessor::kFlagOption));
    site.store(kBankOperation, list);
    r.changeFlags |= kChangeRecord;
}

// The site's name: the 12 characters every row of the site shows.
CellResult SiteName(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    CellResult result = CellResult::None;
    if (editors::EditName(r, result, c.Records().name, 12)) StoreSite(c, r);
    return result;
}

// The site's area bit: one character, '0' while set.
CellResult AreaBit(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    RecordAccessor& record = c.Records();
    std::uint32_t bits = (record.flags & RecordAccessor::kFlagOption) ? 1u : 0u;
    CellResult result = CellResult::None;
    if (editors::EditBits(r, result, bits, 0, 0)) {
        if (bits & 1u) {
            record.flags |= RecordAccessor::kFlagOption;
        } else {
            record.flags &= static_cast<std::uint8_t>(~RecordAccessor::kFlagOption);
        }
        StoreSite(c, r);
    }
    return result;
}

// --- Scan lists -----------------------------------------------------------------------------

// A scan list's name: 24 characters, shown on the radio while it scans the list.
CellResult ScanListName(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    CellResult result = CellResult::None;
    if (editors::EditName(r, result, c.Records().name, 24)) Store(c, r);
    return result;
}

constexpr CellRow kRows[] = {
    Row("CL_Rpt_FreqR", RepeaterFrequency, 0),
    Row("CL_Rpt_FreqT", RepeaterFrequency, 1),
    Row("CL_Rpt_RxDat", ChoiceField, kRxDat),
    Row("CL_Rpt_TxDat", ChoiceField, kTxDat),
    Row("CL_Rpt_Phone", ChoiceField, kPhone),
    Row("CL_Rpt_Text", SiteName),
    Row("CL_Rpt_AreaBit", AreaBit),
    Row("CL_ScanList_Text", ScanListName),
    Row("CL_ScanList_ScanMode", ChoiceField, kScanMode),
    Row("CL_ScanList_PwrSave", ChoiceField, kScanPwrSave),
    Row("CL_ScanList_DispText", ChoiceField, kScanDispText),
};

}  // namespace

std::span<const CellRow> TrunkingCellRows() {
    return kRows;
}
