#include "platform/SerialPort.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace platform {

StoredComPortLookup& storedComPortLookup() {
    static StoredComPortLookup lookup;
    return lookup;
}

namespace {

// "ttyUSB12" with prefix "ttyUSB" -> 12; names that are not prefix + digits are skipped.
std::optional<long> deviceNumber(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    long n = 0;
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9' || n > 1'000'000) return std::nullopt;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}
}  // namespace

SerialPorts& serialPorts() { return Installed<SerialPorts>::orFallback(systemSerialPorts); }

std::vector<std::string> presentSerialDevices(const std::string& directory) {
    std::vector<std::string> result;
    std::error_code ec;
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory, ec)) {
        names.push_back(entry.path().filename().string());
    }
    for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"}) {
        std::vector<std::pair<long, std::string>> group;
        for (const auto& name : names) {
            if (auto n = deviceNumber(name, prefix)) group.emplace_back(*n, name);
        }
        std::sort(group.begin(), group.end());
        for (const auto& [n, name] : group) result.push_back((std::filesystem::path(directory) / name).string());
    }
    return result;
}

std::string resolveComPort(int number, const ComPortSources& sources) {
    if (number < 1) return {};
    const std::string name = "COM" + std::to_string(number);
    if (sources.environment) {
        if (auto path = sources.environment("TRELVIX_" + name); path && !path->empty()) return *path;
    }
    if (sources.stored) {
        if (auto path = sources.stored(number); path && !path->empty()) return *path;
    }
    const auto present = presentSerialDevices(sources.deviceDirectory);
    if (static_cast<std::size_t>(number) <= present.size()) return present[static_cast<std::size_t>(number) - 1];
    return {};
}

ComPortSources systemComPortSources() {
    ComPortSources sources;
    sources.environment = [](const std::string& name) -> std::optional<std::string> {
        const char* value = std::getenv(name.c_str());
        if (!value) return std::nullopt;
        return std::string(value);
    };
    sources.stored = [](int number) -> std::optional<std::string> {
        const StoredComPortLookup& lookup = storedComPortLookup();
        if (!lookup) return std::nullopt;
        return lookup(number);
    };
    return sources;
}

}  // namespace platform
