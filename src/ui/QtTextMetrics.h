#pragma once
// Sheet text measurement with Qt's font metrics, for the fonts the overlay describes.
// Fonts are converted once and kept, since a sheet measures thousands of cells in a
// handful of fonts.

#include "sheets/TextMetrics.h"

#include <QFont>
#include <QFontMetrics>

#include <memory>
#include <vector>

class QtTextMetrics final : public TextMetrics {
public:
    TextExtent MeasureLine(const cmcFont& font, std::string_view line) const override;
    // The Qt font of an overlay font (kept for later calls).
    const QFont& FontOf(const cmcFont& font) const;
    const QFontMetrics& MetricsOf(const cmcFont& font) const;

private:
    struct Entry {
        cmcFont key;
        QFont font;
        QFontMetrics metrics;
    };
    const Entry& Find(const cmcFont& font) const;
    mutable std::vector<std::unique_ptr<Entry>> cache_;
    mutable const Entry* last_ = nullptr;
};
