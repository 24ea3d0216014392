#include "platform/SettingsStore.h"

namespace platform {

std::unique_ptr<SettingsStore> makeUserSettingsStore(const std::string& keyPath) {
    return std::make_unique<RegFileSettings>(RegFileSettings::defaultPath(), "HKEY_CURRENT_USER\\" + keyPath);
}

}  // namespace platform
