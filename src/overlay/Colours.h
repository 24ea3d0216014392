#pragma once
// Colours of cells, titles and fonts, written in the overlay by name. A value is an RGB
// colour 0x00BBGGRR or a system colour 0x80000000 + the system colour's index, which the
// GUI maps to its palette.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

using cmcColour = std::uint32_t;

struct ColourEntry {
    std::string_view name;
    cmcColour value;
};

inline constexpr std::array<ColourEntry, 38> kColourTable = {{
    {"clAqua", 0xFFFF00},
    {"clBlack", 0x000000},
    {"clBlue", 0xFF0000},
    {"clDkGray", 0x808080},
    {"clFuchsia", 0xFF00FF},
    {"clGray", 0x808080},
    {"clGreen", 0x008000},
    {"clLime", 0x00FF00},
    {"clLtGray", 0xC0C0C0},
    {"clMaroon", 0x000080},
    {"clNavy", 0x800000},
    {"clOlive", 0x008080},
    {"clPurple", 0x800080},
    {"clRed", 0x0000FF},
    {"clSilver", 0xC0C0C0},
    {"clTeal", 0x808000},
    {"clWhite", 0xFFFFFF},
    {"clYellow", 0x00FFFF},
    {"clBackground", 0x80000001},
    {"clActiveCaption", 0x80000002},
    {"clInactiveCaption", 0x80000003},
    {"clMenu", 0x80000004},
    {"clWindow", 0x80000005},
    {"clWindowFrame", 0x80000006},
    {"clMenuText", 0x80000007},
    {"clWindowText", 0x80000008},
    {"clCaptionText", 0x80000009},
    {"clActiveBorder", 0x8000000A},
    {"clInactiveBorder", 0x8000000B},
    {"clAppWorkSpace", 0x8000000C},
    {"clHighlight", 0x8000000D},
    {"clHightlightText", 0x8000000E},
    {"clBtnFace", 0x8000000F},
    {"clBtnShadow", 0x80000010},
    {"clGrayText", 0x80000011},
    {"clBtnText", 0x80000012},
    {"clInactiveCaptionText", 0x80000013},
    {"clBtnHighlight", 0x80000014},
}};

consteval cmcColour ColourOf(std::string_view name) {
    for (const ColourEntry& e : kColourTable) {
        if (e.name == name) return e.value;
    }
    throw "not a colour name";
}

inline constexpr cmcColour kSystemColourFlag = 0x80000000u;

// The colour of a name (exact, case-sensitive), or nothing for an unknown name.
std::optional<cmcColour> ParseColour(std::string_view name);
