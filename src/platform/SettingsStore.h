#pragma once
// Settings backend seam: typed values (32-bit integers and strings) under named subkeys,
// as the Windows registry holds them. Names of subkeys and values compare without regard
// to case, as in the registry.
//
// Backends: the registry itself (Windows), a per-user file in the registry's own export
// format (elsewhere), and an in-memory tree for tests.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace platform {

// A value of a type the program does not read (binary, multi-string, ...), kept as its
// text so that a file backend can write it back unchanged.
struct ForeignValue {
    std::string text;
    bool operator==(const ForeignValue&) const = default;
};

using SettingValue = std::variant<std::int32_t, std::string, ForeignValue>;

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // `subkey` is a path below the root key, with "\" between its parts.
    virtual bool hasSubkey(const std::string& subkey) const = 0;
    // The value, or nothing when it (or its subkey) is missing.
    virtual std::optional<SettingValue> read(const std::string& subkey, const std::string& name) const = 0;
    // Creates the subkey when missing. False when the store refuses the write.
    virtual bool write(const std::string& subkey, const std::string& name, const SettingValue& value) = 0;
    // Makes the writes durable (the file backend writes its file here). False on failure.
    virtual bool flush() = 0;
    // Where the settings are kept, for messages to the user; empty when there is nothing
    // the user could look at.
    virtual std::string location() const { return {}; }
};

// Registry names, and the file paths the settings keep, compare without regard to case.
struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const;
};
bool EqualsNoCase(std::string_view a, std::string_view b);

// Subkeys and their values in memory: the shared body of the file backend and the test
// double.
class SettingsTree : public SettingsStore {
public:
    using Values = std::map<std::string, SettingValue, NoCaseLess>;
    using Subkeys = std::map<std::string, Values, NoCaseLess>;

    bool hasSubkey(const std::string& subkey) const override;
    std::optional<SettingValue> read(const std::string& subkey, const std::string& name) const override;
    bool write(const std::string& subkey, const std::string& name, const SettingValue& value) override;
    bool flush() override { return true; }

    const Subkeys& subkeys() const { return subkeys_; }
    void clear() { subkeys_.clear(); }
    void removeValue(const std::string& subkey, const std::string& name);

protected:
    Subkeys subkeys_;
};

// The registry export text of a tree below `rootKey` (for example
// "HKEY_CURRENT_USER\Software\Vorn\Tarsel"), and back. Sections outside the root are
// kept with their full path in `outside`, so they survive a rewrite.
std::string formatRegText(const SettingsTree::Subkeys& subkeys, const std::string& rootKey,
                          const SettingsTree::Subkeys& outside);
// Parses export text; false when the text is not in the format (nothing is kept then).
bool parseRegText(const std::string& text, const std::string& rootKey, SettingsTree::Subkeys& subkeys,
                  SettingsTree::Subkeys& outside);

// The user's settings below `keyPath` (for example "Software\Vorn\Tarsel"): the registry
// on Windows, elsewhere the per-user file of RegFileSettings::defaultPath().
std::unique_ptr<SettingsStore> makeUserSettingsStore(const std::string& keyPath);

// The per-user settings file `path` in registry export format. Loaded at construction (a
// missing or unreadable file is an empty store); `flush` writes the whole file through a
// temporary file and a rename, so a failed write leaves the previous file intact.
class RegFileSettings : public SettingsTree {
public:
    RegFileSettings(std::string path, std::string rootKey);
    bool flush() override;

    // $XDG_CONFIG_HOME (or ~/.config) + "/Vorn/Tarsel.reg".
    static std::string defaultPath();
    const std::string& path() const { return path_; }
    std::string location() const override { return path_; }

private:
    std::string path_;
    std::string rootKey_;
    Subkeys outside_;
};

}  // namespace platform
