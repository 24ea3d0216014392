#include "app/ImagePreparation.h"

#include "image/RecordAccessor.h"
#include "platform/FatalStop.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>
#include <string>

namespace imageprep {

namespace {

constexpr std::int32_t kChannelMain = 0xFF80;  // ID 2: 30-byte channel records
constexpr std::int32_t kChannelExt = 0x140D0;  // ID 3: 20-byte channel records
constexpr int kChannels = 512;
constexpr int kLastBank = 127;
constexpr std::int32_t kLastBankOption = 0x1694C;  // bit 6: the last bank is always packed

// Unpacking order; ID 23 is never read.
constexpr std::array<int, 39> kUnpackOrder = {3,  7,  8,  10, 11, 14, 15, 16, 24, 25, 26, 29, 30,
                                              31, 34, 35, 37, 38, 39, 36, 6,  18, 27, 32, 9,  12,
                                              13, 17, 19, 20, 21, 22, 28, 33, 40, 41, 42, 43, 45};
// Packing order around the channel areas; ID 23 is never packed.
constexpr std::array<int, 6> kPackBeforeLastBank = {7, 15, 6, 18, 27, 32};
constexpr std::array<int, 32> kPackAfterChannels = {8,  10, 11, 14, 16, 24, 25, 26, 29, 30, 31,
                                                    34, 35, 37, 38, 39, 36, 9,  12, 13, 17, 19,
                                                    20, 21, 22, 28, 33, 40, 41, 42, 43, 45};

std::uint16_t word(const cmcEeprom& e, std::int32_t a) {
    return static_cast<std::uint16_t>((e.GetByte(a) << 8) | e.GetByte(a + 1));
}

void setWord(cmcEeprom& e, std::int32_t a, std::uint32_t v) {
    e.SetByte(a, static_cast<std::uint8_t>(v >> 8));
    e.SetByte(a + 1, static_cast<std::uint8_t>(v));
}

// An address of the packed layout as an image offset.
std::int32_t translate(std::int32_t address, std::int32_t base) { return address - base + kPackedStart; }

// Copies from the EEPROM part into the image. Addresses come from the radio, so a source
// outside the EEPROM part copies nothing instead of reading past it.
void copyFromEeprom(cmcEeprom& image, std::int32_t src, std::int32_t dst, std::int32_t len) {
    if (len <= 0 || src < 0 || static_cast<std::int64_t>(src) + len > kPackedEnd) return;
    if (dst < 0 || static_cast<std::int64_t>(dst) + len > image.Size()) return;
    std::memmove(image.Data() + dst, image.Data() + src, static_cast<std::size_t>(len));
}

std::int32_t entryCount(const cmcEeprom& image) { return word(image, kPtblDescriptor + 4); }

}  // namespace

const std::vector<Structure>& structures() {
    using F = FillMode;
    static const std::vector<Structure> table = {
        {2, 0x0FF80, 30, 512, F::Repeat},  {7, 0x13B80, 16, 1, F::Block},      {15, 0x13B90, 64, 11, F::Block},
        {18, 0x13E50, 4, 32, F::Records},  {27, 0x13ED0, 4, 32, F::Repeat},    {32, 0x13F50, 12, 8, F::Repeat},
        {6, 0x13FB0, 288, 1, F::Block},    {3, 0x140D0, 20, 512, F::Repeat},   {8, 0x168D0, 441, 1, F::Block},
        {9, 0x16A89, 32, 1, F::Block},     {10, 0x16AA9, 24, 16, F::Repeat},   {11, 0x16C29, 21, 16, F::Repeat},
        {12, 0x16D79, 128, 1, F::Block},   {13, 0x16DF9, 12, 128, F::Records}, {14, 0x173F9, 4, 40, F::Repeat},
        {16, 0x17499, 28, 11, F::Block},   {17, 0x175CD, 37, 8, F::Records},   {19, 0x176F5, 14, 32, F::Records},
        {20, 0x178B5, 33, 11, F::Records}, {21, 0x17A20, 8, 1, F::Block},      {22, 0x17A28, 24, 2, F::Records},
        {23, 0x17A58, 10, 1, F::Block},    {29, 0x17A62, 31, 8, F::Block},     {26, 0x17B5A, 8, 1, F::Block},
        {28, 0x17B62, 14, 32, F::Repeat},  {25, 0x17D22, 16, 1, F::Block},     {24, 0x17D32, 16, 1, F::Block},
        {30, 0x17D42, 16, 24, F::Block},   {31, 0x17EC2, 16, 24, F::Block},    {33, 0x18042, 2, 8, F::Repeat},
        {34, 0x18052, 16, 100, F::Repeat}, {35, 0x18692, 14, 250, F::Repeat},  {37, 0x1943E, 48, 1, F::Block},
        {38, 0x1946E, 100, 1, F::Block},   {36, 0x194D2, 4, 40, F::Repeat},    {39, 0x19572, 250, 1, F::Block},
        {40, 0x1966C, 128, 1, F::Block},   {41, 0x196EC, 2, 1, F::Block},      {42, 0x196EE, 2, 128, F::Repeat},
        {43, 0x197EE, 10, 2560, F::Repeat}, {45, 0x1FBEE, 4, 512, F::Repeat},
    };
    return table;
}

const Structure* structure(int id) {
    for (const Structure& s : structures()) {
        if (s.id == id) return &s;
    }
    return nullptr;
}

bool copyPtbl(cmcEeprom& image) {
    if (image.GetByte(kPtblDescriptor) != 0 || image.GetByte(kPtblDescriptor + 1) != 1) return false;
    const std::int32_t base = word(image, kBaseAddress);
    const std::int32_t entrySize = word(image, kPtblDescriptor + 2);
    const std::int32_t size = std::min(entrySize, kPtblEntrySize);
    const std::int32_t n = std::min(entryCount(image), kPtblCopyEntries);
    const std::int32_t address = word(image, kPtblDescriptor + 6);
    for (std::int32_t i = 0; i < n; ++i) {
        const std::int32_t dst = kPtblCopy + kPtblEntrySize * i;
        // A short or misplaced entry leaves zeros rather than a previous image's entry.
        std::memset(image.Data() + dst, 0, kPtblEntrySize);
        copyFromEeprom(image, translate(address + i * entrySize, base), dst, size);
    }
    return true;
}

std::optional<PtblEntry> findEntry(const cmcEeprom& image, int count, int id) {
    const int n = std::min(count, kPtblCopyEntries);
    for (int i = 0; i < n; ++i) {
        const std::int32_t e = kPtblCopy + kPtblEntrySize * i;
        if (word(image, e) != id) continue;
        return PtblEntry{word(image, e), word(image, e + 2), word(image, e + 4), word(image, e + 6)};
    }
    return std::nullopt;
}

void fillWorkingAreaFromInitial(cmcEeprom& image) {
    if (!copyPtbl(image)) return;
    const std::int32_t base = word(image, kBaseAddress);
    const int n = entryCount(image);
    for (const Structure& s : structures()) {
        const auto e = findEntry(image, n, s.id);
        if (!e) continue;
        const std::int32_t from = translate(e->address, base);
        switch (s.fill) {
            case FillMode::Block:
                copyFromEeprom(image, from, s.offset, s.Length());
                break;
            case FillMode::Repeat:
                for (int k = 0; k < s.records; ++k) copyFromEeprom(image, from, s.offset + k * s.recordSize, s.recordSize);
                break;
            case FillMode::Records:
                for (int k = 0; k < std::min<int>(e->recordCount, s.records); ++k) {
                    copyFromEeprom(image, from + k * e->recordSize, s.offset + k * s.recordSize, s.recordSize);
                }
                break;
        }
    }
}

void rebuildWorkingArea(cmcEeprom& image) {
    if (!copyPtbl(image)) return;
    const std::int32_t base = word(image, kBaseAddress);
    const int n = entryCount(image);

    auto unpack = [&](int id) {
        const Structure* s = structure(id);
        const auto e = findEntry(image, n, id);
        if (!s || !e) return;
        const std::int32_t from = translate(e->address, base);
        const int len = std::min<int>(e->recordSize, s->recordSize);
        const int r = s->records == 1 ? 1 : std::min<int>(e->recordCount, s->records);
        for (int i = 0; i < r; ++i) copyFromEeprom(image, from + i * e->recordSize, s->offset + i * s->recordSize, len);
    };
    unpack(2);
    for (int id : kUnpackOrder) unpack(id);

    // The last bank's channels are packed apart (IDs 4 and 5) and go after the others.
    const auto e2 = findEntry(image, n, 2), e3 = findEntry(image, n, 3);
    const auto e4 = findEntry(image, n, 4), e5 = findEntry(image, n, 5);
    if (!e2 || !e3 || !e4 || !e5) return;
    const int m = std::min<int>(e2->recordCount, kChannels);
    const int k = e4->recordCount;
    const std::int32_t from4 = translate(e4->address, base), from5 = translate(e5->address, base);
    for (int i = 0; i < k && m + i < kChannels; ++i) {
        copyFromEeprom(image, from4 + i * e2->recordSize, kChannelMain + 30 * (m + i), std::min<int>(e4->recordSize, 30));
        copyFromEeprom(image, from5 + i * e3->recordSize, kChannelExt + 20 * (m + i), std::min<int>(e5->recordSize, 20));
    }
    // The bank count unpacked with ID 8 says how many of the k records belong to the bank;
    // a clone write with bit 6 of 0x1694C packs spare blank records behind them. A used
    // channel behind the stored count still counts, and no count exceeds the records that
    // came with the image.
    RecordAccessor acc(image);
    const int stored = acc.bankCount(kLastBank);
    const int restored = std::min(k, kChannels - m);
    acc.setBankCount(kLastBank, restored);
    acc.setBankCount(kLastBank, std::min(restored, std::max(acc.lastUsedRow(kLastBank), stored)));
    buildParameterTable(image, false);
}

void checkDuplicateIds(const std::vector<PtblEntry>& entries) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        for (std::size_t j = i + 1; j < entries.size(); ++j) {
            if (entries[i].id != entries[j].id) continue;
            platform::fatalStop(
                "### BoobyTrap ###\nError Detect in Static2Dynaimc Sequence.\n\nDuplicate PTBL-ID : '" +
                std::to_string(entries[i].id) + "'");
        }
    }
}

