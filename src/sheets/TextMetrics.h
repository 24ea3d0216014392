#pragma once
// How big a text is in a font. Sheets size their columns and rows from their cells'
// contents, so construction needs a measurement; the program measures with the GUI's font
// metrics (or the printer's), tests with fixed metrics so that sizes are known numbers.

#include "overlay/cmcFont.h"

#include <cstdint>
#include <string_view>

struct TextExtent {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

class TextMetrics {
public:
    virtual ~TextMetrics() = default;
    // One line of text (no line breaks).
    virtual TextExtent MeasureLine(const cmcFont& font, std::string_view line) const = 0;
};

// Every character the same width, every line the same height, whatever the font.
class FixedTextMetrics final : public TextMetrics {
public:
    explicit FixedTextMetrics(std::int32_t charWidth = 7, std::int32_t lineHeight = 13)
        : charWidth_(charWidth), lineHeight_(lineHeight) {}
    TextExtent MeasureLine(const cmcFont&, std::string_view line) const override {
        return {static_cast<std::int32_t>(line.size()) * charWidth_, lineHeight_};
    }

private:
    std::int32_t charWidth_, lineHeight_;
};

// A text of several lines: the widest line and the sum of the line heights.
TextExtent MeasureText(const TextMetrics& metrics, const cmcFont& font, std::string_view text);
