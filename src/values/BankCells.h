#pragma once
// Banks: how many channels still fit in the radio's channel data area, and a bank taking
// one more channel (the row after a bank's last channel brings a new channel into use).

#include "image/cmcEeprom.h"
#include "overlay/CellNames.h"
#include "values/CellContext.h"

#include <cstdint>

// The largest m from n down to 0 for which m more channels of `bank` fit in the channel
// data area; -1 when none do (the area is already overfull). Only channels are limited:
// other categories give n.
std::int32_t FitCount(const cmcEeprom& image, CellCategory category, std::int32_t n, std::int32_t bank);

// Bank `bank` takes one more channel after its last: the later channels move one place
// down and the new one is the default record, blank. When 512 channels exist or the area
// has no room, the overflow box is shown and nothing changes. True when appended.
bool AppendChannel(CellContext& context, std::int32_t bank);
