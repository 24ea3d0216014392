#include "overlay/cmcGTex.h"

#include "platform/FatalStop.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::string_view kEndKey = "End_Of_Ovl";
// Enough for the longest line plus its CR LF, with room for the lines around it.
constexpr std::int64_t kWindowBytes = 32 * 1024;

// A line's text ends at its line end: LF, with a CR directly before it dropped. A NUL
// ends it too, so that a file reads exactly like the same lines held in memory.
std::string_view CutAtLineEnd(std::string_view text) {
    if (auto nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
    if (auto lf = text.find('\n'); lf != std::string_view::npos) {
        text = text.substr(0, lf);
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    }
    return text;
}

// The fragment's text of one line: at most kMaxLineLength characters, the rest dropped.
std::string_view FragmentText(const char* line) {
    return CutAtLineEnd(std::string_view(line, ::strnlen(line, cmcGTex::kMaxLineLength)));
}

bool IsKeyLine(std::string_view line) {
    return line.size() >= 2 && line[0] == '#';
}

}  // namespace

cmcGTex::cmcGTex() = default;

cmcGTex::~cmcGTex() {
    if (file_) std::fclose(file_);
}

bool cmcGTex::AttachFile(const std::string& name) {
    if (source_ != Source::None) return false;
    source_ = Source::File;
    fileName_ = name;
    return true;
}

bool cmcGTex::AttachLines(const char* const* lines) {
    if (source_ != Source::None) return false;
    source_ = Source::Lines;
    lines_ = lines;
    return true;
}

bool cmcGTex::Open() {
    switch (source_) {
        case Source::Lines:
            if (lines_) {
                // The fragment ends at its end marker: a read past it fails like the end of
                // a file instead of running off the caller's array.
                lineCount_ = 0;
                while (lines_[lineCount_]) {
                    const std::string_view text = FragmentText(lines_[lineCount_++]);
                    if (IsKeyLine(text) && text.substr(1) == kEndKey) break;
                }
                open_ = true;
            }
            break;
        case Source::File:
            if (!fileName_.empty()) {
                file_ = std::fopen(fileName_.c_str(), "rb");
                open_ = file_ != nullptr;
            }
            break;
        case Source::None:
            break;
    }
    if (!open_) moreToIndex_ = false;
    pos_ = scanPos_ = 0;
    return open_;
}

void cmcGTex::Fail(std::string_view key) const {
    platform::fatalStop(platform::formatOne(kGTexMissingKeyText, key));
}

std::string cmcGTex::GetLine(std::string_view key, int n) {
    if (!open_ && !Open()) Fail(key);
    KeyRecord* record = FindKey(key);
    if (!record || n < 0) Fail(key);

    int line = 0;
    pos_ = record->line0;
    if (n >= record->cursorLine) {
        line = record->cursorLine;
        pos_ = record->cursorPos;
    }
    std::string text;
    for (; line < n; ++line) {
        if (!LookupLine(text)) Fail(key);
    }
    if (!LookupLine(text)) Fail(key);
    record->cursorLine = n + 1;
    record->cursorPos = pos_;
    return text;
}

std::string cmcGTex::GetBlock(std::string_view key) {
    std::string block;
    for (int n = 0;; ++n) {
        std::string line = GetLine(key, n);
        if (!line.empty() && line[0] == '#') break;
        if (n > 0) block += '\n';
        block += line;
    }
    return block;
}

cmcGTex::KeyRecord* cmcGTex::FindKey(std::string_view key) {
    int depth = 0;
    for (KeyRecord *r = head_, *prev = nullptr; r; prev = r, r = r->next, ++depth) {
        if (r->key != key) continue;
        if (depth > kMoveToFrontDepth) {
            // Keys read again and again gather at the head, so a store with thousands
            // of keys still finds the ones a sheet uses in a few steps.
            prev->next = r->next;
            if (tail_ == r) tail_ = prev;
            r->next = head_;
            head_ = r;
        }
        return r;
    }
    while (moreToIndex_) {
        KeyRecord* added = IndexStep();
        if (added && added->key == key) return added;
    }
    return nullptr;
}

cmcGTex::KeyRecord* cmcGTex::IndexStep() {
    pos_ = scanPos_;
    std::string line;
    if (!ScanLine(line)) {
        moreToIndex_ = false;
        return nullptr;
    }
    scanPos_ = pos_;
    if (!IsKeyLine(line)) return nullptr;

    auto record = std::make_unique<KeyRecord>();
    record->key = line.substr(1);
    record->line0 = record->cursorPos = pos_;
    KeyRecord* added = record.get();
    records_.push_back(std::move(record));
    (tail_ ? tail_->next : head_) = added;
    tail_ = added;
    if (added->key == kEndKey) moreToIndex_ = false;
    return added;
}

