#pragma once
// The one routine that gives every cell, menu item and toolbar button its behaviour:
// it reads the cell's binding and the request, and renders, runs or marks the cell. It
// sees the program only through the cell context.

#include "values/CellContext.h"
#include "values/cmcCellCapsule.h"

CellResult ProcessCell(CellContext& context, cmcCellCapsule& request);

// Runs `ProcessCell` for a cell with no key and returns its error and warning marks.
struct CellMarks {
    bool error = false;
    bool warning = false;
};
CellMarks CheckCell(CellContext& context, cmcCellObj& cell, std::uint32_t index = 0);
