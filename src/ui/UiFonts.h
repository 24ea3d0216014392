#pragma once
// The program's toolkit-free font record as a Qt font.

#include "overlay/cmcFont.h"

#include <QFont>

QFont ToQFont(const cmcFont& font, const QFont& base);
