#include "overlay/cmcHash.h"

std::uint32_t cmcHashBucket(std::string_view text, std::uint32_t buckets) {
    if (buckets == 0) buckets = cmcHashTable<int>::kDefaultBuckets;
    const std::uint32_t half = buckets / 2;
    std::uint32_t h = 0;
    std::uint32_t s = half;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<std::int32_t>(static_cast<signed char>(text[i]));
        h = h * 2 + s + static_cast<std::uint32_t>(c);
        const auto after = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
        if (after & 1u) {
            s /= 2;
            if (s == 0) s = half;
        }
    }
    return h % buckets;
}
