#pragma once
// Moving the rows of a table of records (the 512 channels) to open or close a gap. Channels
// move byte for byte and their marks follow them; the bank bits stay with the banks (a row
// of another table keeps its own flag bit 4). The rows the move leaves behind become the
// default record of the initial image.

#include "image/cmcEeprom.h"

#include <cstdint>

namespace rows {

// Record `index` of `target` becomes that of `source` (the default record), keeping the
// target's flags byte; without a source, a cleared record.
void CopyRecord(cmcEeprom& target, cmcEeprom* source, int kind, std::int32_t index);

// Rows to..count-1-by move `by` places down (towards count); rows to..to+by-1 are reset.
void ShiftRowsDown(cmcEeprom& image, cmcEeprom* initial, int kind, std::int32_t count, std::int32_t to,
                   std::int32_t by = 1);
// Rows from+by..count-1 move `by` places up (towards from); the last `by` rows are reset.
void ShiftRowsUp(cmcEeprom& image, cmcEeprom* initial, int kind, std::int32_t from, std::int32_t count,
                 std::int32_t by = 1);

}  // namespace rows