bool cmcGTex::ScanLine(std::string& out) {
    if (source_ == Source::Lines) {
        if (!ReadFragmentLine(pos_, out)) return false;
        ++pos_;
        return true;
    }
    Pos next = 0;
    if (!ReadFileLine(pos_, out, next)) return false;
    pos_ = next;
    return true;
}

bool cmcGTex::LookupLine(std::string& out) {
    if (source_ == Source::Lines) return ScanLine(out);

    for (int k = 0; k < cacheUsed_; ++k) {
        const std::uint8_t slot = cacheOrder_[k];
        const CacheEntry& e = cache_[slot];
        if (e.start != pos_) continue;
        out = e.text;
        pos_ += e.bytes;
        std::copy_backward(cacheOrder_.begin(), cacheOrder_.begin() + k, cacheOrder_.begin() + k + 1);
        cacheOrder_[0] = slot;
        return true;
    }

    Pos next = 0;
    if (!ReadFileLine(pos_, out, next)) return false;
    // A new line goes to the front; when the cache is full the least recently used goes.
    std::uint8_t slot = 0;
    if (cacheUsed_ < kCacheLines) {
        slot = static_cast<std::uint8_t>(cacheUsed_++);
    } else {
        slot = cacheOrder_[kCacheLines - 1];
    }
    const int shifted = std::min(cacheUsed_, kCacheLines) - 1;
    std::copy_backward(cacheOrder_.begin(), cacheOrder_.begin() + shifted, cacheOrder_.begin() + shifted + 1);
    cacheOrder_[0] = slot;
    cache_[slot].start = pos_;
    cache_[slot].bytes = next - pos_;
    cache_[slot].text = out;
    pos_ = next;
    return true;
}

bool cmcGTex::ReadFragmentLine(Pos at, std::string& out) const {
    if (at < 0 || at >= lineCount_) return false;
    out.assign(FragmentText(lines_[at]));
    return true;
}

// Makes the window hold the line that starts at `at` with what ends it. Lines are short,
// so the window is refilled (from the line's start) only when a line runs past its end.
bool cmcGTex::EnsureBuffered(Pos at) {
    const Pos windowEnd = windowStart_ + windowLength_;
    if (!window_.empty() && at >= windowStart_ && at <= windowEnd) {
        const Pos avail = windowEnd - at;
        const char* d = window_.data() + (at - windowStart_);
        if (windowHitsEnd_ || avail >= kMaxLineLength + 2 ||
            std::memchr(d, '\n', static_cast<std::size_t>(avail)) != nullptr) {
            return true;
        }
    }
    if (window_.empty()) window_.resize(kWindowBytes);
    windowStart_ = at;
    windowLength_ = 0;
    windowHitsEnd_ = true;
    if (std::fseek(file_, static_cast<long>(at), SEEK_SET) != 0) return false;
    const std::size_t got = std::fread(window_.data(), 1, window_.size(), file_);
    windowLength_ = static_cast<Pos>(got);
    windowHitsEnd_ = got < window_.size();
    bytesRead_ += static_cast<std::int64_t>(got);
    return true;
}

// Reads the line that starts at `at`. A line longer than kMaxLineLength characters reads
// as several lines of at most that many, so it shifts the numbers of the lines after it.
bool cmcGTex::ReadFileLine(Pos at, std::string& out, Pos& next) {
    if (!file_ || !EnsureBuffered(at)) return false;
    const Pos avail = windowStart_ + windowLength_ - at;
    if (avail <= 0) return false;  // end of file
    const char* d = window_.data() + (at - windowStart_);

    Pos n = 0;
    while (n < avail && n < kMaxLineLength && d[n] != '\n') ++n;
    Pos length = n;
    if (n < avail && d[n] == '\n') {
        next = at + n + 1;
        if (length > 0 && d[length - 1] == '\r') --length;
    } else if (n == kMaxLineLength && n + 1 < avail && d[n] == '\r' && d[n + 1] == '\n') {
        next = at + n + 2;  // a full-length line that ends in CR LF
    } else {
        next = at + n;  // the end of the file, or the first part of an overlong line
    }
    out.assign(CutAtLineEnd(std::string_view(d, static_cast<std::size_t>(length))));
    return true;
}

namespace {
cmcGTex& defaultStore() {
    static cmcGTex store;
    return store;
}
cmcHelpGTex& defaultHelpStore() {
    static cmcHelpGTex store;
    return store;
}
}  // namespace

cmcGTex& GTex() {
    return platform::Installed<cmcGTex>::orFallback(defaultStore);
}

cmcHelpGTex& HelpGTex() {
    return platform::Installed<cmcHelpGTex>::orFallback(defaultHelpStore);
}

std::string ProductOverlayPath() {
    std::string path = platform::executableDirectory();
    path += "Trelvix";
    path += ".OVL";
    return path;
}

bool AttachProductOverlay(cmcGTex& store, const std::string& path) {
    return store.AttachFile(path);
}
