// Arbitrary bytes as an overlay, read from a file and from memory. A fatal stop of the
// design ("GTEX Error !") is an expected outcome: the presenter turns it into an exception
// that ends the input. A crash, a hang or a sanitizer report is a bug.
//
// When the text is plain (no CR, no NUL, no line over 8,191 characters) both stores must
// agree line for line with a naive reading of the same lines, lookup after lookup, so
// that a slip of the cursors, the cache or the key list shows as a wrong line.

#include "platform/FatalStop.h"
#include "overlay/cmcGTex.h"

#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

struct FatalStopped {};

std::string& TempPath() {
    static std::string path;
    return path;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t lf = text.find('\n', from);
        const std::size_t end = lf == std::string::npos ? text.size() : lf;
        lines.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    return lines;
}

bool IsKeyLine(const std::string& line) {
    return line.size() >= 2 && line[0] == '#';
}

// The naive reading: every line in a vector, each key at its first key line.
struct Model {
    std::vector<std::string> lines;
    std::size_t readable = 0;  // lines a lookup may reach
    std::size_t end = 0;       // the first end marker
    std::map<std::string, std::size_t> keys;

    void Index() {
        for (std::size_t i = 0; i <= end; ++i) {
            if (IsKeyLine(lines[i])) keys.emplace(lines[i].substr(1), i);
        }
    }
    std::optional<std::string> Line(const std::string& key, int n) const {
        const auto k = keys.find(key);
        if (k == keys.end() || n < 0 || k->second + 1 + static_cast<std::size_t>(n) >= readable) return std::nullopt;
        return lines[k->second + 1 + static_cast<std::size_t>(n)];
    }
    std::optional<std::string> Block(const std::string& key) const {
        std::string block;
        for (int n = 0;; ++n) {
            const auto line = Line(key, n);
            if (!line) return std::nullopt;
            if (!line->empty() && (*line)[0] == '#') return block;
            if (n > 0) block += '\n';
            block += *line;
        }
    }
};

// A small deterministic generator, so that each input replays the same lookups.
struct Rng {
    std::uint64_t s;
    std::uint32_t Next() {
        s = s * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(s >> 33);
    }
};

std::optional<std::string> Guarded(const std::function<std::string()>& lookup) {
    try {
        return lookup();
    } catch (const FatalStopped&) {
        return std::nullopt;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    platform::setFatalPresenter([](const std::string&, const std::string&) { throw FatalStopped{}; });
    char path[] = "/tmp/fuzz_overlay-XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0) std::abort();
    ::close(fd);
    TempPath() = path;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t control = data[0];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    // Both stores read the same lines, ended by the end marker.
    std::string fileText = text;
    if (!fileText.empty() && fileText.back() != '\n') fileText += '\n';
    fileText += "#End_Of_Ovl\n";
    std::FILE* f = std::fopen(TempPath().c_str(), "wb");
    if (!f) std::abort();
    std::fwrite(fileText.data(), 1, fileText.size(), f);
    std::fclose(f);

    Model model;
    model.lines = SplitLines(fileText);
    std::vector<const char*> pointers;
    for (const auto& line : model.lines) pointers.push_back(line.c_str());
    pointers.push_back(nullptr);
    model.end = 0;
    while (model.lines[model.end] != "#End_Of_Ovl") ++model.end;
    model.Index();

    bool plain = text.find_first_of(std::string("\r\0", 2)) == std::string::npos;
    for (const auto& line : model.lines) plain = plain && line.size() <= cmcGTex::kMaxLineLength;

    std::vector<std::string> keys = {"End_Of_Ovl", "Missing", ""};
    for (const auto& line : model.lines) {
        if (IsKeyLine(line) && keys.size() < 64) keys.push_back(line.substr(1));
    }

    cmcGTex file, memory;
    file.AttachFile(TempPath());
    memory.AttachLines(pointers.data());
    const bool fromFile = control & 1;
    cmcGTex& store = fromFile ? file : memory;
    model.readable = fromFile ? model.lines.size() : model.end + 1;

    Rng rng{control * 0x9E3779B97F4A7C15ULL + size};
    for (int op = 0; op < 48; ++op) {
        // Mostly keys of the text, now and then a key that is missing or a negative line.
        const bool real = keys.size() > 3 && rng.Next() % 8 != 0;
        const std::string& key = real ? keys[3 + rng.Next() % (keys.size() - 3)] : keys[rng.Next() % 3];
        const int n = rng.Next() % 16 == 0 ? -1 : static_cast<int>(rng.Next() % 10);
        const bool block = rng.Next() % 4 == 0;
        const auto got = Guarded([&] { return block ? store.GetBlock(key) : store.GetLine(key, n); });
        if (plain) {
            const auto expected = block ? model.Block(key) : model.Line(key, n);
            if (got != expected) __builtin_trap();
        }
        if (!got) break;  // the program would have ended here
    }
    return 0;
}
