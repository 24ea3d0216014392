#include "ui/ProcessStores.h"

#include "platform/FatalStop.h"
#include "platform/SettingsStore.h"

#include <optional>
#include <string_view>
#include <variant>

namespace {

// Attaching only names the file; reading a key opens it. Reading one now makes a missing
// or unreadable overlay stop the program at start-up, with the store's own text, and not
// at the first text some window would show.
template <class Store>
Store& AttachedOrStop(Store& store, const std::string& path, std::string_view firstKey) {
    if (!AttachProductOverlay(store, path)) platform::fatalStop(platform::formatOne(kGTexMissingKeyText, firstKey));
    store.GetLine(firstKey, 0);
    return store;
}

// COM n reaches the device path stored under Ports\COM<n>, read when a port is opened.
platform::StoredComPortLookup StoredPortsOf(const platform::SettingsStore& settings) {
    return [&settings](int n) -> std::optional<std::string> {
        const auto value = settings.read("Ports", "COM" + std::to_string(n));
        const std::string* path = value ? std::get_if<std::string>(&*value) : nullptr;
        if (!path || path->empty()) return std::nullopt;
        return *path;
    };
}

}  // namespace

ProcessStores::ProcessStores(const platform::SettingsStore& settings, const std::string& overlayPath)
    : usePortLookup_(StoredPortsOf(settings)),
      useText_(AttachedOrStop(text_, overlayPath, "GI_Sys_AppTitle_ADJ")),
      useHelp_(AttachedOrStop(help_, overlayPath, "GI_AppItem_Topic_ID")) {}
