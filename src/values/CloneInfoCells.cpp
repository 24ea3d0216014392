// The Clone Information sheet: read-only displays of the model-information block the
// radio sent with its last identification. Before any identification they are empty.

#include "values/CellDispatch.h"
#include "values/CloneInfoText.h"
#include "platform/Clipboard.h"

#include <string>

namespace {

constexpr CellId kWinCopy = CellIdOf("CL_PMenu_WinCopy");

enum Display : std::int32_t { kModel, kRevision, kComment1, kComment2, kOptions, kOverVoltage, kSerial, kCheckSum };

std::string Text(cloneinfo::Block b, std::int32_t display) {
    switch (static_cast<Display>(display)) {
        case kModel: return cloneinfo::Model(b);
        case kRevision: return cloneinfo::Revision(b);
        case kComment1: return cloneinfo::Comment(b, 1);
        case kComment2: return cloneinfo::Comment(b, 2);
        case kOptions: {
            std::string lines;
            for (const std::string& option : cloneinfo::Options(b)) lines += option + "\n";
            return lines;
        }
        case kOverVoltage: return cloneinfo::OverVoltage(b);
        case kSerial: return cloneinfo::SerialNumber(b);
        case kCheckSum: return cloneinfo::CheckSum(b);
    }
    return {};
}

CellResult Show(CellContext& c, cmcCellCapsule& r, std::int32_t display) {
    const std::span<const std::uint8_t> block = c.ModelInformation();
    if (!block.empty()) r.displayText = Text(block, display);
    return CellResult::None;
}

// The serial number, which its popup copies to the clipboard as shown: a technician pastes
// it into a service record. A serial that is not shown copies nothing.
CellResult Serial(CellContext& c, cmcCellCapsule& r, std::int32_t display) {
    Show(c, r, display);
    if (r.popupCommand == kWinCopy && !r.displayText.empty()) platform::clipboard().setText(r.displayText);
    return CellResult::None;
}

// Shown empty: the layout's spacer, and displays the radio's block does not carry.
CellResult Empty(CellContext&, cmcCellCapsule&, std::int32_t) { return CellResult::None; }

constexpr CellRow kRows[] = {
    Row("CL_CloneInfo_Model", Show, kModel),
    Row("CL_CloneInfo_Revision", Show, kRevision),
    Row("CL_CloneInfo_Comment1", Show, kComment1),
    Row("CL_CloneInfo_Comment2", Show, kComment2),
    Row("CL_CloneInfo_Option", Show, kOptions),
    Row("CL_CloneInfo_OverVolt", Show, kOverVoltage),
    Row("CL_CloneInfo_Esn", Serial, kSerial),
    Row("CL_CloneInfo_CheckSum", Show, kCheckSum),
    Row("CL_CloneInfo_KeyBoard", Empty),
    Row("CL_CloneInfo_PllRef", Empty),
    Row("CL_CloneInfo_Dummy", Empty),
};

}  // namespace

std::span<const CellRow> CloneInfoCellRows() { return kRows; }
