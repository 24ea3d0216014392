#include "values/ProcessCell.h"

#include "overlay/cmcCellObj.h"
#include "values/CellDispatch.h"
#include "values/KeyCodes.h"

#include <string>

CellResult ProcessCell(CellContext& context, cmcCellCapsule& request) {
    request.displayText.clear();
    request.markFlags &= static_cast<std::uint8_t>(~(kMarkFlagWarning | kMarkFlagError));
    request.stateFlags = 0;
    if (request.key == cellkey::kDoubleClick) request.key = cellkey::kEnter;
    if (!request.cell) return CellResult::None;
    request.imageIndex = request.cell->imageIndex;
    const CellId id = request.cell->key.id;

    if (const CellDispatchEntry entry = DispatchOf(id); entry.handler) return entry.handler(context, request, entry.data);
    // Cells whose behaviour has not been built yet say so with their number.
    if (id != kNoCellId) request.displayText = std::to_string(id) + " *Yet*";
    return CellResult::None;
}

CellMarks CheckCell(CellContext& context, cmcCellObj& cell, std::uint32_t index) {
    cmcCellCapsule request;
    request.cell = &cell;
    request.index = index;
    ProcessCell(context, request);
    return {(request.markFlags & kMarkFlagError) != 0, (request.markFlags & kMarkFlagWarning) != 0};
}
