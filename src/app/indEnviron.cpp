#include "app/indEnviron.h"

#include "overlay/cmcGTex.h"
#include "platform/Dialogs.h"
#include "platform/FatalStop.h"

#include <algorithm>
#include <cstdio>

namespace {

using platform::SettingValue;

std::int32_t clamp(std::int32_t v, std::int32_t lo, std::int32_t hi) { return std::min(std::max(v, lo), hi); }

// The integer settings as stored: subkey, value name, member, and the rule applied when
// loading. Load and save both walk this table.
struct IntSetting {
    const char* subkey;
    const char* name;
    std::int32_t indEnviron::*member;
    std::int32_t (*onLoad)(std::int32_t);
};

std::int32_t asIs(std::int32_t v) { return v; }

const IntSetting kIntSettings[] = {
    {"Global", "BBT", &indEnviron::validity, asIs},
    {"Global", "ComPort", &indEnviron::comPort, [](std::int32_t v) { return clamp(v, 1, 256); }},
    {"Global", "ComSpeedHigh", &indEnviron::comSpeedHigh, [](std::int32_t v) { return clamp(v, 0, 1); }},
    {"View Option", "FontSize Percentage", &indEnviron::fontSizePercentage,
     [](std::int32_t v) { return clamp(v, 25, 1000); }},
    {"View Option", "Toolbar Visible", &indEnviron::toolbarVisible, [](std::int32_t v) { return v ? 1 : 0; }},
    {"Window Position", "Left", &indEnviron::left, asIs},
    {"Window Position", "Top", &indEnviron::top, asIs},
    {"Window Position", "Width", &indEnviron::width, asIs},
    {"Window Position", "Height", &indEnviron::height, asIs},
    {"Window Position", "SplitterV", &indEnviron::splitterV, asIs},
    {"Setup", "ModelType", &indEnviron::modelType,
     [](std::int32_t v) { return static_cast<std::int32_t>(static_cast<std::int8_t>(v)); }},
};

constexpr const char* kGlobal = "Global";
constexpr const char* kCurrentDirectory = "Current Directory";
constexpr const char* kRecentKey = "Recent File List";
constexpr const char* kEditFormKey = "EditForm Position";
const char* const kEditFormFields[] = {"Left", "Top", "Width", "Height", "WindowState"};

std::string recentName(int i) { return "Recent" + std::to_string(i); }

std::optional<std::int32_t> readInt(const platform::SettingsStore& store, const std::string& subkey,
                                    const std::string& name) {
    auto v = store.read(subkey, name);
    if (!v) return std::nullopt;
    if (auto* i = std::get_if<std::int32_t>(&*v)) return *i;
    return std::nullopt;
}

// A missing string reads as empty; a value of another type is a failure.
std::optional<std::string> readText(const platform::SettingsStore& store, const std::string& subkey,
                                    const std::string& name) {
    auto v = store.read(subkey, name);
    if (!v) return std::string();
    if (auto* s = std::get_if<std::string>(&*v)) return *s;
    return std::nullopt;
}

}  // namespace

indEnviron::indEnviron(const std::string& mutexName, platform::SettingsStore& store, platform::InstanceLock& lock,
                       ScreenSize screen)
    : store_(store), lock_(lock), screen_(screen) {
    firstInstance_ = lock_.acquire(mutexName);
    if (!firstInstance_) return;
    if (!Load() || validity != kValid) ApplyDefaults();
}

indEnviron::~indEnviron() {
    if (!firstInstance_) return;
    // No window is left to show a box on: a failure goes to standard error only.
    SaveOnce(false);
    lock_.release();
}

bool indEnviron::SaveOnce(bool showBox) {
    if (!firstInstance_ || saved_ || validity != kValid) return true;
    saved_ = true;
    if (Save()) return true;
    // Standard error gets a fixed text: it may be written after the overlay is gone. The
    // box, shown while the window is there, speaks the overlay's words.
    const std::string where = store_.location();
    std::fprintf(stderr, "trelvix: The settings could not be saved to %s. The settings saved before are kept.\n",
                 where.empty() ? "the settings store" : where.c_str());
    if (showBox) {
        platform::dialogs().message({platform::formatOne(GTex().GetBlock("GI_AppMess_SettingsSaveFailed"), where),
                                     GTex().GetLine("GI_Sys_AppTitle_ADJ", 0), platform::DlgIcon::Warning,
                                     platform::DlgButtons::Ok});
    }
    return false;
}

