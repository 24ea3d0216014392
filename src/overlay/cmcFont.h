#pragma once
// A font as the overlay describes it, without any GUI toolkit: the GUI turns it into its
// own font when it draws. The height is kept in the toolkit's sense (negative: the
// character height in pixels; positive: the cell height); the size in points is the same
// value seen at 96 dots per inch, so setting one changes the other.

#include "overlay/Colours.h"

#include <cstdint>
#include <string>
#include <string_view>

struct cmcFont {
    enum Style : unsigned { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };
    enum class Pitch { Default, Fixed, Variable };

    static constexpr std::int32_t kDefaultCharset = 1;
    static constexpr std::int32_t kPixelsPerInch = 96;

    std::int32_t charset = kDefaultCharset;
    std::string face;  // empty: the GUI's own face
    cmcColour colour = ColourOf("clWindowText");
    std::int32_t height = -11;  // 8 points
    unsigned style = 0;
    Pitch pitch = Pitch::Default;

    std::int32_t Size() const;
    void SetSize(std::int32_t points);

    friend bool operator==(const cmcFont&, const cmcFont&) = default;
};

// Applies a font description: up to seven comma-separated fields (character set, face,
// colour, height, size, style, pitch), each optional; an empty or unknown field changes
// nothing. "%p" in the height or size field scales the current value by p percent.
void ApplyFont(std::string_view spec, cmcFont& font);
