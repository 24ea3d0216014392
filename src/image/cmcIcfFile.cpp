#include "image/cmcIcfFile.h"

#include "image/FileMessages.h"
#include "platform/Dialogs.h"
#include "platform/FileReplace.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <cstdio>
#include <fstream>

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::int32_t hexNumber(std::string_view digits) {
    std::int32_t v = 0;
    for (char c : digits) v = v * 16 + hexValue(c);
    return v;
}

// The decimal number a map revision line carries: leading white space and a sign are
// allowed, reading stops at the first non-digit; a number too large saturates instead of
// overflowing.
std::int32_t decimalPrefix(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    std::int64_t v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > std::int64_t{INT32_MAX} + 1) v = std::int64_t{INT32_MAX} + 1;
    }
    if (negative) v = -v;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

// Ranges are processed in order until the end marker or the first range that does not lie
// inside the image; writer and coverage check follow the same rule.
template <typename Fn>
void forEachRange(const cmcEeprom& image, std::span<const AddressRange> ranges, Fn fn) {
    for (const AddressRange& r : ranges) {
        if (r.end < r.start) break;
        if (!image.IsValidIndex(r.start) || !image.IsValidIndex(r.end)) break;
        fn(r);
    }
}

}  // namespace

// Lines of the file, with their line end (LF or CR LF) removed. Lines of any length are
// taken whole, so a long comment never spills into a line of its own.
class IcfLineSource {
public:
    virtual ~IcfLineSource() = default;
    // False at the end of the input; `hadEnd` tells whether the line had a line end.
    virtual bool Next(std::string& line, bool& hadEnd) = 0;

protected:
    static void TrimEnd(std::string& line, bool hadEnd) {
        if (hadEnd && !line.empty() && line.back() == '\r') line.pop_back();
    }
};

