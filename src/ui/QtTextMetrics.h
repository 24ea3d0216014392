#pragma once
// Sheet text measurement with Qt's font metrics, for the fonts the overlay describes.
// Fonts are converted once and kept, since a sheet measures thousands of cells in a
// handful of fonts.

#include "sheets/TextMetrics.h"

#include <QFont>
#include <QFontMetrics>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class QtTextMetrics final : public TextMetrics {
public:
    TextExtent MeasureLine(const cmcFont& font, std::string_view line) const override;
    // The Qt font of an overlay font (kept for later calls).
    const QFont& FontOf(const cmcFont& font) const;
    const QFontMetrics& MetricsOf(const cmcFont& font) const;

private:
    // Widths of texts already measured in the font: a sheet shows the same texts in many
    // rows, and painting measures every visible line again.
    static constexpr std::size_t kWidthCacheSize = 4096;
    struct Entry {
        cmcFont key;
        QFont font;
        QFontMetrics metrics;
        std::unordered_map<std::string, int> widths;
    };
    const Entry& Find(const cmcFont& font) const;
    mutable std::vector<std::unique_ptr<Entry>> cache_;
    mutable const Entry* last_ = nullptr;
};
