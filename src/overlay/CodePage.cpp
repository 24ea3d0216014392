#include "overlay/CodePage.h"

#include <array>

namespace {

void markRange(std::array<bool, 256>& lead, int from, int to) {
    for (int b = from; b <= to; ++b) lead[static_cast<std::size_t>(b)] = true;
}

}  // namespace

CodePageLeadBytes& OverlayLeadBytes() {
    static CodePageLeadBytes table;
    return table;
}

CodePageLeadBytes LeadBytesOf(int codePage) {
    CodePageLeadBytes t;
    t.codePage = codePage;
    switch (codePage) {
        case 932:
            markRange(t.lead, 0x81, 0x9F);
            markRange(t.lead, 0xE0, 0xFC);
            break;
        case 936:
        case 949:
        case 950:
            markRange(t.lead, 0x81, 0xFE);
            break;
        default:
            break;
    }
    return t;
}

void SetOverlayCodePage(int codePage) {
    OverlayLeadBytes() = LeadBytesOf(codePage);
}

int OverlayCodePage() {
    return OverlayLeadBytes().codePage;
}

bool IsLeadByte(char c) {
    return OverlayLeadBytes().lead[static_cast<unsigned char>(c)];
}

std::size_t FindUnescaped(std::string_view text, char wanted, std::size_t from) {
    for (std::size_t i = from; i < text.size();) {
        const std::size_t n = CharLength(text, i);
        if (n == 1 && text[i] == wanted) return i;
        i += n == 1 && text[i] == '\\' ? 2 : n;
    }
    return std::string_view::npos;
}

std::size_t FindChar(std::string_view text, std::string_view wanted, std::size_t from) {
    for (std::size_t i = from; i < text.size(); i += CharLength(text, i)) {
        if (CharLength(text, i) == 1 && wanted.find(text[i]) != std::string_view::npos) return i;
    }
    return std::string_view::npos;
}