namespace {

class TextLines : public IcfLineSource {
public:
    explicit TextLines(std::string_view text) : text_(text) {}
    bool Next(std::string& line, bool& hadEnd) override {
        if (pos_ >= text_.size()) return false;
        const std::size_t nl = text_.find('\n', pos_);
        hadEnd = nl != std::string_view::npos;
        const std::size_t end = hadEnd ? nl : text_.size();
        line.assign(text_.substr(pos_, end - pos_));
        pos_ = hadEnd ? nl + 1 : text_.size();
        TrimEnd(line, hadEnd);
        return true;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

class FileLines : public IcfLineSource {
public:
    explicit FileLines(std::ifstream& in) : in_(in) {}
    bool Next(std::string& line, bool& hadEnd) override {
        if (!std::getline(in_, line)) return false;
        hadEnd = !in_.eof();
        TrimEnd(line, hadEnd);
        return true;
    }

private:
    std::ifstream& in_;
};

}  // namespace

void cmcIcfFile::AttachImage(cmcEeprom& image) {
    image_ = &image;
    const std::size_t bytes = (static_cast<std::size_t>(image.Size()) + 7) / 8;
    requiredBits_.assign(bytes, 0);
    loadedBits_.assign(bytes, 0);
    MarkRange(requiredBits_, 0, image.Size() - 1);
}

void cmcIcfFile::SetCodes(std::int32_t modelCode, std::int32_t extraCode) {
    modelCode_ = modelCode;
    extraCode_ = extraCode;
}

void cmcIcfFile::MarkRange(std::vector<std::uint8_t>& bits, std::int32_t first, std::int32_t last) {
    if (first < 0 || last < first || static_cast<std::size_t>(last) >= bits.size() * 8) return;
    for (std::int32_t a = first; a <= last; ++a) bits[static_cast<std::size_t>(a) / 8] |= std::uint8_t(1u << (a % 8));
}

void cmcIcfFile::SetRequired(std::span<const AddressRange> ranges) {
    std::fill(requiredBits_.begin(), requiredBits_.end(), 0);
    forEachRange(*image_, ranges, [&](const AddressRange& r) { MarkRange(requiredBits_, r.start, r.end); });
}

std::string cmcIcfFile::FormatText(std::span<const AddressRange> ranges) const {
    std::string out;
    if (!image_) return out;
    out.reserve(static_cast<std::size_t>(image_->Size()) * 5 / 2 + 256);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04X%04X\r\n", static_cast<unsigned>(modelCode_), static_cast<unsigned>(extraCode_));
    out += buf;
    // A line break inside the comment would turn the rest of it into a data line and make
    // the file unreadable, so it is written as a space.
    std::string comment = comment_;
    std::replace_if(comment.begin(), comment.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    out += "#Comment=" + comment + "\r\n";
    out += "#MapRev=" + std::to_string(mapRevision_) + "\r\n";

    static constexpr char kHex[] = "0123456789ABCDEF";
    forEachRange(*image_, ranges, [&](const AddressRange& r) {
        for (std::int32_t addr = r.start; addr <= r.end;) {
            // A line never crosses a multiple of 16, so a range that starts mid-block
            // gets a short first line.
            std::int32_t n = kBytesPerLine - addr % kBytesPerLine;
            if (r.end < addr + n - 1) n = r.end - addr + 1;
            std::snprintf(buf, sizeof buf, "%04X%02X", static_cast<unsigned>(addr), static_cast<unsigned>(n));
            out += buf;
            for (std::int32_t i = 0; i < n; ++i) {
                const std::uint8_t b = image_->GetByte(addr + i);
                out += kHex[b >> 4];
                out += kHex[b & 15];
            }
            out += "\r\n";
            addr += n;
        }
    });
    return out;
}

int cmcIcfFile::Write(const std::string& path, std::span<const AddressRange> ranges) {
    if (!image_) return Report(FileError::FileOpen);
    switch (platform::replaceFile(path, FormatText(ranges))) {
        case platform::ReplaceResult::Ok:
            return FileError::Ok;
        case platform::ReplaceResult::CannotOpen:
            return Report(FileError::FileOpen);
        case platform::ReplaceResult::WriteFailed:
            break;
    }
    return Report(FileError::FileAccess);
}

namespace {
// Only a regular file can be a data file: a folder or a device cannot be opened as one.
bool openDataFile(std::ifstream& in, const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    in.open(path, std::ios::binary);
    return static_cast<bool>(in);
}
}  // namespace

int cmcIcfFile::Read(const std::string& path, std::span<const AddressRange> ranges) {
    std::ifstream in;
    if (!image_ || !openDataFile(in, path)) return Report(FileError::FileOpen);
    FileLines lines(in);
    return ReadFrom(lines, &ranges);
}

int cmcIcfFile::Read(const std::string& path) {
    std::ifstream in;
    if (!image_ || !openDataFile(in, path)) return Report(FileError::FileOpen);
    FileLines lines(in);
    return ReadFrom(lines, nullptr);
}

int cmcIcfFile::ReadText(std::string_view text, const std::span<const AddressRange>* ranges) {
    if (!image_) return Report(FileError::FileOpen);
    TextLines lines(text);
    return ReadFrom(lines, ranges);
}

int cmcIcfFile::ReadFrom(IcfLineSource& source, const std::span<const AddressRange>* ranges) {
    // Addresses the file does not deliver keep their contents; a failure puts back every
    // byte the file had already delivered.
    const cmcEeprom backup(*image_);
    std::fill(loadedBits_.begin(), loadedBits_.end(), 0);
    const int code = ReadLines(source, ranges);
    if (code != FileError::Ok) image_->Assign(backup);
    return Report(code);
}

int cmcIcfFile::ReadLines(IcfLineSource& source, const std::span<const AddressRange>* ranges) {
    mapRevision_ = -1;
    std::string line;
    bool hadEnd = false;

    // Header: exactly eight digits and the line end. Only decimal digits pass although the
    // writer uses hexadecimal: the program's own codes never need a letter.
    if (!source.Next(line, hadEnd)) return FileError::Format;
    if (!hadEnd || line.size() != 8) return FileError::Format;
    if (!std::all_of(line.begin(), line.end(), [](char c) { return c >= '0' && c <= '9'; })) return FileError::Format;
    const std::int32_t model = hexNumber(std::string_view(line).substr(0, 4));
    const std::int32_t extra = hexNumber(std::string_view(line).substr(4, 4));
    if (headerCheck_) {
        int code = FileError::Model;
        // A refusal is never success, whatever the check stored.
        if (!headerCheck_(model, extra, code)) return code != FileError::Ok ? code : FileError::Model;
    } else {
        if (model != modelCode_) return FileError::Model;
        if (extra != extraCode_) return FileError::Extra;
    }

    bool seenData = false;
    while (source.Next(line, hadEnd)) {
        if (line.empty() && !hadEnd) continue;
        if (!line.empty() && line[0] == '#') {
            // The number is taken after the first eight characters ("#MapRev="), wherever
            // in the line the text was found.
            if (line.find("MapRev=", 1) != std::string::npos) mapRevision_ = decimalPrefix(line.substr(8));
            continue;
        }
        if (!seenData) {
            seenData = true;
            if (!mapRevisionCheck_ || !mapRevisionCheck_(mapRevision_)) return FileError::MapRev;
        }
        if (const int code = ParseDataLine(line); code != FileError::Ok) return code;
    }

    if (!ranges) return FileError::Ok;
    SetRequired(*ranges);
    if (requiredBits_ == loadedBits_) return FileError::Ok;
    for (std::size_t i = 0; i < loadedBits_.size(); ++i) {
        if (loadedBits_[i] & ~requiredBits_[i]) return FileError::Data;
    }
    return FileError::Coverage;
}

int cmcIcfFile::ParseDataLine(std::string_view line) {
    const std::size_t length = line.size();
    if (length < 8 || length > 516) return FileError::Format;
    if (!std::all_of(line.begin(), line.end(), [](char c) { return hexValue(c) >= 0; })) return FileError::Format;
    const std::int32_t addr = hexNumber(line.substr(0, 4));
    const std::int32_t count = hexNumber(line.substr(4, 2));
    if (length != 6 + 2 * static_cast<std::size_t>(count)) return FileError::Format;
    // The whole line is checked before any byte is stored.
    if (!image_->IsValidIndex(addr) || !image_->IsValidIndex(addr + count - 1)) return FileError::Data;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::size_t p = 6 + 2 * static_cast<std::size_t>(i);
        image_->SetByte(addr + i, static_cast<std::uint8_t>(hexValue(line[p]) * 16 + hexValue(line[p + 1])));
    }
    MarkRange(loadedBits_, addr, addr + count - 1);
    return FileError::Ok;
}

std::string cmcIcfFile::MessageText(int code) {
    const std::string_view key = fileErrorKey(code);
    if (key.empty()) return {};
    return overlayBlock("GI_Mess_FileErr_Headline") + "\n\n" + overlayBlock(key);
}

void cmcIcfFile::ShowMessage(int code) {
    const std::string text = MessageText(code);
    if (text.empty()) return;
    platform::MessageRequest request;
    request.text = text;
    request.caption = overlayLine("GI_Sys_AppTitle_ADJ", 0);
    request.icon = platform::DlgIcon::Warning;
    request.buttons = platform::DlgButtons::Ok;
    platform::dialogs().message(request);
}

int cmcIcfFile::Report(int code) const {
    if (code != FileError::Ok && showMessages_) ShowMessage(code);
    return code;
}
