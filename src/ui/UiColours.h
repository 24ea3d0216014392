#pragma once
// The program's colour values (0x00BBGGRR, or 0x80000000 + a system colour index) as
// Qt colours; system colours come from the application palette.

#include <QColor>

#include <cstdint>

QColor ToQColor(std::uint32_t colour);
