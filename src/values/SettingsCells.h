#pragma once
// The image fields the settings cells edit: a bit range of one byte, or a big-endian
// number of up to four bytes (a text or digit string uses `bytes` alone).

#include "image/cmcEeprom.h"
#include "overlay/CellNames.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace settings {

struct Field {
    std::int32_t address = 0;
    std::uint8_t bytes = 1;
    std::uint8_t shift = 0;  // the field's lowest bit within the big-endian number
    std::uint8_t width = 8;  // bits
    bool isSigned = false;   // a 32-bit number read as two's complement
};

// The field's value; the bits around it are left out.
std::int64_t ReadField(const cmcEeprom& image, const Field& field);
// Writes the field's bits alone; the other bits of its bytes keep their values.
void WriteField(cmcEeprom& image, const Field& field, std::int64_t value);

// The image bytes the settings cell `id` edits: its field, and for a key assignment also
// the byte of the high/low options. Empty for a cell the settings table does not name.
std::vector<std::int32_t> BytesOf(CellId id);

// Two bytes of user set-mode enable bits, and the byte of the keys' high/low options.
constexpr std::int32_t kUserSetEnable = 0x168E0;
constexpr std::int32_t kKeyOptions = 0x16902;
// The digital (P25) settings block: options at fixed offsets, the own unit identifier
// as a big-endian 24-bit number at +1.
constexpr std::int32_t kDigitalSettings = 0x1943E;
// MSK (BIIS PMR): the timing structure (16 bytes), the configuration structure after it
// (16 bytes; its fixed base address is a big-endian word at +14), and the GPS reporting
// bytes (two option bytes, the fixed base address at +2, the interval in seconds at +4).
constexpr std::int32_t kMskTiming = 0x17D22;
constexpr std::int32_t kMskConfig = 0x17D32;
constexpr std::int32_t kMskGps = 0x13FC7;
constexpr std::string_view kKeyOptionList = "GI_Sheet_Sel_KDisp_KeyOpt_HL";

}  // namespace settings