void indEnviron::ApplyDefaults() {
    validity = kValid;
    comPort = 1;
    comSpeedHigh = 0;
    currentDirectory.clear();
    recent_.clear();
    fontSizePercentage = 100;
    toolbarVisible = 1;
    width = std::min(static_cast<std::int32_t>(screen_.width * 0.9), 800);
    height = std::min(static_cast<std::int32_t>(screen_.height * 0.9), 600);
    left = (screen_.width - width) / 2;
    top = static_cast<std::int32_t>((screen_.height - height) * 0.3);
    splitterV = 200;
    modelType = 4;
}

bool indEnviron::Load() {
    // Subkeys must exist, integers must exist and be integers; any miss means defaults.
    for (const char* subkey : {kGlobal, kRecentKey, "View Option", "Window Position", "Setup"}) {
        if (!store_.hasSubkey(subkey)) return false;
    }
    for (const IntSetting& s : kIntSettings) {
        auto v = readInt(store_, s.subkey, s.name);
        if (!v) return false;
        this->*s.member = s.onLoad(*v);
    }
    auto dir = readText(store_, kGlobal, kCurrentDirectory);
    if (!dir) return false;
    currentDirectory = *dir;
    for (int i = 0; i < kRecentMax; ++i) {
        auto path = readText(store_, kRecentKey, recentName(i));
        if (!path) return false;
        RecentAppend(*path);
    }
    return true;
}

bool indEnviron::Save() {
    // A refused write does not stop the others: what can be kept is kept, and the failure
    // is reported once. The file backend makes the whole save durable at once in flush.
    bool ok = true;
    auto put = [this, &ok](const std::string& subkey, const std::string& name, const SettingValue& v) {
        ok = store_.write(subkey, name, v) && ok;
    };
    for (const IntSetting& s : kIntSettings) {
        put(s.subkey, s.name, this->*s.member);
    }
    put(kGlobal, kCurrentDirectory, currentDirectory);
    for (int i = 0; i < kRecentMax; ++i) put(kRecentKey, recentName(i), RecentItem(i));
    for (const EditWindowPos& e : editWindows_) {
        const std::int32_t values[] = {e.left, e.top, e.width, e.height, e.windowState};
        for (int f = 0; f < 5; ++f) put(kEditFormKey, e.name + "_" + kEditFormFields[f], values[f]);
    }
    return store_.flush() && ok;
}

void indEnviron::StoreEditWindowPos(const EditWindowPos& pos) {
    editWindows_.remove_if([&](const EditWindowPos& e) { return e.name == pos.name; });
    editWindows_.push_front(pos);
}

const EditWindowPos* indEnviron::FindEditWindowPos(const std::string& name) {
    for (const EditWindowPos& e : editWindows_) {
        if (e.name == name) return &e;
    }
    if (validity != kValid) return nullptr;
    std::int32_t values[5];
    for (int f = 0; f < 5; ++f) {
        auto v = readInt(store_, kEditFormKey, name + "_" + kEditFormFields[f]);
        if (!v) return nullptr;
        values[f] = *v;
    }
    EditWindowPos e;
    e.name = name;
    e.left = values[0];
    e.top = values[1];
    e.width = values[2];
    e.height = values[3];
    e.windowState = values[4];
    editWindows_.push_front(e);
    return &editWindows_.front();
}

void indEnviron::RecentAppend(const std::string& path) {
    // Unused slots are stored as empty texts; they are not files to offer again.
    if (path.empty()) return;
    std::erase_if(recent_, [&](const std::string& p) { return platform::EqualsNoCase(p, path); });
    recent_.push_back(path);
    while (static_cast<int>(recent_.size()) > kRecentMax) recent_.pop_back();
}

void indEnviron::RecentAddFront(const std::string& path) {
    std::erase_if(recent_, [&](const std::string& p) { return platform::EqualsNoCase(p, path); });
    recent_.insert(recent_.begin(), path);
    while (static_cast<int>(recent_.size()) > kRecentMax) recent_.pop_back();
}

std::string indEnviron::RecentItem(int index) const {
    return index >= 0 && index < RecentCount() ? recent_[static_cast<std::size_t>(index)] : std::string();
}
