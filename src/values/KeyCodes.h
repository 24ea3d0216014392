#pragma once
// The key and action codes a cell request carries. Keys are their character codes;
// keys without a character (arrows, function keys) arrive as the virtual-key code times
// 256, so they never collide with a character; a double click is its own action.

#include <cstdint>

namespace cellkey {

inline constexpr std::int32_t kNone = 0;
inline constexpr std::int32_t kBackspace = 8;
inline constexpr std::int32_t kEnter = 13;
inline constexpr std::int32_t kEscape = 27;
inline constexpr std::int32_t kSpace = 32;
inline constexpr std::int32_t kDoubleClick = 256;  // acts as Enter

// A key without a character: its virtual-key code times 256.
constexpr std::int32_t VirtualKey(std::int32_t vk) { return vk * 256; }

}  // namespace cellkey
