#include "image/RadioText.h"

bool isRadioCharacter(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return u >= 0x20 && u <= 0x7E;
}

std::string radioToDisplay(std::string_view codes) {
    std::string out;
    for (char c : codes) {
        if (c == '\0') break;
        out += isRadioCharacter(c) ? c : ' ';
    }
    return out;
}

std::string displayToRadio(std::string_view text, std::size_t length, bool zeroFill) {
    std::string out;
    for (std::size_t i = 0; i < text.size() && out.size() < length; ++i) {
        const unsigned char u = static_cast<unsigned char>(text[i]);
        out += isRadioCharacter(text[i]) ? text[i] : ' ';
        // The continuation bytes of a UTF-8 character belong to the space just written.
        if (u >= 0xC0) {
            while (i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) ++i;
        }
    }
    out.resize(length, zeroFill ? '\0' : ' ');
    return out;
}
