#include "platform/SettingsStore.h"

#include "platform/FileReplace.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace platform {

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        return std::tolower(x) < std::tolower(y);
    });
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

bool SettingsTree::hasSubkey(const std::string& subkey) const { return subkeys_.count(subkey) != 0; }

std::optional<SettingValue> SettingsTree::read(const std::string& subkey, const std::string& name) const {
    auto s = subkeys_.find(subkey);
    if (s == subkeys_.end()) return std::nullopt;
    auto v = s->second.find(name);
    if (v == s->second.end()) return std::nullopt;
    return v->second;
}

bool SettingsTree::write(const std::string& subkey, const std::string& name, const SettingValue& value) {
    subkeys_[subkey][name] = value;
    return true;
}

void SettingsTree::removeValue(const std::string& subkey, const std::string& name) {
    auto s = subkeys_.find(subkey);
    if (s != subkeys_.end()) s->second.erase(name);
}

namespace {

constexpr const char* kRegHeader = "Windows Registry Editor Version 5.00";

std::string quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

// Reads a quoted text at `pos` (which holds the opening quote); advances past the closing one.
bool unquote(const std::string& line, std::size_t& pos, std::string& out) {
    if (pos >= line.size() || line[pos] != '"') return false;
    out.clear();
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '\\') {
            if (++pos >= line.size()) return false;
            out += line[pos];
        } else if (c == '"') {
            ++pos;
            return true;
        } else {
            out += c;
        }
    }
    return false;
}

std::string formatValue(const SettingValue& v) {
    if (auto* i = std::get_if<std::int32_t>(&v)) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<std::uint32_t>(*i));
        return buf;
    }
    if (auto* s = std::get_if<std::string>(&v)) return quote(*s);
    return std::get<ForeignValue>(v).text;
}

bool parseValue(const std::string& text, SettingValue& out) {
    if (text.rfind("dword:", 0) == 0) {
        const std::string hex = text.substr(6);
        if (hex.size() != 8 || !std::all_of(hex.begin(), hex.end(), [](unsigned char c) { return std::isxdigit(c); }))
            return false;
        out = static_cast<std::int32_t>(static_cast<std::uint32_t>(std::strtoul(hex.c_str(), nullptr, 16)));
        return true;
    }
    if (!text.empty() && text[0] == '"') {
        std::size_t pos = 0;
        std::string s;
        if (!unquote(text, pos, s) || pos != text.size()) return false;
        out = s;
        return true;
    }
    if (text.empty()) return false;
    out = ForeignValue{text};
    return true;
}

void appendSection(std::string& out, const std::string& path, const SettingsTree::Values& values) {
    out += "\r\n[" + path + "]\r\n";
    for (const auto& [name, value] : values) out += quote(name) + "=" + formatValue(value) + "\r\n";
}

}  // namespace

std::string formatRegText(const SettingsTree::Subkeys& subkeys, const std::string& rootKey,
                          const SettingsTree::Subkeys& outside) {
    std::string out = kRegHeader;
    out += "\r\n";
    for (const auto& [subkey, values] : subkeys) appendSection(out, rootKey + "\\" + subkey, values);
    for (const auto& [path, values] : outside) appendSection(out, path, values);
    return out;
}

bool parseRegText(const std::string& text, const std::string& rootKey, SettingsTree::Subkeys& subkeys,
                  SettingsTree::Subkeys& outside) {
    SettingsTree::Subkeys inside, other;
    std::istringstream in(text);
    std::string line;
    bool headerSeen = false;
    SettingsTree::Values* section = nullptr;
    const std::string prefix = rootKey + "\\";
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        if (!headerSeen) {
            if (line != kRegHeader) return false;
            headerSeen = true;
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']') return false;
            const std::string path = line.substr(1, line.size() - 2);
            const bool below = path.size() > prefix.size() && !NoCaseLess()(path.substr(0, prefix.size()), prefix) &&
                               !NoCaseLess()(prefix, path.substr(0, prefix.size()));
            section = below ? &inside[path.substr(prefix.size())] : &other[path];
            continue;
        }
        std::size_t pos = 0;
        std::string name;
        SettingValue value;
        if (!section || !unquote(line, pos, name) || pos >= line.size() || line[pos] != '=' ||
            !parseValue(line.substr(pos + 1), value))
            return false;
        (*section)[name] = value;
    }
    if (!headerSeen) return false;
    subkeys = std::move(inside);
    outside = std::move(other);
    return true;
}

RegFileSettings::RegFileSettings(std::string path, std::string rootKey)
    : path_(std::move(path)), rootKey_(std::move(rootKey)) {
    std::ifstream in(path_, std::ios::binary);
    if (!in) return;
    std::ostringstream text;
    text << in.rdbuf();
    // A file that is not in the format reads as empty; the program then starts from its
    // defaults and the next save writes a well-formed file.
    if (!parseRegText(text.str(), rootKey_, subkeys_, outside_)) {
        subkeys_.clear();
        outside_.clear();
    }
}

bool RegFileSettings::flush() {
    std::error_code ec;
    const std::filesystem::path parent = std::filesystem::path(path_).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    return replaceFile(path_, formatRegText(subkeys_, rootKey_, outside_)) == ReplaceResult::Ok;
}

std::string RegFileSettings::defaultPath() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.config";
    } else {
        base = ".";
    }
    return base + "/Vorn/Tarsel.reg";
}

}  // namespace platform
