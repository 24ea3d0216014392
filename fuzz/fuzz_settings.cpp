// Fuzz target for the settings file: any text either parses or is refused as a whole, and
// what parses writes back to a text that parses to the same values.

#include "platform/SettingsStore.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string kRoot = "HKEY_CURRENT_USER\\Software\\Vorn\\Tarsel";
    const std::string text(reinterpret_cast<const char*>(data), size);
    platform::SettingsTree::Subkeys inside, outside;
    if (!platform::parseRegText(text, kRoot, inside, outside)) return 0;
    const std::string written = platform::formatRegText(inside, kRoot, outside);
    platform::SettingsTree::Subkeys inside2, outside2;
    if (!platform::parseRegText(written, kRoot, inside2, outside2)) std::abort();
    if (inside2 != inside || outside2 != outside) std::abort();
    return 0;
}
