#pragma once
// The radio's character codes and the text the program shows for them.
//
// The radio's display set is single-byte: codes 0x20..0x7E are the ASCII characters of
// the same number, and code 0 ends a zero-filled text. Every other code has no glyph the
// program can show and reads as a space, as the program's other text fields do. Typed text
// goes the other way: printable ASCII is kept, anything else (a control character or one
// character of more than one byte in UTF-8) becomes one space, so a field never receives
// a code the radio cannot show.

#include <cstddef>
#include <string>
#include <string_view>

// Radio codes to display text, ending at the first code 0.
std::string radioToDisplay(std::string_view codes);
// Display text to exactly `length` radio codes, filled with spaces, or with code 0 when
// `zeroFill` is set; text beyond `length` characters is cut.
std::string displayToRadio(std::string_view text, std::size_t length, bool zeroFill = false);
// Whether the radio can show the character.
bool isRadioCharacter(char c);
