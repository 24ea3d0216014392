#include "ui/QtTextMetrics.h"

#include "ui/UiFonts.h"

#include <QApplication>

const QtTextMetrics::Entry& QtTextMetrics::Find(const cmcFont& font) const {
    if (last_ && last_->key == font) return *last_;
    for (const auto& e : cache_) {
        if (e->key == font) return *(last_ = e.get());
    }
    QFont q = ToQFont(font, QApplication::font());
    cache_.push_back(std::make_unique<Entry>(Entry{font, q, QFontMetrics(q)}));
    return *(last_ = cache_.back().get());
}

const QFont& QtTextMetrics::FontOf(const cmcFont& font) const { return Find(font).font; }
const QFontMetrics& QtTextMetrics::MetricsOf(const cmcFont& font) const { return Find(font).metrics; }

TextExtent QtTextMetrics::MeasureLine(const cmcFont& font, std::string_view line) const {
    const QFontMetrics& m = Find(font).metrics;
    const QString text = QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    return {m.horizontalAdvance(text), m.height()};
}
