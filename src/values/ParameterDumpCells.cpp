// The adjustment parameter dump: the radio's squelch, tail, S-meter and battery tables
// shown as they lie in the image, read only. A byte is shown as a number, signed where the
// radio stores a correction; a word (big-endian) in thousandths of its unit.

#include "values/CellDispatch.h"

#include <cstdio>

namespace {

enum Kind : std::int32_t { kUnsigned, kSigned, kWord };

constexpr std::int32_t Data(Kind kind, std::int32_t address) { return kind << 24 | address; }

CellResult Show(CellContext& c, cmcCellCapsule& r, std::int32_t data) {
    const std::int32_t address = data & 0xFFFFFF;
    const cmcEeprom& image = c.Image();
    char text[24];
    switch (static_cast<Kind>(data >> 24)) {
        case kUnsigned: std::snprintf(text, sizeof text, "%3d", image.GetByte(address)); break;
        case kSigned: std::snprintf(text, sizeof text, "%3d", static_cast<std::int8_t>(image.GetByte(address))); break;
        case kWord: {
            const int w = image.GetByte(address) << 8 | image.GetByte(address + 1);
            std::snprintf(text, sizeof text, "%d.%03d", w / 10, (w % 10) * 100);
            break;
        }
    }
    r.displayText = text;
    return CellResult::None;
}

consteval CellRow U(std::string_view name, std::int32_t address) { return Row(name, Show, Data(kUnsigned, address)); }
consteval CellRow S(std::string_view name, std::int32_t address) { return Row(name, Show, Data(kSigned, address)); }
consteval CellRow W(std::string_view name, std::int32_t address) { return Row(name, Show, Data(kWord, address)); }

constexpr CellRow kRows[] = {
    U("CL_ADP_SQL19", 0xA4), U("CL_ADP_SQL10", 0xA2), U("CL_ADP_FrgWide", 0xA3),
    U("CL_ADP_SQLOP1_OP", 0x66), U("CL_ADP_SQLOP1_L1", 0x6D), U("CL_ADP_SQLOP1_L2", 0x65), U("CL_ADP_SQLOP1_L3", 0x6C),
    U("CL_ADP_SQLOP1_L4", 0x53), U("CL_ADP_SQLOP1_L5", 0x13FB0), U("CL_ADP_SQLOP1_L6", 0xA9),
    U("CL_ADP_SQLOP1_L8", 0x54), U("CL_ADP_SQLOP1_L9", 0x55), U("CL_ADP_SQLOP1_L0", 0x61),
    U("CL_ADP_SQLOP2_0P", 0x62), S("CL_ADP_SQLOP2_L1", 0x82), S("CL_ADP_SQLOP2_L2", 0x87), S("CL_ADP_SQLOP2_L3", 0x8C),
    S("CL_ADP_SQLOP2_L4", 0x91), S("CL_ADP_SQLOP2_L5", 0x96), S("CL_ADP_SQLOP2_L6", 0x9B), S("CL_ADP_SQLOP2_L7", 0xA0),
    S("CL_ADP_SQLOP2_L8", 0x81), S("CL_ADP_SQLOP2_L9", 0x86), S("CL_ADP_SQLOP2_L0", 0x8B),
    S("CL_ADP_SQLSC_OP", 0x90), S("CL_ADP_SQLSC_L1", 0x95), S("CL_ADP_SQLSC_L2", 0x9A), S("CL_ADP_SQLSC_L3", 0x9F),
    S("CL_ADP_SQLSC_L4", 0x83), S("CL_ADP_SQLSC_L5", 0x88), S("CL_ADP_SQLSC_L6", 0x8D), S("CL_ADP_SQLSC_L7", 0x92),
    S("CL_ADP_SQLSC_L8", 0x97), S("CL_ADP_SQLSC_L9", 0x9C), S("CL_ADP_SQLSC_L0", 0xA1),
    W("CL_ADP_SQLCL1_OP", 0xAC), S("CL_ADP_SQLCL1_L1", 0xAE), U("CL_ADP_SQLCL1_L2", 0xAF), W("CL_ADP_SQLCL1_L3", 0xB0),
    S("CL_ADP_SQLCL1_L4", 0xB2), S("CL_ADP_SQLCL1_L5", 0xB3), S("CL_ADP_SQLCL1_L6", 0xB4), S("CL_ADP_SQLCL1_L7", 0x7F),
    S("CL_ADP_SQLCL1_L8", 0x84), S("CL_ADP_SQLCL1_L9", 0x89), S("CL_ADP_SQLCL1_L0", 0x8E),
    S("CL_ADP_SQLCL2_OP", 0x93), S("CL_ADP_SQLCL2_L1", 0x98), S("CL_ADP_SQLCL2_L2", 0x9D), S("CL_ADP_SQLCL2_L3", 0x80),
    S("CL_ADP_SQLCL2_L4", 0x85), S("CL_ADP_SQLCL2_L5", 0x8A), S("CL_ADP_SQLCL2_L6", 0x8F), S("CL_ADP_SQLCL2_L7", 0x94),
    S("CL_ADP_SQLCL2_L8", 0x99), S("CL_ADP_SQLCL2_L9", 0x9E), S("CL_ADP_SQLCL2_L0", 0x5F),
    S("CL_ADP_TAIL_L0", 0x5E), S("CL_ADP_TAIL_L1", 0x5D), S("CL_ADP_TAIL_L2", 0x60), S("CL_ADP_TAIL_L3", 0x64),
    S("CL_ADP_TAIL_L4", 0x6B), W("CL_ADP_TAIL_L5", 0x50),
    S("CL_ADP_SMET_L0", 0xB5), S("CL_ADP_SMET_L1", 0xB8), S("CL_ADP_SMET_L2", 0xB9), U("CL_ADP_SMET_L3", 0xBA),
    U("CL_ADP_BATTN_NU0", 0x58), U("CL_ADP_BATTN_NU1", 0x59), U("CL_ADP_BATTN_NU2", 0x5A),
    U("CL_ADP_BATTN_ND1", 0x5B), U("CL_ADP_BATTN_ND2", 0xA5), U("CL_ADP_BATTN_ND3", 0xA6),
    S("CL_ADP_BATTA_NU0", 0xB6), S("CL_ADP_BATTA_NU1", 0xB7),
};

}  // namespace

std::span<const CellRow> ParameterDumpCellRows() { return kRows; }
