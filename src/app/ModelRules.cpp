#include "app/ModelRules.h"

#include "overlay/cmcGTex.h"

#include <cstdlib>

#include "app/ImagePreparation.h"

namespace model {

namespace {

std::int32_t word(const cmcEeprom& e, std::int32_t a) {
    if (!e.IsValidIndex(a) || !e.IsValidIndex(a + 1)) return -1;
    return (e.GetByte(a) << 8) | e.GetByte(a + 1);
}

bool holdsMakerText(const cmcEeprom& e, std::int32_t at) {
    const std::string_view text = imageprep::kMakerText;
    const auto n = static_cast<std::int32_t>(text.size());
    if (!e.IsValidIndex(at) || !e.IsValidIndex(at + n - 1)) return false;
    for (std::int32_t i = 0; i < n; ++i) {
        if (e.GetByte(at + i) != static_cast<std::uint8_t>(text[static_cast<std::size_t>(i)])) return false;
    }
    return true;
}

}  // namespace

bool isLmr(int kind) { return kind == 0 || kind == 1 || kind == 4 || kind == 5; }
bool isP25(int kind) { return kind == 1 || kind == 5; }
bool isBiisPmr(int kind) { return kind == 3 || kind == 7; }
bool isMobile(int kind) { return kind >= 4 && kind <= 7; }
int channelRecordKind(int kind) { return 1 + (kind & 3); }

bool checkFileCodes(std::int32_t modelCode, std::int32_t extraCode, int& code) {
    if (modelCode != kModelCode) {
        code = 3;
        return false;
    }
    if (extraCode != kExtraCode && extraCode != kAcceptedExtraCode) {
        code = 4;
        return false;
    }
    return true;
}

bool checkMapRevision(std::int32_t revision) { return revision == kMapRevision; }

std::string familyText(int kind) {
    static const char* const kTexts[kKinds] = {"LMR",     "LmrP25",     "PMR",     "PMRB",
                                               "LMR_Mob", "LmrP25_Mob", "PMR_Mob", "PMRB_Mob"};
    return isKind(kind) ? kTexts[kind] : "";
}

int detectModelKind(const cmcEeprom& image) {
    const std::uint8_t a = image.GetByte(0x168FD);
    const bool b = (image.GetByte(0x168FE) & 0x40) == 0;
    const bool handheld = (image.GetByte(0x000C) & 0x20) != 0;
    if (handheld) return (a & 0x10) ? (b ? 2 : 3) : ((a & 0x08) ? 1 : 0);
    if (a & 0x10) return b ? 6 : 7;
    return (a & 0x08) ? 5 : 4;
}

int checkMakerIdentity(const cmcEeprom& received, const cmcEeprom& current, bool withIdentityText) {
    if (word(received, 0x000) != 0x2893) return 1;
    if (!received.IsValidIndex(0x002) || received.GetByte(0x002) != 1) return 1;
    if (!current.IsValidIndex(0x108) || current.GetByte(0x108) != kMapRevision) return 1;
    if (!withIdentityText) return 0;
    if (!holdsMakerText(received, 0x100)) return 1;
    if (word(received, 0x10A) != kModelCode) return 1;
    const std::int32_t usedEnd = word(received, imageprep::kUsedEnd);
    const std::int32_t base = word(received, imageprep::kBaseAddress);
    // Where the packing put the maker text; a position outside the data rejects.
    return holdsMakerText(received, imageprep::kPackedStart + usedEnd - 8 - base) ? 0 : 1;
}

}  // namespace model

namespace model {

bool newerDataLocked(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kNewerDataByte = 0x17A20;
    const bool lockout = std::atoi(GTex().GetLine("GI_Sys_LockoutNewerData", 0).c_str()) != 0;
    return lockout && size > kNewerDataByte && data[kNewerDataByte] != 0;
}

}  // namespace model
