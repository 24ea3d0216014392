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



// Virtual-key codes of the keys a sheet handles itself.
namespace vk {
inline constexpr std::int32_t kPageUp = 0x21;
inline constexpr std::int32_t kPageDown = 0x22;
inline constexpr std::int32_t kEnd = 0x23;
inline constexpr std::int32_t kHome = 0x24;
inline constexpr std::int32_t kLeft = 0x25;
inline constexpr std::int32_t kUp = 0x26;
inline constexpr std::int32_t kRight = 0x27;
inline constexpr std::int32_t kDown = 0x28;
inline constexpr std::int32_t kF1 = 0x70;
inline constexpr std::int32_t kF12 = 0x7B;
inline constexpr std::int32_t kReturn = 0x0D;
inline constexpr std::int32_t kEscape = 0x1B;
}  // namespace vk
}  // namespace cellkey
