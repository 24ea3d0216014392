#include "ui/UiFonts.h"

#include <algorithm>
#include <cstdint>

QFont ToQFont(const cmcFont& font, const QFont& base) {
    QFont f = base;
    if (!font.face.empty()) f.setFamily(QString::fromStdString(font.face));
    // A negative height is the character height in pixels; a positive one the cell
    // height, of which the character takes about four fifths.
    // Worked out in 64 bits: the overlay saturates heights at the 32-bit limits, whose
    // negation or four-fold would overflow.
    const std::int64_t height = font.height;
    if (height != 0) {
        const std::int64_t pixels = height < 0 ? -height : height * 4 / 5;
        f.setPixelSize(static_cast<int>(std::clamp<std::int64_t>(pixels, 1, kMaxFontPixels)));
    }
    f.setBold(font.style & cmcFont::Bold);
    f.setItalic(font.style & cmcFont::Italic);
    f.setUnderline(font.style & cmcFont::Underline);
    f.setStrikeOut(font.style & cmcFont::StrikeOut);
    if (font.pitch == cmcFont::Pitch::Fixed) f.setFixedPitch(true);
    return f;
}
