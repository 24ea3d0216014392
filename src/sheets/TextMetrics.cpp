#include "sheets/TextMetrics.h"

#include <algorithm>

TextExtent MeasureText(const TextMetrics& metrics, const cmcFont& font, std::string_view text) {
    TextExtent total;
    for (;;) {
        const std::size_t end = text.find('\n');
        const TextExtent line = metrics.MeasureLine(font, text.substr(0, end));
        total.width = std::max(total.width, line.width);
        total.height += line.height;
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return total;
}
