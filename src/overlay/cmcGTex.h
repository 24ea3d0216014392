#pragma once
// The overlay text store. Every text the user reads and every sheet layout lives in the
// overlay (a text file beside the program, or a fragment of lines held in memory); the
// program only holds keys. GetLine(K, n) returns line n after the key line "#K".
//
// The store is lazy: nothing is read before the first lookup, and key lines are indexed
// only as far as a lookup needs. A missing key is a fatal stop, because the program
// cannot run with an overlay that does not fit it.

#include "platform/Installed.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The fatal stop of a key the store cannot give: a missing key, a missing or unreadable
// source, a read past its end. "%s" is the key.
inline constexpr std::string_view kGTexMissingKeyText = "GTEX Error !\nThe index '%s' was not found.";

class cmcGTex {
public:
    // A line holds at most this many characters; a longer file line reads as several lines.
    static constexpr int kMaxLineLength = 8191;
    // Lines remembered by file offset, so that lines read again do not touch the file.
    static constexpr int kCacheLines = 64;
    // A key found deeper than this in the key list moves to its head.
    static constexpr int kMoveToFrontDepth = 10;

    cmcGTex();
    virtual ~cmcGTex();
    cmcGTex(const cmcGTex&) = delete;
    cmcGTex& operator=(const cmcGTex&) = delete;

    // Sets the source. Each store takes one source for its life: a second attach is
    // refused (false) and the first source stays. Nothing is opened here.
    bool AttachFile(const std::string& name);
    // An array of lines owned by the caller, which must outlive the store. The array has
    // no count: it ends at its line "#End_Of_Ovl" (a null pointer also ends it).
    bool AttachLines(const char* const* lines);

    // Line n (from 0) of the key, without its line end. Past the key's last value line it
    // returns the lines that follow, the next key line included. A missing key, a missing
    // source or a read past the end of the source is fatal.
    std::string GetLine(std::string_view key, int n);
    // Lines 0, 1, ... of the key up to the first line that begins with '#', joined by "\n".
    std::string GetBlock(std::string_view key);

    // Bytes fetched from the file so far; shows how little of a large overlay a lookup reads.
    std::int64_t BytesRead() const { return bytesRead_; }

private:
    using Pos = std::int64_t;  // byte offset in a file, line index in a fragment

    struct KeyRecord {
        std::string key;
        Pos line0 = 0;       // where line 0 of the key starts
        int cursorLine = 0;  // the next line after the last one read for this key
        Pos cursorPos = 0;   // and where it starts
        KeyRecord* next = nullptr;
    };
    struct CacheEntry {
        Pos start = -1;
        Pos bytes = 0;
        std::string text;
    };
    enum class Source { None, File, Lines };

    bool Open();
    KeyRecord* FindKey(std::string_view key);
    KeyRecord* IndexStep();
    bool ScanLine(std::string& out);    // reads at pos_ without the cache
    bool LookupLine(std::string& out);  // reads at pos_ through the cache
    bool ReadFileLine(Pos at, std::string& out, Pos& next);
    bool ReadFragmentLine(Pos at, std::string& out) const;
    bool EnsureBuffered(Pos at);
    [[noreturn]] void Fail(std::string_view key) const;

    Source source_ = Source::None;
    std::string fileName_;
    const char* const* lines_ = nullptr;
    Pos lineCount_ = 0;  // fragment lines up to and including its end marker

    bool open_ = false;
    bool moreToIndex_ = true;
    std::FILE* file_ = nullptr;
    Pos pos_ = 0;      // current read position
    Pos scanPos_ = 0;  // where indexing stopped

    std::vector<std::unique_ptr<KeyRecord>> records_;  // owns the records of the key list
    KeyRecord* head_ = nullptr;
    KeyRecord* tail_ = nullptr;

    std::array<CacheEntry, kCacheLines> cache_;
    std::array<std::uint8_t, kCacheLines> cacheOrder_{};  // entry numbers, most recently used first
    int cacheUsed_ = 0;

    // A window of the file, so that scanning and cache misses read blocks, not bytes.
    std::vector<char> window_;
    Pos windowStart_ = 0;
    Pos windowLength_ = 0;
    bool windowHitsEnd_ = false;
    std::int64_t bytesRead_ = 0;
};

// The help topic store: the same store, read by context help for its topic tables.
class cmcHelpGTex : public cmcGTex {};

// The process-wide stores. The application attaches the product overlay to them at
// start-up; tests and fuzz targets install their own stores with ScopedGTex.
cmcGTex& GTex();
cmcHelpGTex& HelpGTex();

// Install another store as the process-wide one for their lifetime.
using ScopedGTex = platform::ScopedInstall<cmcGTex>;
using ScopedHelpGTex = platform::ScopedInstall<cmcHelpGTex>;

// The product overlay: "Trelvix.OVL" in the executable's directory.
std::string ProductOverlayPath();
// Attaches the product overlay the way the program does at start-up (a test may name
// another file); false when the store already has a source.
bool AttachProductOverlay(cmcGTex& store, const std::string& path = ProductOverlayPath());
