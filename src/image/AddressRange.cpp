#include "image/AddressRange.h"

#include "image/cmcEeprom.h"

namespace {

constexpr std::int32_t kEepromLast = cmcEeprom::kEepromSize - 1;

AddressRangeList oneRange(std::int32_t start, std::int32_t end) { return {{start, end}, {1, 0}}; }

}  // namespace

AddressRangeList modelAddressRanges(int kind) {
    return kind == static_cast<int>(RangeKind::CloneWrite) ? oneRange(0x0100, kEepromLast) : oneRange(0, kEepromLast);
}

AddressRangeList baseAddressRanges(int /*kind*/) { return oneRange(0, kEepromLast); }