bool buildParameterTable(cmcEeprom& image, bool cloneWrite, std::int32_t packedEnd) {
    packedEnd = std::min(packedEnd, kPackedEnd);
    setWord(image, kBaseAddress, kPackedStart);
    const RecordAccessor acc(image);
    // Every channel position of the banks is packed, blank rows included, so that no
    // channel behind a blank row is lost; the last bank's positions are packed apart.
    const int used = std::clamp(acc.totalChannels(), 0, kChannels);
    const int last = std::clamp(acc.bankCount(kLastBank), 0, used);
    const int ordinary = used - last;

    bool overflow = false;
    std::int32_t p = 0;
    std::vector<PtblEntry> entries;
    auto fits = [&](std::int64_t len) { return kPackedStart + p + len <= packedEnd; };
    auto put = [&](int id, std::int32_t from, int recordSize, int count) {
        if (overflow) return;
        const std::int32_t len = recordSize * count;
        if (!fits(len)) {
            overflow = true;
            return;
        }
        if (len > 0) std::memmove(image.Data() + kPackedStart + p, image.Data() + from, static_cast<std::size_t>(len));
        entries.push_back({static_cast<std::uint16_t>(id), static_cast<std::uint16_t>(recordSize),
                           static_cast<std::uint16_t>(count), static_cast<std::uint16_t>(kPackedStart + p)});
        p += len;
    };
    auto putStructure = [&](int id) {
        const Structure* s = structure(id);
        put(id, s->offset, s->recordSize, s->records);
    };

    put(2, kChannelMain, 30, ordinary);
    for (int id : kPackBeforeLastBank) putStructure(id);
    const bool lastBankAlways = (image.GetByte(kLastBankOption) & 0x40) != 0;
    if (last != 0 || lastBankAlways) {
        int k = last;
        if (cloneWrite && lastBankAlways) {
            // As many of the remaining records as leave room for everything packed after
            // them: the second channel area, the other structures, the PTBL and the maker
            // text. Filling the space with these records alone would make every such write
            // overflow.
            std::int64_t rest = 20 * ordinary + static_cast<std::int64_t>(kMakerText.size());
            for (int id : kPackAfterChannels) rest += structure(id)->Length();
            rest += kPtblEntrySize * static_cast<std::int64_t>(entries.size() + 3 + kPackAfterChannels.size());
            k = kChannels - ordinary;
            while (k > 0 && !fits(50 * k + rest)) --k;
            // Never fewer than the bank holds: a last bank that does not fit overflows below.
            k = std::max(k, last);
        }
        put(4, kChannelMain + 30 * ordinary, 30, k);
        put(5, kChannelExt + 20 * ordinary, 20, k);
    }
    setWord(image, kChannelAreaEnd, static_cast<std::uint32_t>(kPackedStart + p));
    put(3, kChannelExt, 20, ordinary);
    for (int id : kPackAfterChannels) putStructure(id);

    checkDuplicateIds(entries);

    const std::int32_t ptblLength = kPtblEntrySize * static_cast<std::int32_t>(entries.size());
    // The PTBL must fit as well: writing it past the end would overwrite the working area.
    if (!overflow && !fits(ptblLength)) overflow = true;
    if (!overflow) {
        const std::int32_t at = kPackedStart + p;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const std::int32_t e = at + kPtblEntrySize * static_cast<std::int32_t>(i);
            setWord(image, e, entries[i].id);
            setWord(image, e + 2, entries[i].recordSize);
            setWord(image, e + 4, entries[i].recordCount);
            setWord(image, e + 6, entries[i].address);
            setWord(image, e + 8, 0);
        }
        image.SetByte(kPtblDescriptor, 0);
        image.SetByte(kPtblDescriptor + 1, 1);
        setWord(image, kPtblDescriptor + 2, kPtblEntrySize);
        setWord(image, kPtblDescriptor + 4, static_cast<std::uint32_t>(entries.size()));
        setWord(image, kPtblDescriptor + 6, static_cast<std::uint32_t>(at));
        p += ptblLength;

        if (fits(static_cast<std::int64_t>(kMakerText.size()))) {
            image.WriteBlock(kPackedStart + p, kMakerText.data(), static_cast<std::int32_t>(kMakerText.size()));
            p += static_cast<std::int32_t>(kMakerText.size());
        } else {
            overflow = true;
        }
    }
    if (!overflow) setWord(image, kUsedEnd, static_cast<std::uint32_t>(kPackedStart + p));
    return overflow;
}

