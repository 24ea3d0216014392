#include "values/ProcessCell.h"

#include "overlay/cmcCellObj.h"
#include "platform/Dialogs.h"
#include "values/CellDispatch.h"
#include "values/KeyCodes.h"

#include <string>

namespace {

constexpr CellCategory kMch = CategoryOf("CT_Mch");
constexpr CellCategory kRpt = CategoryOf("CT_Rpt");
constexpr CellCategory kPopupMenu = CategoryOf("CT_PopupMenu");

constexpr CellId kMchAtr = CellIdOf("CL_Mch_Atr");
constexpr CellId kMchFreqR = CellIdOf("CL_Mch_FreqR");
constexpr CellId kRptFreqR = CellIdOf("CL_Rpt_FreqR");
constexpr CellId kRptText = CellIdOf("CL_Rpt_Text");
constexpr CellId kRptAreaBit = CellIdOf("CL_Rpt_AreaBit");
constexpr CellId kPMenuEdit = CellIdOf("CL_PMenu_Edit");
constexpr CellId kPMenuCopy = CellIdOf("CL_PMenu_Copy");
constexpr CellId kPMenuWinCopy = CellIdOf("CL_PMenu_WinCopy");
constexpr CellId kCloneInfoEsn = CellIdOf("CL_CloneInfo_Esn");

// A key the row guard hands on to the receive frequency: characters, Enter, Space and
// Backspace; arrows and function keys move or step and stay where they are.
bool Redirectable(std::int32_t key) { return key > 0 && key <= 127; }

// The record a cell works on: its category's kind and the cell's number. A popup item
// works on the record of the cell the popup was opened on. A category the program does
// not know is reported and works on no record.
std::int32_t KindOf(CellContext& context, const cmcCellCapsule& request, CellKey& record) {
    record = request.cell->key;
    if (record.category == kPopupMenu && request.linked && request.linked->cell) record = request.linked->cell->key;
    if (record.category < 0 || record.category > kNoCategory) {
        platform::dialogs().message({"Unknown Cell Category. (" + std::to_string(record.category) + ")",
                                     "trelvix", platform::DlgIcon::Error, platform::DlgButtons::Ok});
        return 0;
    }
    return RecordKind(record.category, context.ModelKind());
}

// The row guard of channel and repeater sheets: a row past the sheet's records, or a
// record that is not in use, shows nothing, and a typed key goes to the cell that brings
// the row into use (the receive frequency). True when the cell's own case is not to run.
bool RowGuard(CellContext& context, cmcCellCapsule& request) {
    const CellKey& key = request.cell->key;
    const bool channel = key.category == kMch;
    if (!channel && key.category != kRpt) return false;
    const std::optional<RecordRange> rows = request.sheet ? request.sheet->RecordRows() : std::nullopt;
    const bool outOfRange = rows && (rows->count <= 0 || key.index > rows->first + rows->count - 1);
    const bool unused = !context.Records().valid() && request.key <= 127;
    const CellId entry = channel ? kMchFreqR : kRptFreqR;
    // The cells that still take their own case: the receive frequency brings a row into
    // use; a repeater row also keeps its text and area bits.
    const bool own = channel ? key.id == kMchFreqR : (key.id == kRptFreqR || key.id == kRptText || key.id == kRptAreaBit);
    auto redirect = [&] {
        if (!Redirectable(request.key)) return;
        request.gotoCell = CellKey{key.category, entry, key.index};
        request.repeatKey = request.key;
        request.key = 0;  // the key acts once, on the receive frequency
    };

    if (outOfRange) {
        request.displayText.clear();
        if (own) return false;
        redirect();
        return true;
    }
    if (!unused || (channel && key.id == kMchAtr)) return false;
    request.displayText.clear();
    if (own) return false;
    redirect();
    // A repeater's other cells still run their case (to show their marks), without the key.
    return channel;
}

}  // namespace

CellResult ProcessCell(CellContext& context, cmcCellCapsule& request) {
    // Preparation: every output starts empty.
    request.displayText.clear();
    request.markFlags &= static_cast<std::uint8_t>(~(kMarkFlagWarning | kMarkFlagError));
    request.stateFlags = 0;
    request.changeFlags = kChangeAlways;
    if (request.key == cellkey::kDoubleClick) request.key = cellkey::kEnter;
    if (!request.cell) return CellResult::None;
    request.imageIndex = request.cell->imageIndex;

    CellKey record;
    const std::int32_t kind = KindOf(context, request, record);
    RecordAccessor& records = context.Records();
    if (kind != 0) records.load(kind, record.index);
    records.clearChanged();

    // Popup commands: Edit acts as Enter on the cell; the row commands and the others are
    // the sheet's and the controller's. A popup item chosen on a sheet names its command.
    if (request.popupCommand == 0 && request.popupItem) request.popupCommand = request.popupItem->key.id;
    const CellId popup = request.popupCommand;
    if (popup == kPMenuEdit) {
        request.key = cellkey::kEnter;
        request.popupCommand = 0;
    }
    // Copying a display to the clipboard is the display's own case (the serial number's).
    const bool popupHandled = (popup >= kPMenuCopy && popup < kPMenuWinCopy) ||
                              (popup == kPMenuWinCopy && request.cell->key.id != kCloneInfoEsn);

    CellResult result = CellResult::None;
    if (!popupHandled && !RowGuard(context, request)) {
        const CellId id = request.cell->key.id;
        if (const CellDispatchEntry entry = DispatchOf(id); entry.handler) {
            result = entry.handler(context, request, entry.data);
        } else if (id != kNoCellId) {
            // Cells whose behaviour has not been built yet say so with their number.
            request.displayText = std::to_string(id) + " *Yet*";
        }
    }

    // Finishing.
    if (records.changed()) request.changeFlags |= kChangeRecord;
    const bool userInput = request.mode == CellMode::SetText || request.mode == CellMode::Pick ||
                           (request.mode == CellMode::Action && (request.key != 0 || popup != 0));
    if (userInput && request.changeFlags != kChangeAlways) context.RunCommand(CellCommand::Refresh);
    return result;
}

CellMarks CheckCell(CellContext& context, cmcCellObj& cell, std::uint32_t index) {
    cmcCellCapsule request;
    request.cell = &cell;
    request.index = index;
    request.mode = CellMode::Draw;
    ProcessCell(context, request);
    return {(request.markFlags & kMarkFlagError) != 0, (request.markFlags & kMarkFlagWarning) != 0};
}
