#include "values/CloneInfoText.h"

#include "overlay/cmcGTex.h"

#include <cstdio>

namespace cloneinfo {

namespace {

bool Bit(Block b, std::size_t at, int bit) { return (b[at] >> bit) & 1; }

int Hex(std::uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The hexadecimal number of `n` characters at `at`; -1 when one is no digit.
long HexNumber(Block b, std::size_t at, std::size_t n) {
    long v = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const int d = Hex(b[at + i]);
        if (d < 0) return -1;
        v = v << 4 | d;
    }
    return v;
}

}  // namespace

std::string Model(Block b) {
    int n = Bit(b, 51, 2) ? 0 : 4;
    if (Bit(b, 52, 0)) {
        n += 2 + (Bit(b, 52, 3) ? 1 : 0);
    } else if (Bit(b, 52, 4)) {
        n += 1;
    }
    return GTex().GetLine("GI_AppInd_Model", n) + "\n" + GTex().GetLine("GI_Mess_CloneInfo_Model", Bit(b, 51, 2)) +
           "\n" + GTex().GetLine("GI_Mess_CloneInfo_TenKey", Bit(b, 51, 3));
}

std::string Revision(Block b) { return std::to_string(b[34] >> 4) + "." + std::to_string(b[34] & 0x0F); }

std::string Comment(Block b, int which) {
    const std::size_t at = which == 2 ? 17 : 1;
    return std::string(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + 16));
}

std::vector<std::string> Options(Block b) {
    std::vector<std::string> out;
    auto add = [&](const char* key) { out.push_back(GTex().GetLine(key, 0)); };
    const std::uint8_t b49 = b[49] & 0x07, b50 = b[50], b51 = b[51];
    if (b50 & 0x20) add(b50 & 0x10 ? "GI_Mess_CloneInfo_Opt_Galen" : "GI_Mess_CloneInfo_Opt_Ferrin");
    if (b49 == 0x02 && (b50 & 0x03) == 1) add("GI_Mess_CloneInfo_Opt_Hollis");
    if (b50 & 0x04) add("GI_Mess_CloneInfo_Opt_Corvel");
    if (b49 == 0x01) add("GI_Mess_CloneInfo_Opt_Dashel");
    if (b50 & 0x08) add("GI_Mess_CloneInfo_Opt_Ismer");
    if (b51 & 0x40) add("GI_Mess_CloneInfo_Opt_Brisk");
    const int digital = (b51 >> 4) & 0x03;
    if (!(b51 & 0x01) && (digital == 1 || digital == 2)) {
        std::string text = GTex().GetLine("GI_Mess_CloneInfo_Opt_Digi", digital);
        if (b[76] != 0) {
            char rev[32];
            std::snprintf(rev, sizeof rev, "(Rev:%c.%c)", b[76], b[77]);
            text += rev;
            const long sum = HexNumber(b, 82, 4);
            char s[32];
            std::snprintf(s, sizeof s, "  Sum:$%04lX", sum < 0 ? 0 : sum);
            text += s;
        }
        out.push_back(text);
    }
    return out;
}

std::string OverVoltage(Block b) { return Bit(b, 53, 5) ? GTex().GetLine("GI_Mess_CloneInfo_OverVolt", 0) : ""; }

std::string SerialNumber(Block b) {
    if (HexNumber(b, 37, 12) < 0) return {};
    char text[32];
    std::snprintf(text, sizeof text, "%02ld%05ld", HexNumber(b, 37, 2), HexNumber(b, 39, 6));
    return text;
}

std::string CheckSum(Block b) {
    const long sum = HexNumber(b, 60, 4);
    char text[32];
    std::snprintf(text, sizeof text, "$%04lX", sum < 0 ? 0 : sum);
    return text;
}

}  // namespace cloneinfo
