#include "overlay/cmcFont.h"

#include "overlay/TextNumber.h"

#include <array>
#include <cstdlib>

namespace {

// a * b / c rounded to the nearest, halves away from zero, in 64 bits (the caller
// saturates, after its own sign change).
std::int64_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
    const std::int64_t p = std::int64_t{a} * b;
    const std::int64_t q = (std::llabs(p) + c / 2) / c;
    return p < 0 ? -q : q;
}

struct Named {
    std::string_view name;
    std::int32_t value;
};

constexpr std::array<Named, 19> kCharsets = {{
    {"ANSI_CHARSET", 0},          {"DEFAULT_CHARSET", 1},      {"SYMBOL_CHARSET", 2},    {"MAC_CHARSET", 77},
    {"SHIFTJIS_CHARSET", 128},    {"HANGEUL_CHARSET", 129},    {"JOHAB_CHARSET", 130},   {"GB2312_CHARSET", 134},
    {"CHINESEBIG5_CHARSET", 136}, {"GREEK_CHARSET", 161},      {"TURKISH_CHARSET", 162}, {"VIETNAMESE_CHARSET", 163},
    {"HEBREW_CHARSET", 177},      {"ARABIC_CHARSET", 178},     {"BALTIC_CHARSET", 186},  {"RUSSIAN_CHARSET", 204},
    {"THAI_CHARSET", 222},        {"EASTEUROPE_CHARSET", 238}, {"OEM_CHARSET", 255},
}};

constexpr std::array<Named, 4> kStyles = {{
    {"fsBold", cmcFont::Bold},
    {"fsItalic", cmcFont::Italic},
    {"fsUnderline", cmcFont::Underline},
    {"fsStrikeOut", cmcFont::StrikeOut},
}};

constexpr std::array<Named, 3> kPitches = {{
    {"fpDefault", static_cast<std::int32_t>(cmcFont::Pitch::Default)},
    {"fpFixed", static_cast<std::int32_t>(cmcFont::Pitch::Fixed)},
    {"fpVariable", static_cast<std::int32_t>(cmcFont::Pitch::Variable)},
}};

template <std::size_t N>
const Named* Lookup(const std::array<Named, N>& table, std::string_view name) {
    for (const Named& n : table) {
        if (n.name == name) return &n;
    }
    return nullptr;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// A height or size field: a plain number (0 changes nothing), or '%' and a percentage of
// the current value, truncated toward zero and at least 1 in size when it comes out 0.
bool ScaledValue(std::string_view field, std::int32_t current, std::int32_t& out) {
    if (!field.empty() && field.front() == '%') {
        const std::int64_t scaled = std::int64_t{current} * ParseNumber(field.substr(1)) / 100;
        out = scaled == 0 ? 1 : Saturate(scaled);
        return true;
    }
    out = ParseNumber(field);
    return out != 0;
}

void ApplyStyles(std::string_view field, cmcFont& font) {
    bool recognised = false;
    while (true) {
        const auto plus = field.find('+');
        if (const Named* s = Lookup(kStyles, TrimBlanks(field.substr(0, plus)))) {
            if (!recognised) font.style = 0;
            recognised = true;
            font.style |= static_cast<unsigned>(s->value);
        }
        if (plus == std::string_view::npos) break;
        field.remove_prefix(plus + 1);
    }
}

}  // namespace

std::int32_t cmcFont::Size() const {
    return Saturate(-MulDiv(height, 72, kPixelsPerInch));
}

void cmcFont::SetSize(std::int32_t points) {
    height = Saturate(-MulDiv(points, kPixelsPerInch, 72));
}

void ApplyFont(std::string_view spec, cmcFont& font) {
    for (int field = 0; field < 7; ++field) {
        const auto comma = spec.find(',');
        std::string_view text = spec.substr(0, comma);
        while (!text.empty() && text.front() == ' ') text.remove_prefix(1);

        std::int32_t value = 0;
        if (!text.empty()) {
            switch (field) {
                case 0:
                    if (const Named* c = Lookup(kCharsets, TrimBlanks(text))) font.charset = c->value;
                    break;
                case 1:
                    font.face = std::string(text);
                    break;
                case 2:
                    if (auto colour = ParseColour(text)) font.colour = *colour;
                    break;
                case 3:
                    if (ScaledValue(text, font.height, value)) font.height = value;
                    break;
                case 4:
                    if (ScaledValue(text, font.Size(), value)) font.SetSize(value);
                    break;
                case 5:
                    ApplyStyles(text, font);
                    break;
                case 6:
                    if (const Named* p = Lookup(kPitches, TrimBlanks(text)))
                        font.pitch = static_cast<cmcFont::Pitch>(p->value);
                    break;
            }
        }
        if (comma == std::string_view::npos) break;
        spec.remove_prefix(comma + 1);
    }
}
