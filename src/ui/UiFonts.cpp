#include "ui/UiFonts.h"

QFont ToQFont(const cmcFont& font, const QFont& base) {
    QFont f = base;
    if (!font.face.empty()) f.setFamily(QString::fromStdString(font.face));
    // A negative height is the character height in pixels; a positive one the cell
    // height, of which the character takes about four fifths.
    if (font.height < 0) {
        f.setPixelSize(-font.height);
    } else if (font.height > 0) {
        f.setPixelSize(std::max(1, font.height * 4 / 5));
    }
    f.setBold(font.style & cmcFont::Bold);
    f.setItalic(font.style & cmcFont::Italic);
    f.setUnderline(font.style & cmcFont::Underline);
    f.setStrikeOut(font.style & cmcFont::StrikeOut);
    if (font.pitch == cmcFont::Pitch::Fixed) f.setFixedPitch(true);
    return f;
}
