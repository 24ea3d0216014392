#include "ui/QtTextMetrics.h"

#include "ui/UiFonts.h"

#include <QApplication>

const QtTextMetrics::Entry& QtTextMetrics::Find(const cmcFont& font) const {
    if (last_ && last_->key == font) return *last_;
    for (const auto& e : cache_) {
        if (e->key == font) return *(last_ = e.get());
    }
    QFont q = ToQFont(font, QApplication::font());
    cache_.push_back(std::make_unique<Entry>(Entry{font, q, QFontMetrics(q), {}}));
    return *(last_ = cache_.back().get());
}

const QFont& QtTextMetrics::FontOf(const cmcFont& font) const { return Find(font).font; }
const QFontMetrics& QtTextMetrics::MetricsOf(const cmcFont& font) const { return Find(font).metrics; }

TextExtent QtTextMetrics::MeasureLine(const cmcFont& font, std::string_view line) const {
    Entry& e = const_cast<Entry&>(Find(font));
    const std::string key(line);
    if (auto it = e.widths.find(key); it != e.widths.end()) return {it->second, e.metrics.height()};
    if (e.widths.size() >= kWidthCacheSize) e.widths.clear();
    const int width = e.metrics.horizontalAdvance(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
    e.widths.emplace(key, width);
    return {width, e.metrics.height()};
}
