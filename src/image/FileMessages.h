#pragma once
// The overlay texts of the data-file messages, in one place.

#include <string>
#include <string_view>

// The overlay key of a data-file result code; empty for 0 and codes outside 1..9.
std::string_view fileErrorKey(int code);

// Overlay lookups used by the data-file messages: all lines of a key joined with line
// breaks, and one line of a key.
std::string overlayBlock(std::string_view key);
std::string overlayLine(std::string_view key, int n);
