#pragma once
// Address ranges of the EEPROM part of an image: what a clone transfer or a data file
// covers. Kept apart from the data-file class so that the protocol side can name a range
// without the file reader.

#include <cstdint>
#include <vector>

// An inclusive address pair. A list ends at its first pair whose end is below its start,
// and processing also stops at the first pair that does not lie inside the image.
struct AddressRange {
    std::int32_t start;
    std::int32_t end;
};
using AddressRangeList = std::vector<AddressRange>;

// What a list of ranges is for; the controller hands out one list per kind.
enum class RangeKind : int { CloneWrite = 0, CloneRead = 1, Save = 2, InitialLoad = 3 };

// The ranges of the model controller: a normal clone write leaves the first 256 bytes
// (the radio's own identity and calibration header) alone; everything else is the whole
// EEPROM part. Each list is one range followed by the end marker (1, 0).
AddressRangeList modelAddressRanges(int kind);
// The ranges of the framework controller: the whole EEPROM part for every kind.
AddressRangeList baseAddressRanges(int kind);
