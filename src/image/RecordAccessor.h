#pragma once
// The radio's tables in the working area of an image, one decoded record at a time.
//
// `load(kind, number)` decodes one record into plain fields; `store` writes the fields
// back into exactly the image bits they came from, so every bit the layout does not name
// keeps its value. The layouts are the table in RecordLayouts. The accessor also keeps the
// bank and repeater-list bookkeeping that maps rows of a bank or list to absolute records.

#include "image/RecordLayouts.h"
#include "image/cmcEeprom.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// A tone squelch setting as the two image bytes hold it: bit 7 of the first byte clear =
// tone on; bit 6 set = digital code, with bit 5 the inverted polarity; the 9-bit code is
// bit 0 of the first byte and the second byte (a continuous tone uses the second byte as
// the tone number). Bits 1-4 of the first byte are carried along unchanged.
struct ToneSetting {
    bool on = false;
    bool digital = false;
    bool inverted = false;
    std::uint16_t code = 0;
    std::uint8_t otherBits = 0;  // bits 1-4 of the first byte, in place

    static ToneSetting FromRaw(std::uint16_t raw);
    std::uint16_t ToRaw() const;
};

class RecordAccessor {
public:
    // Channel flag bits of the decoded flags byte.
    static constexpr std::uint8_t kFlagMarkA = 0x01;     // the channel recorded at 0x13B80
    static constexpr std::uint8_t kFlagMarkB = 0x02;     // the channel recorded at 0x13B82
    static constexpr std::uint8_t kFlagMarkC = 0x04;     // recorded at 0x168F4 while 0x168FE bit 5 is set
    static constexpr std::uint8_t kFlagOption = 0x08;    // channels: 0x168FE bit 5 clear; banks, repeaters: area bit
    static constexpr std::uint8_t kFlagBankA = 0x10;     // the channel's bank has its bit in bank bit array A
    static constexpr std::uint8_t kStatusValid = 0x01;

    static constexpr std::uint32_t kMaxFrequency = 799'999'950;
    static constexpr int kChannels = 512;
    static constexpr int kBanks = 128;
    static constexpr int kRepeaterLists = 128;
    static constexpr int kRepeaters = 2560;

    static constexpr int kBankOperationKind = 14;  // the record of a bank: its 12-character name
    // The radio's two 16-character comment texts (printable characters, space-padded).
    static constexpr std::int32_t kComment1 = 0x16A89;
    static constexpr std::int32_t kComment2 = 0x16A99;
    static constexpr int kCommentLength = 16;

    explicit RecordAccessor(cmcEeprom& image) : image_(&image) {}
    // A decoded record can be copied and stored into another image (the row clipboard
    // keeps records of one image for another).
    void setImage(cmcEeprom& image) { image_ = &image; }

    // --- Records ------------------------------------------------------------------
    RecordAccessor& load(int kind, int number);
    // Kind 0 stores with the kind of the last load.
    void store(int kind, int number);
    RecordAccessor& storeThenLoad(int kind, int number);
    // Every image byte a store of record n of the kind may change: its fields, and for
    // channels, banks and repeaters the bytes that hold their flags (a mark word, an option
    // byte, a bank bit). Whoever edits a record may change nothing else.
    std::vector<std::int32_t> storedBytes(int kind, int number) const;

    static std::int32_t firstNumber(int kind);
    static std::int32_t lastNumber(int kind);
    static bool editableRows(int kind);
    // Whether the kind's layout carries the field.
    static bool hasField(int kind, Fld field);

    std::uint32_t get(Fld field) const { return values_[static_cast<std::size_t>(field)]; }
    void set(Fld field, std::uint32_t value) { values_[static_cast<std::size_t>(field)] = value; }
    ToneSetting tone(Fld field) const { return ToneSetting::FromRaw(static_cast<std::uint16_t>(get(field))); }
    void setTone(Fld field, const ToneSetting& t) { set(field, t.ToRaw()); }
    bool valid() const { return (status & kStatusValid) != 0; }

    // The decoded record: what was loaded last, the status and flags bytes, and the two
    // text slots in the radio's character codes (a name, and a second text or byte string).
    int kind = 0;
    int number = 0;
    std::uint8_t status = 0;
    std::uint8_t flags = 0;
    std::string name;
    std::string text2;

    // True once a store changed any byte of the image.
    bool changed() const { return changed_; }
    // Starts a new watch for changes (the value routine watches one call at a time).
    void clearChanged() { changed_ = false; }

    // The repeater list whose rows kind 22 addresses (the one the sheet shows).
    void setRepeaterList(int list) { repeaterList_ = list; }
    int repeaterList() const { return repeaterList_; }

    // --- Banks: 128 channel counts share one table of 512 channels ----------------
    int bankCount(int bank) const;
    void setBankCount(int bank, int count);
    int bankFirstChannel(int bank) const;
    int bankLastChannel(int bank) const;
    int totalChannels() const;
    int bankOfChannel(int channel) const;
    int bankOfPosition(int position) const;
    int usedChannels(int bank) const;
    int lastUsedRow(int bank) const;
    int totalUsedChannels() const;
    bool bankBitA(int bank) const;
    void setBankBitA(int bank, bool on);
    bool bankBitB(int bank) const;
    void setBankBitB(int bank, bool on);
    // Whether channel n (0..511) is in use: its receive frequency is not 0.
    bool channelValid(int channel) const;
    // Channel `to` takes channel `from` of `source` byte for byte: its main and extension
    // records, its per-channel bytes and its scan-list bits (a copy through the decoded
    // fields would drop the bits no field names). Marks and bank bits are not touched.
    void copyChannel(const cmcEeprom& source, int from, int to);
    // Channel `from` moves to `to` within this image; a mark that names it follows it.
    void moveChannel(int from, int to);

    // --- Repeater lists: 128 counts share one table of 2,560 repeaters ------------
    int repeaterCount(int list) const;
    void setRepeaterCount(int list, int count);
    int repeaterFirst(int list) const;
    int totalRepeaters() const;

    // --- BCD numbers -----------------------------------------------------------------
    // Four digits, high nibble first, to 0..9999; any nibble above 9 gives 0xFFFF.
    static std::uint32_t bcdToNumber(const std::uint8_t* bytes);
    // Fills `length` bytes with 0xFF, then writes the last four decimal digits of `value`
    // into the first two bytes.
    static void numberToBcd(std::uint32_t value, std::uint8_t* buffer, int length);

private:
    bool decodable(int k, int n) const;
    std::int32_t partIndex(const FieldPart& p, int n) const;
    std::uint32_t readPart(const FieldPart& p, int n) const;
    void writePart(const FieldPart& p, int n, std::uint32_t value);
    void writeByte(std::int32_t address, std::uint8_t value);
    std::uint16_t word(std::int32_t address) const;
    void setWord(std::int32_t address, std::uint16_t value);
    bool bit(std::int32_t base, int index) const;
    void setBit(std::int32_t base, int index, bool on);
    void clearFields();
    void loadFlags(int k, int n);
    void storeFlags(int k, int n);

    cmcEeprom* image_;
    std::array<std::uint32_t, kFieldCount> values_{};
    int repeaterList_ = 0;
    bool changed_ = false;
};
