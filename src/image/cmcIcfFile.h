#pragma once
// Data files: a radio image stored as line-oriented hexadecimal text.
//
//   28970000                   header: model code and extra code, 4 hex digits each
//   #Comment=SITE A            comment line
//   #MapRev=5                  map revision line
//   0105 0B bb bb ...          data lines: address, byte count, bytes (no separators)
//
// Only the EEPROM part of an image goes into a file, chosen by the caller as a list of
// address ranges; the working area is rebuilt from it after a read. Every problem becomes
// one of the FileError codes, and (unless switched off) its message is shown through the
// dialogs seam. A failed read leaves the image exactly as it was; a failed write leaves
// the previous file on disk exactly as it was.

#include "image/AddressRange.h"
#include "image/cmcEeprom.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Result codes of every read and write.
namespace FileError {
enum : int {
    Ok = 0,
    FileOpen = 1,    // the file cannot be opened (or created)
    FileAccess = 2,  // writing the file failed; the previous file is untouched
    Model = 3,       // the header's model code is not accepted
    Extra = 4,       // the header's extra code is not accepted
    MapRev = 5,      // no map revision, or a rejected one, before the first data line
    Format = 6,      // malformed header or data line, or an empty file
    Coverage = 7,    // addresses of the required ranges are missing
    Data = 8,        // a line addresses bytes outside the image or outside the required ranges
    Newer = 9,       // reserved for a header check that finds the file newer than the program
};
}

class IcfLineSource;

class cmcIcfFile {
public:
    using MapRevisionCheck = std::function<bool(std::int32_t mapRevision)>;
    // Returns false to refuse the file and stores the code to return in `code`.
    using HeaderCheck = std::function<bool(std::int32_t modelCode, std::int32_t extraCode, int& code)>;

    static constexpr std::int32_t kBytesPerLine = 16;

    cmcIcfFile() = default;
    explicit cmcIcfFile(cmcEeprom& image) { AttachImage(image); }

    // Binds the image and sizes both bit arrays for it; every address is required until
    // a read with a range list says otherwise.
    void AttachImage(cmcEeprom& image);
    void SetCodes(std::int32_t modelCode, std::int32_t extraCode);
    void SetComment(std::string_view comment) { comment_ = std::string(comment); }
    void SetMapRevision(std::int32_t revision) { mapRevision_ = revision; }
    void SetMapRevisionCheck(MapRevisionCheck check) { mapRevisionCheck_ = std::move(check); }
    void SetHeaderCheck(HeaderCheck check) { headerCheck_ = std::move(check); }
    // Programs without a user (the fuzz target, scripted tools that print the code's
    // text themselves) switch the message boxes off.
    void SetShowMessages(bool show) { showMessages_ = show; }

    // Writes the ranges of the image to `path` through a temporary file that replaces the
    // target only when everything was written and synced.
    int Write(const std::string& path, std::span<const AddressRange> ranges);
    // Reads `path` into the image. With a range list, the file must deliver exactly the
    // listed addresses; without one, whatever it delivers is taken.
    int Read(const std::string& path, std::span<const AddressRange> ranges);
    int Read(const std::string& path);

    // The same reader over text already in memory (used by the fuzz target and tools).
    int ReadText(std::string_view text, const std::span<const AddressRange>* ranges);
    // The text Write puts into the file.
    std::string FormatText(std::span<const AddressRange> ranges) const;

    std::int32_t ModelCode() const { return modelCode_; }
    std::int32_t ExtraCode() const { return extraCode_; }
    std::int32_t MapRevision() const { return mapRevision_; }
    const std::string& Comment() const { return comment_; }
    // One bit per image byte, least significant bit first: bit a % 8 of byte a / 8.
    const std::vector<std::uint8_t>& RequiredBits() const { return requiredBits_; }
    const std::vector<std::uint8_t>& LoadedBits() const { return loadedBits_; }

    // The message of a code as shown to the user: headline, empty line, the code's text.
    // Empty for 0 and for codes outside 1..9.
    static std::string MessageText(int code);
    // Shows MessageText(code) as a warning box captioned with the program's title.
    static void ShowMessage(int code);

private:
    int ReadFrom(IcfLineSource& source, const std::span<const AddressRange>* ranges);
    int ReadLines(IcfLineSource& source, const std::span<const AddressRange>* ranges);
    int ParseDataLine(std::string_view line);
    void MarkRange(std::vector<std::uint8_t>& bits, std::int32_t first, std::int32_t last);
    void SetRequired(std::span<const AddressRange> ranges);
    int Report(int code) const;

    cmcEeprom* image_ = nullptr;
    std::int32_t modelCode_ = 0;
    std::int32_t extraCode_ = 0;
    std::string comment_;
    std::int32_t mapRevision_ = -1;
    std::vector<std::uint8_t> requiredBits_;
    std::vector<std::uint8_t> loadedBits_;
    MapRevisionCheck mapRevisionCheck_;
    HeaderCheck headerCheck_;
    bool showMessages_ = true;
};
