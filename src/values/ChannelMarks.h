#pragma once
// The marks a channel cell gives one of its values. A choice list opened for a channel
// cell marks its items with the same rules as the cell, so the technician sees which
// choice the radio will refuse before picking it; the rules stay in one place.

#include "overlay/CellNames.h"
#include "values/CellContext.h"

#include <cstdint>

// The warning and error marks (CellMarkFlag) cell `id` would show for `value` on the
// channel record loaded in `context.Records()`; 0 for cells that mark nothing.
std::uint8_t ChannelValueMarks(CellContext& context, CellId id, std::uint32_t value);
