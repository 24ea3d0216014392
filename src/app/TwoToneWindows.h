#pragma once
// The acceptance windows of the two-tone decoder as a clone write sends them. Each two-tone
// code holds two receive tones (0.1 Hz units) and, for each, a lower and an upper bound the
// radio accepts. The radio's firmware revision decides how wide the window is, and that is
// known only once the radio has identified itself, so the windows are brought up to date on
// the copy a write sends, before it is packed: the radio receives the windows computed for it.

#include "image/cmcEeprom.h"

#include <cstddef>
#include <cstdint>

namespace twotone {

// Byte 34 of the model-information block: the firmware revision as 0xMN for M.N.
constexpr std::size_t kRevisionByte = 34;

// The tolerance in percent for a radio's revision byte: 3 below 0x10; from 0x10 on, 2 when
// the byte is 0x20 or more or its low four bits are not zero, else 3.
int tolerancePercent(std::uint8_t revision);

struct Window {
    std::uint16_t lower = 0;
    std::uint16_t upper = 0;
    bool operator==(const Window&) const = default;
};
// The window of a tone: the integer part of (1 - p/100) f + 0.5 and of (1 + p/100) f + 0.5,
// computed in integers so that a bound that lies exactly on a half rounds up as the exact
// value does (a binary fraction of 1.03 would not always). A bound beyond the 16-bit field
// stays at 0xFFFF rather than wrapping to a small number.
Window window(std::uint16_t frequency, int percent);

// Sets the windows of the two-tone codes from their receive tones for a radio of the given
// revision, for the LMR kinds; other kinds carry no two-tone codes and are left alone. The
// codes are those the memory map decodes, 1..10: code 0 has no window of its own, and the
// bytes where its window would lie belong to other tables. Only the window fields change.
// True when a byte of the image changed.
bool updateWindows(cmcEeprom& image, int modelKind, std::uint8_t revision);

}  // namespace twotone
