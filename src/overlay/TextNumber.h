#pragma once
// Numbers written in overlay texts: counts, heights, indexes. Read like the C library's
// atoi (leading blanks, a sign, the digits; anything else ends the number, no digits give
// 0), but a number too large for 32 bits saturates instead of being undefined.

#include <cstdint>
#include <string_view>

// Reads a number from the front of `text`; `used` (if given) receives the characters taken.
std::int32_t ParseNumber(std::string_view text, std::size_t* used = nullptr);

// A 64-bit result brought back into 32 bits by saturation.
std::int32_t Saturate(std::int64_t value);