namespace {

// Orders record numbers by a big-endian key of `keyBytes` bytes at the start of each
// record; equal keys keep record order.
void writeIndex(cmcEeprom& image, std::int32_t records, int recordSize, int count, int keyBytes,
                std::int32_t index) {
    auto key = [&](int r) {
        std::uint32_t k = 0;
        for (int i = 0; i < keyBytes; ++i) k = (k << 8) | image.GetByte(records + r * recordSize + i);
        return k;
    };
    std::vector<int> order(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return key(a) < key(b); });
    for (int i = 0; i < count; ++i) image.SetByte(index + i, static_cast<std::uint8_t>(order[static_cast<std::size_t>(i)]));
}

// The summary values the radio reads instead of scanning its channels.
void writeSummaries(cmcEeprom& image) {
    RecordAccessor acc(image);
    std::uint8_t summary = 0;
    std::uint32_t firstUsed = 0xFFFF;
    for (int b = 0; b < RecordAccessor::kBanks; ++b) {
        std::uint32_t bankFirst = 0xFFFF;
        const int first = acc.bankFirstChannel(b);
        for (int c = first; c < first + acc.bankCount(b) && c < kChannels; ++c) {
            if (!acc.channelValid(c)) continue;
            if (bankFirst == 0xFFFF) bankFirst = static_cast<std::uint32_t>(c);
            summary |= b == kLastBank ? 0x02 : 0x01;
            if (image.GetByte(kChannelMain + 30 * c + 12) & 0x03) summary |= 0x04;
            if (image.GetByte(kChannelExt + 20 * c + 3) & 0x60) summary |= 0x08;
        }
        setWord(image, kBankFirstUsed + 2 * b, bankFirst);
        firstUsed = std::min(firstUsed, bankFirst);
    }
    setWord(image, kFirstUsedChannel, firstUsed);
    image.SetByte(kSummaryBits, summary);
}

