#pragma once
// Overlay texts may be written in a double-byte code page, where the second byte of a
// character can equal '\\', '|', '{' or ')'. The cell grammar asks here whether a byte
// starts such a pair, so that it never takes half a character for a delimiter.
//
// UTF-8 (the default) needs no such care: every byte of a multi-byte character is 0x80 or
// above, so no ASCII delimiter ever appears inside one.

#include "platform/Installed.h"

#include <array>
#include <cstddef>
#include <string_view>

inline constexpr int kCodePageUtf8 = 65001;

// 932 (Japanese), 936 (Simplified Chinese), 949 (Korean) and 950 (Traditional Chinese)
// have lead bytes; any other code page is read byte by byte.
void SetOverlayCodePage(int codePage);
int OverlayCodePage();

// The code page in use and the lead bytes it has, kept together as one value so that a
// scope can put back exactly what it found.
struct CodePageLeadBytes {
    int codePage = kCodePageUtf8;
    std::array<bool, 256> lead{};
};
CodePageLeadBytes LeadBytesOf(int codePage);
CodePageLeadBytes& OverlayLeadBytes();

bool IsLeadByte(char c);

// The length of the character at position i: 2 for a lead byte with a byte after it, else 1.
inline std::size_t CharLength(std::string_view text, std::size_t i) {
    return IsLeadByte(text[i]) && i + 1 < text.size() ? 2 : 1;
}

// The position of the first `wanted` character from `from` that is neither escaped by a
// backslash nor half of a double-byte character; npos when there is none.
std::size_t FindUnescaped(std::string_view text, char wanted, std::size_t from = 0);
// The first of the `wanted` characters from `from` that is not half of a double-byte character.
std::size_t FindChar(std::string_view text, std::string_view wanted, std::size_t from = 0);

// Reads the overlay in `codePage` for the lifetime of this object.
class ScopedOverlayCodePage : platform::ScopedSlot<CodePageLeadBytes> {
public:
    explicit ScopedOverlayCodePage(int codePage) : ScopedSlot(OverlayLeadBytes(), LeadBytesOf(codePage)) {}
};
