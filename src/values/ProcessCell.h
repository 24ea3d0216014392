#pragma once
// The one routine that gives every cell, menu item and toolbar button its behaviour:
// it reads the cell's binding and the request, and renders, runs or marks the cell.

#include "values/cmcCellCapsule.h"

class cuiMain;

CellResult ProcessCell(cuiMain& controller, cmcCellCapsule& request);

// Runs `ProcessCell` for a cell with no key and returns its error and warning marks.
struct CellMarks {
    bool error = false;
    bool warning = false;
};
CellMarks CheckCell(cuiMain& controller, cmcCellObj& cell, std::uint32_t index = 0);
