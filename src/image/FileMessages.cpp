#include "image/FileMessages.h"

#include "overlay/cmcGTex.h"

#include <array>

std::string_view fileErrorKey(int code) {
    static constexpr std::array<std::string_view, 10> kKeys = {
        "",
        "GI_Mess_FileErr_FileOpen",
        "GI_Mess_FileErr_FileAccess",
        "GI_Mess_FileErr_Model",
        "GI_Mess_FileErr_Extra",
        "GI_Mess_FileErr_MapRev",
        "GI_Mess_FileErr_Format",
        "GI_Mess_FileErr_Coverage",
        "GI_Mess_FileErr_Data",
        "GI_Mess_FileErr_Newer",
    };
    if (code < 1 || code > 9) return {};
    return kKeys[static_cast<std::size_t>(code)];
}

std::string overlayBlock(std::string_view key) { return GTex().GetBlock(key); }
std::string overlayLine(std::string_view key, int n) { return GTex().GetLine(key, n); }
