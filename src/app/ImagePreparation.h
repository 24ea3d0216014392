#pragma once
// Image preparation: between the radio's packed EEPROM layout and the program's fixed
// working area.
//
// The radio keeps its structures one after the other from 0x0200, listed in a parameter
// table (PTBL) that gives each structure's identifier, record size, record count and
// address. The program keeps every structure at a fixed place of the working area with its
// maximum number of records. Unpacking (rebuild) fills the working area through the PTBL;
// packing writes the working area back as packed structures, a new PTBL and the maker
// text. Packing that does not fit reports overflow to its caller, which must then refuse
// to save or write the image.

#include "image/cmcEeprom.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace imageprep {

// EEPROM header fields (big-endian words).
constexpr std::int32_t kChannelAreaEnd = 0x0110;
constexpr std::int32_t kUsedEnd = 0x0112;
constexpr std::int32_t kBaseAddress = 0x0114;
constexpr std::int32_t kPtblDescriptor = 0x0120;  // 0, 1, entry size, entry count, PTBL address
constexpr std::int32_t kPackedStart = 0x0200;
constexpr std::int32_t kPackedEnd = 0xFF80;  // packed data must end at or before this address

// The working area's copy of the PTBL: 46 entries of 10 bytes at the very end of the image.
constexpr std::int32_t kPtblCopy = 0x203EE;
constexpr int kPtblCopyEntries = 46;
constexpr int kPtblEntrySize = 10;

constexpr std::string_view kMakerText = "VORN Inc";

struct PtblEntry {
    std::uint16_t id = 0;
    std::uint16_t recordSize = 0;
    std::uint16_t recordCount = 0;
    std::uint16_t address = 0;
};

// How a structure of an initial image is spread over its fixed place.
enum class FillMode { Block, Repeat, Records };

struct Structure {
    int id;
    std::int32_t offset;  // fixed place in the working area
    int recordSize;
    int records;
    FillMode fill;
    std::int32_t Length() const { return recordSize * records; }
};

// The fixed working-area layout, in working-area order.
const std::vector<Structure>& structures();
const Structure* structure(int id);

// Copies the EEPROM's PTBL into the working area's copy; false when the descriptor is not
// valid (then nothing is copied).
bool copyPtbl(cmcEeprom& image);
// The first entry with the identifier among the first `count` entries of the PTBL copy.
std::optional<PtblEntry> findEntry(const cmcEeprom& image, int count, int id);

// The working area of an image read from an initial data file.
void fillWorkingAreaFromInitial(cmcEeprom& image);
// The working area of an image read from a radio (unpack); packs again when the last bank
// was restored from its own entries.
void rebuildWorkingArea(cmcEeprom& image);
// Packs the working area into the EEPROM part; returns true on overflow (the structures
// from the first one that did not fit, the PTBL and the maker text were not written).
// Everything packed ends at or before `packedEnd`, the end of the radio's EEPROM.
bool buildParameterTable(cmcEeprom& image, bool cloneWrite, std::int32_t packedEnd = kPackedEnd);
// Stops the program when two PTBL entries carry the same identifier.
void checkDuplicateIds(const std::vector<PtblEntry>& entries);

// Summary values kept in the working area for the radio (recomputed by normalise).
constexpr std::int32_t kSummaryBits = 0x13FCD;     // bit 0 a bank 0..126 holds a used channel, bit 1 bank 127 does,
                                                   // bit 2 a used channel is digital, bit 3 one scrambles
constexpr std::int32_t kFirstUsedChannel = 0x13FCE;  // word: lowest used channel, 0xFFFF when none
constexpr std::int32_t kBankFirstUsed = 0x13FD0;     // 128 words: each bank's first used channel

// Brings an image in line with the model kind of `initial` (the controller's virtual
// operation 7). Returns the packing's overflow flag when `forWriting` is set, else false.
bool normaliseImage(cmcEeprom& image, const cmcEeprom& initial, int modelKind, bool forWriting);

}  // namespace imageprep
