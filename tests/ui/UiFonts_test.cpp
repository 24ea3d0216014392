#include "ui/UiFonts.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "QtTestApp.h"

namespace {

TEST(UiFonts, HeightBecomesAPixelSizeEvenAtTheSaturationLimits) {
    EnsureQtTestApp();
    constexpr std::int32_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t hi = std::numeric_limits<std::int32_t>::max();
    struct Case {
        std::int32_t height;
        int pixels;
    };
    // Negative: the character height; positive: the cell height, four fifths of it the
    // character; beyond the largest pixel size a font may have, that size.
    const Case cases[] = {{-11, 11}, {20, 16}, {1, 1}, {lo, kMaxFontPixels}, {hi, kMaxFontPixels},
                          {-kMaxFontPixels - 1, kMaxFontPixels}, {-kMaxFontPixels, kMaxFontPixels}};
    QFont base;
    base.setPointSize(9);
    for (const Case& c : cases) {
        cmcFont font;
        font.height = c.height;
        EXPECT_EQ(ToQFont(font, base).pixelSize(), c.pixels) << "height " << c.height;
    }
    cmcFont unset;
    unset.height = 0;
    EXPECT_EQ(ToQFont(unset, base).pointSize(), 9) << "height 0 keeps the base size";
}

}  // namespace
