// Cells whose content text is shown as it stands (captions of sheets and menus).

#include "overlay/cmcCellObj.h"
#include "values/CellDispatch.h"
#include "values/ChannelMarks.h"

namespace {

CellResult Caption(CellContext&, cmcCellCapsule& r, std::int32_t) {
    r.displayText = r.cell->content.value_or("");
    return CellResult::None;
}

// An item of a choice list opened for a channel cell: its number is the value it stands
// for, and it carries the marks the channel cell would show for that value.
CellResult MarkedChoice(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    Caption(c, r, 0);
    if (!r.linked || !r.linked->cell) return CellResult::None;
    const CellKey& owner = r.linked->cell->key;
    const std::int32_t kind = RecordKind(owner.category, c.ModelKind());
    if (kind < 1 || kind > 4) return CellResult::None;  // only channel records have these rules
    c.Records().load(kind, owner.index);
    r.markFlags |= ChannelValueMarks(c, owner.id, static_cast<std::uint32_t>(r.cell->key.index));
    return CellResult::None;
}

constexpr CellRow kRows[] = {
    Row("Flex0", Caption),    Row("Flex1", Caption),      Row("FlexMark", MarkedChoice),
    Row("FlexDtcs", Caption), Row("FlexKeyOpt", Caption),
};

}  // namespace

std::span<const CellRow> CaptionCellRows() { return kRows; }
