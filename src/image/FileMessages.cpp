#include "image/FileMessages.h"

#include <array>
#include <utility>

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

// Until the overlay store joins the program the texts of data/Trelvix.OVL are kept here.
namespace {
std::string builtIn(std::string_view key) {
    static const std::pair<std::string_view, std::string_view> kTexts[] = {
        {"GI_Mess_FileErr_Headline", "The data file could not be used."},
        {"GI_Mess_FileErr_FileOpen", "The file cannot be opened."},
        {"GI_Mess_FileErr_FileAccess", "The file could not be written. The previous file is unchanged."},
        {"GI_Mess_FileErr_Model", "The file belongs to another radio model."},
        {"GI_Mess_FileErr_Extra", "The file belongs to another version of this radio model."},
        {"GI_Mess_FileErr_MapRev", "The file has no memory map revision, or one this program cannot use."},
        {"GI_Mess_FileErr_Format", "The file is not a data file, or it is damaged."},
        {"GI_Mess_FileErr_Coverage", "The file does not hold all the data the radio needs."},
        {"GI_Mess_FileErr_Data", "The file holds data outside the radio's memory."},
        {"GI_Mess_FileErr_Newer", "The file was made by a newer program."},
        {"GI_Sys_AppTitle_ADJ", "Trelvix"},
    };
    for (const auto& [k, text] : kTexts) {
        if (k == key) return std::string(text);
    }
    return std::string(key);
}
}  // namespace

std::string overlayBlock(std::string_view key) { return builtIn(key); }
std::string overlayLine(std::string_view key, int /*n*/) { return builtIn(key); }
