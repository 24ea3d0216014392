#include "overlay/TextNumber.h"

#include <limits>

std::int32_t Saturate(std::int64_t value) {
    constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value < lo ? lo : value > hi ? hi : value);
}

std::int32_t ParseNumber(std::string_view text, std::size_t* used) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::size_t digitsFrom = i;
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value <= std::int64_t{1} << 40) value = value * 10 + (text[i] - '0');
    }
    if (i == digitsFrom) {
        if (used) *used = 0;
        return 0;
    }
    if (used) *used = i;
    return Saturate(negative ? -value : value);
}
