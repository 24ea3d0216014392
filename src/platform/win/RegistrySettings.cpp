// The settings backend on Windows: the registry itself, under HKEY_CURRENT_USER.

#include "platform/SettingsStore.h"

#include <windows.h>

#include <cstring>
#include <memory>

namespace platform {

namespace {

class RegistrySettings : public SettingsStore {
public:
    explicit RegistrySettings(std::string keyPath) : keyPath_(std::move(keyPath)) {}

    bool hasSubkey(const std::string& subkey) const override {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, Path(subkey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }

    std::optional<SettingValue> read(const std::string& subkey, const std::string& name) const override {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, Path(subkey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return std::nullopt;
        DWORD type = 0, size = 0;
        std::optional<SettingValue> result;
        if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
            std::string data(size, '\0');
            if (RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) ==
                ERROR_SUCCESS) {
                if (type == REG_DWORD && size == sizeof(DWORD)) {
                    DWORD v = 0;
                    memcpy(&v, data.data(), sizeof v);
                    result = static_cast<std::int32_t>(v);
                } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
                    data.resize(size);
                    while (!data.empty() && data.back() == '\0') data.pop_back();
                    result = data;
                } else {
                    result = ForeignValue{};
                }
            }
        }
        RegCloseKey(key);
        return result;
    }

    bool write(const std::string& subkey, const std::string& name, const SettingValue& value) override {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, Path(subkey).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return false;
        LONG rc = ERROR_INVALID_DATA;
        if (auto* i = std::get_if<std::int32_t>(&value)) {
            const DWORD v = static_cast<DWORD>(*i);
            rc = RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
        } else if (auto* s = std::get_if<std::string>(&value)) {
            rc = RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(s->c_str()),
                                static_cast<DWORD>(s->size() + 1));
        }
        RegCloseKey(key);
        return rc == ERROR_SUCCESS;
    }

    // Each registry write is durable as it is made.
    bool flush() override { return true; }

private:
    std::string Path(const std::string& subkey) const { return keyPath_ + "\\" + subkey; }
    std::string keyPath_;
};

}  // namespace

std::unique_ptr<SettingsStore> makeUserSettingsStore(const std::string& keyPath) {
    return std::make_unique<RegistrySettings>(keyPath);
}

}  // namespace platform
