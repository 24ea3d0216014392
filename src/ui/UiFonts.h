#pragma once
// The program's toolkit-free font record as a Qt font.

#include "overlay/cmcFont.h"

#include <QFont>

// The largest pixel size a font gets; an overlay height beyond it (up to the saturated
// 32-bit limits) is drawn at this size.
constexpr int kMaxFontPixels = 32767;

QFont ToQFont(const cmcFont& font, const QFont& base);
