#pragma once
// Loading and saving data files, without dialogs: the file checks, the map revision, the
// model detection, normalising and packing a copy, the atomic write. The program's file
// commands put the dialogs, the recent files and the modified flag on top; the
// command-line tools call the same service, so the two cannot drift apart.

#include "image/AddressRange.h"
#include "image/cmcEeprom.h"

#include <cstdint>
#include <span>
#include <string>

// What a radio family says about its data files and images.
class DocumentRules {
public:
    virtual ~DocumentRules() = default;

    virtual std::int32_t ModelCode() const = 0;
    virtual std::int32_t ExtraCode() const = 0;
    virtual std::int32_t MapRevision() const = 0;
    // False refuses a file's header and says why in `code` (a data-file result code).
    virtual bool CheckFileCodes(std::int32_t modelCode, std::int32_t extraCode, int& code) = 0;
    virtual bool CheckMapRevision(std::int32_t revision) = 0;
    // The ranges of a range kind (RangeKind).
    virtual AddressRangeList AddressRanges(int rangeKind) = 0;
    // The working area of an initial image, from its EEPROM part.
    virtual void FillWorkingArea(cmcEeprom& image) = 0;
    // The working area of an image read from a file or a radio; returns the model kind
    // the image's own bits name, or -1 when the family does not tell kinds apart.
    virtual int RebuildWorkingArea(cmcEeprom& image) = 0;
    virtual void NormaliseImage(cmcEeprom& image, const cmcEeprom& initial, int kind, bool forWriting) = 0;
    // Packs the working area into the EEPROM part; true when it overflowed.
    virtual bool BuildParameterTable(cmcEeprom& image, bool cloneWrite) = 0;
    // The copy a clone write sends, once the radio has identified itself (`identification`
    // is its model-information block): values of the working area that depend on the radio
    // are brought up to date for it. True when the working area changed, so the copy has
    // to be packed again before it is sent.
    virtual bool PrepareForRadio(cmcEeprom& /*copy*/, int /*kind*/, std::span<const std::uint8_t> /*identification*/) {
        return false;
    }
};

// The outcome of reading a data file. The image is the file's, its working area rebuilt;
// it still has to be prepared (PrepareLoaded) with the initial image of `modelKind`.
struct [[nodiscard]] LoadResult {
    int code = 0;  // a data-file result code; 0 when the file was read
    cmcEeprom image;
    int modelKind = -1;
    bool ok() const { return code == 0; }
};

struct [[nodiscard]] SaveResult {
    enum class Outcome { Saved, Overflow, WriteFailed };
    Outcome outcome = Outcome::Saved;
    int code = 0;      // the data-file result code of a failed write
    cmcEeprom packed;  // what was written: the caller's image, normalised and packed
    bool ok() const { return outcome == Outcome::Saved; }
};

class DocumentService {
public:
    explicit DocumentService(DocumentRules& rules) : rules_(rules) {}

    // Reads `path` into `target` with the family's checks; `target` changes only when the
    // whole file was accepted. Returns the data-file result code; shows no message.
    [[nodiscard]] int Read(const std::string& path, cmcEeprom& target, int rangeKind) const;
    // Reads an initial data file and fills its working area.
    [[nodiscard]] int ReadInitialImage(const std::string& path, cmcEeprom& target) const;
    // Reads a data file as Open does, into a copy of `base` (the bytes the file does not
    // carry keep the base's values until the working area is rebuilt).
    [[nodiscard]] LoadResult Load(const std::string& path, const cmcEeprom& base) const;
    // Normalises a loaded image with the initial image of its kind and packs it again.
    void PrepareLoaded(cmcEeprom& image, const cmcEeprom& initial, int kind) const;
    // Normalises and packs a copy of `image`, then writes it atomically: an overflow writes
    // nothing, and a failed write leaves the previous file as it was.
    [[nodiscard]] SaveResult Save(const std::string& path, const cmcEeprom& image, const cmcEeprom& initial,
                                  int kind) const;
    // The comment a data file carries: the radio's two comment texts, trimmed.
    static std::string CommentOf(const cmcEeprom& image);

private:
    DocumentRules& rules_;
};
