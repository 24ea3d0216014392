// Cells whose content text is shown as it stands (captions of sheets and menus).

#include "overlay/cmcCellObj.h"
#include "values/CellDispatch.h"

namespace {

CellResult Caption(CellContext&, cmcCellCapsule& r, std::int32_t) {
    r.displayText = r.cell->content.value_or("");
    return CellResult::None;
}

constexpr CellRow kRows[] = {
    Row("Flex0", Caption),    Row("Flex1", Caption),      Row("FlexMark", Caption),
    Row("FlexDtcs", Caption), Row("FlexKeyOpt", Caption),
};

}  // namespace

std::span<const CellRow> CaptionCellRows() { return kRows; }
