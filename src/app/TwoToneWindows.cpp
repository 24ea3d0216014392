#include "app/TwoToneWindows.h"

#include "app/ModelRules.h"
#include "image/RecordAccessor.h"

#include <algorithm>

namespace twotone {

namespace {

constexpr int kTwoToneKind = 12;

std::uint16_t Bound(std::uint32_t frequency, int percent) {
    // trunc(x + 0.5) of a non-negative x is floor(x + 0.5): integer division does it exactly.
    const std::uint32_t value = (static_cast<std::uint32_t>(100 + percent) * frequency + 50) / 100;
    return static_cast<std::uint16_t>(std::min<std::uint32_t>(value, 0xFFFF));
}

}  // namespace

int tolerancePercent(std::uint8_t revision) {
    if (revision < 0x10) return 3;
    return (revision >= 0x20 || (revision & 0x0F) != 0) ? 2 : 3;
}

Window window(std::uint16_t frequency, int percent) {
    return {Bound(frequency, -percent), Bound(frequency, percent)};
}

bool updateWindows(cmcEeprom& image, int modelKind, std::uint8_t revision) {
    if (!model::isLmr(modelKind)) return false;
    const int percent = tolerancePercent(revision);
    RecordAccessor codes(image);
    for (int n = RecordAccessor::firstNumber(kTwoToneKind); n <= RecordAccessor::lastNumber(kTwoToneKind); ++n) {
        codes.load(kTwoToneKind, n);
        const Window first = window(static_cast<std::uint16_t>(codes.get(Fld::TwoT_RxFreq_1st)), percent);
        const Window second = window(static_cast<std::uint16_t>(codes.get(Fld::TwoT_RxFreq_2nd)), percent);
        codes.set(Fld::TwoT_Lower1, first.lower);
        codes.set(Fld::TwoT_Upper1, first.upper);
        codes.set(Fld::TwoT_Lower2, second.lower);
        codes.set(Fld::TwoT_Upper2, second.upper);
        codes.store(kTwoToneKind, n);
    }
    return codes.changed();
}

}  // namespace twotone