// Copies the bits of `mask` at `address` from the initial image.
void copyBits(cmcEeprom& image, const cmcEeprom& initial, std::int32_t address, std::uint8_t mask) {
    image.SetByte(address, static_cast<std::uint8_t>((image.GetByte(address) & ~mask) | (initial.GetByte(address) & mask)));
}

}  // namespace

bool normaliseImage(cmcEeprom& image, const cmcEeprom& initial, int modelKind, bool forWriting) {
    if (!forWriting) rebuildWorkingArea(image);

    // The identity of the radio and the model comes from the model's initial image.
    for (std::int32_t a : {0x0000, 0x0001, 0x0002, 0x0003, 0x0008, 0x0009, 0x000A}) copyBits(image, initial, a, 0xFF);
    for (std::int32_t a = 0x0100; a <= 0x010B; ++a) copyBits(image, initial, a, 0xFF);
    copyBits(image, initial, 0x13FC0, 0xFF);
    const bool handheld = modelKind >= 0 && modelKind <= 3;
    image.SetByte(0x000C, static_cast<std::uint8_t>(handheld ? (image.GetByte(0x000C) | 0x20) : (image.GetByte(0x000C) & ~0x20)));
    // The model bits that model detection reads back.
    copyBits(image, initial, 0x168FD, 0x18);
    copyBits(image, initial, 0x168FE, 0x40);
    writeSummaries(image);

    writeIndex(image, 0x18052, 16, 100, 4, 0x1946E);  // digital inventory by unit identifier
    writeIndex(image, 0x18692, 14, 250, 2, 0x19572);  // talk groups by group identifier

    bool overflow = false;
    if (forWriting) overflow = buildParameterTable(image, false);
    image.SetByte(0x17A20, 0);
    image.SetByte(0x17A21, initial.GetByte(0x17A21));
    return overflow;
}

}  // namespace imageprep
