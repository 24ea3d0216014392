#include "image/RecordAccessor.h"

#include <algorithm>

namespace {

constexpr std::int32_t kBankCounts = 0x1696C;  // 128 big-endian channel counts
constexpr std::int32_t kBankBitsA = 0x168E4;
constexpr std::int32_t kBankBitsB = 0x16A6C;
constexpr std::int32_t kMarkA = 0x13B80;
constexpr std::int32_t kMarkB = 0x13B82;
constexpr std::int32_t kMarkC = 0x168F4;
constexpr std::int32_t kOptionByte = 0x168FE;  // bit 5: clear while channel flag 3 is set
constexpr std::int32_t kRepeaterCounts = 0x1966C;
constexpr std::int32_t kListOptions = 0x196EE;  // two bytes per bank / repeater list
constexpr std::int32_t kChannelMain = 0xFF80;
constexpr std::int32_t kChannelMainSize = 30;
constexpr std::int32_t kChannelBlankByte = 12;  // bit 5: all 12 name characters are spaces
constexpr std::int32_t kChannelName = 14;
constexpr std::int32_t kChannelExtension = 0x140D0;
constexpr std::int32_t kChannelExtensionSize = 20;
constexpr std::int32_t kChannelBytes = 0x1FBEE;  // four bytes per channel (three used)
constexpr std::int32_t kChannelBytesSize = 4;
constexpr std::int32_t kScanArrays = 0x13B90;  // eleven arrays of one bit per channel
constexpr std::int32_t kScanArraySize = 64;
constexpr int kScanArrayCount = 11;

bool isChannelKind(int k) { return k >= 1 && k <= 4; }

std::uint32_t mask(const FieldPart& p) {
    const int bits = p.bytes ? 8 * p.bytes : p.width;
    return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1u;
}

}  // namespace

ToneSetting ToneSetting::FromRaw(std::uint16_t raw) {
    const std::uint8_t b0 = static_cast<std::uint8_t>(raw >> 8);
    ToneSetting t;
    t.on = (b0 & 0x80) == 0;
    t.digital = (b0 & 0x40) != 0;
    t.inverted = (b0 & 0x20) != 0;
    t.code = static_cast<std::uint16_t>(((b0 & 0x01) << 8) | (raw & 0xFF));
    t.otherBits = b0 & 0x1E;
    return t;
}

std::uint16_t ToneSetting::ToRaw() const {
    const unsigned b0 = (on ? 0u : 0x80u) | (digital ? 0x40u : 0u) | (inverted ? 0x20u : 0u) | (otherBits & 0x1Eu) |
                        ((code >> 8) & 1u);
    return static_cast<std::uint16_t>((b0 << 8) | (code & 0xFFu));
}

// --- Kind table -------------------------------------------------------------------------

std::int32_t RecordAccessor::firstNumber(int k) {
    return (k < 0 || k >= kRecordKindCount) ? 0 : recordLayout(k).first;
}

std::int32_t RecordAccessor::lastNumber(int k) {
    return (k < 0 || k >= kRecordKindCount) ? 100'000'000 : recordLayout(k).last;
}

bool RecordAccessor::editableRows(int k) { return recordLayout(k).editableRows; }

bool RecordAccessor::hasField(int k, Fld field) {
    const auto& fields = recordLayout(k).fields;
    return std::any_of(fields.begin(), fields.end(), [&](const FieldSpec& f) { return f.id == field; });
}

bool RecordAccessor::decodable(int k, int n) const {
    if (k <= 0 || k >= kRecordKindCount) return false;
    if (k == 14) return n >= 0 && n < kBanks;  // one bank operation record per bank
    if (k == 22) {
        if (repeaterList_ < 0 || repeaterList_ >= kRepeaterLists || n < 0) return false;
        return repeaterFirst(repeaterList_) + n < kRepeaters && n <= lastNumber(k);
    }
    return n >= firstNumber(k) && n <= lastNumber(k);
}

// --- Image access -----------------------------------------------------------------------

std::int32_t RecordAccessor::partIndex(const FieldPart& p, int n) const {
    switch (p.index) {
        case PartIndex::Repeater:
            return repeaterFirst(repeaterList_) + n;
        case PartIndex::List:
            return repeaterList_;
        case PartIndex::Number:
        case PartIndex::None:
            break;
    }
    return n;
}

std::uint32_t RecordAccessor::readPart(const FieldPart& p, int n) const {
    const std::int32_t idx = partIndex(p, n);
    const std::int32_t addr = p.Address(idx);
    std::uint32_t v = 0;
    if (p.bitArray) {
        v = bit(p.base, idx) ? 1u : 0u;
    } else if (p.bytes) {
        for (int i = 0; i < p.bytes; ++i) v = (v << 8) | image_->GetByte(addr + i);
    } else {
        v = (static_cast<std::uint32_t>(image_->GetByte(addr)) >> p.bit) & mask(p);
    }
    return v << p.shift;
}

void RecordAccessor::writePart(const FieldPart& p, int n, std::uint32_t value) {
    const std::int32_t idx = partIndex(p, n);
    const std::int32_t addr = p.Address(idx);
    const std::uint32_t v = (value >> p.shift) & mask(p);
    if (p.bitArray) {
        setBit(p.base, idx, v != 0);
    } else if (p.bytes) {
        for (int i = p.bytes - 1, s = 0; i >= 0; --i, s += 8) writeByte(addr + i, static_cast<std::uint8_t>(v >> s));
    } else {
        const std::uint8_t keep = static_cast<std::uint8_t>(~(mask(p) << p.bit));
        writeByte(addr, static_cast<std::uint8_t>((image_->GetByte(addr) & keep) | (v << p.bit)));
    }
}

void RecordAccessor::writeByte(std::int32_t address, std::uint8_t value) {
    if (image_->GetByte(address) == value) return;
    image_->SetByte(address, value);
    changed_ = true;
}

std::uint16_t RecordAccessor::word(std::int32_t address) const {
    return static_cast<std::uint16_t>((image_->GetByte(address) << 8) | image_->GetByte(address + 1));
}

void RecordAccessor::setWord(std::int32_t address, std::uint16_t value) {
    writeByte(address, static_cast<std::uint8_t>(value >> 8));
    writeByte(address + 1, static_cast<std::uint8_t>(value));
}

bool RecordAccessor::bit(std::int32_t base, int index) const {
    return (image_->GetByte(base + index / 8) >> (7 - index % 8)) & 1;
}

void RecordAccessor::setBit(std::int32_t base, int index, bool on) {
    const std::int32_t addr = base + index / 8;
    const std::uint8_t m = static_cast<std::uint8_t>(0x80 >> (index % 8));
    writeByte(addr, static_cast<std::uint8_t>(on ? (image_->GetByte(addr) | m) : (image_->GetByte(addr) & ~m)));
}

// --- Load and store ---------------------------------------------------------------------

void RecordAccessor::clearFields() {
    values_.fill(0);
    status = 0;
    flags = 0;
    name.clear();
    text2.clear();
}

RecordAccessor& RecordAccessor::load(int k, int n) {
    clearFields();
    kind = k;
    number = n;
    if (!decodable(k, n)) return *this;

    const KindSpec& spec = recordLayout(k);
    for (const FieldSpec& f : spec.fields) {
        const FieldPart& first = f.parts.front();
        switch (f.type) {
            case FieldType::Number: {
                std::uint32_t v = 0;
                for (const FieldPart& p : f.parts) v |= readPart(p, n);
                set(f.id, v);
                break;
            }
            case FieldType::Text:
            case FieldType::Bytes: {
                const std::int32_t addr = first.Address(partIndex(first, n));
                std::string bytes(f.length, '\0');
                for (int i = 0; i < f.length; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<char>(image_->GetByte(addr + i));
                (f.id == Fld::Text ? name : text2) = bytes;
                break;
            }
            case FieldType::Bcd: {
                const std::int32_t addr = first.Address(partIndex(first, n));
                const std::uint8_t b[2] = {image_->GetByte(addr), image_->GetByte(addr + 1)};
                set(f.id, bcdToNumber(b));
                break;
            }
        }
    }

    if (isChannelKind(k)) {
        set(Fld::Mch_FreqR, std::min(get(Fld::Mch_FreqR), kMaxFrequency));
        set(Fld::Mch_FreqT, std::min(get(Fld::Mch_FreqT), kMaxFrequency));
        // Scrambler type 2 counts its codes from 1.
        if (get(Fld::Mch_Scrm_Type) == 2) set(Fld::Mch_Scrm_Code, get(Fld::Mch_Scrm_Code) + 1);
    } else if (k == 22) {
        set(Fld::Rpt_FreqR, std::min(get(Fld::Rpt_FreqR), kMaxFrequency));
        set(Fld::Rpt_FreqT, std::min(get(Fld::Rpt_FreqT), kMaxFrequency));
    }
    if (spec.validField == Fld::Count || get(spec.validField) != spec.emptyValue) status |= kStatusValid;
    loadFlags(k, n);
    return *this;
}

void RecordAccessor::store(int k, int n) {
    if (k == 0) k = kind;
    if (!decodable(k, n)) return;
    const KindSpec& spec = recordLayout(k);

    std::array<std::uint32_t, kFieldCount> v = values_;
    auto at = [&](Fld f) -> std::uint32_t& { return v[static_cast<std::size_t>(f)]; };
    if (isChannelKind(k) || k == 22) {
        // A row that is not in use holds no frequencies.
        if (!(status & kStatusValid)) {
            at(isChannelKind(k) ? Fld::Mch_FreqR : Fld::Rpt_FreqR) = 0;
            at(isChannelKind(k) ? Fld::Mch_FreqT : Fld::Rpt_FreqT) = 0;
        }
    }
    if (isChannelKind(k) && at(Fld::Mch_Scrm_Type) == 2) at(Fld::Mch_Scrm_Code) -= 1;

    for (const FieldSpec& f : spec.fields) {
        const FieldPart& first = f.parts.front();
        switch (f.type) {
            case FieldType::Number:
                for (const FieldPart& p : f.parts) writePart(p, n, at(f.id));
                break;
            case FieldType::Text:
            case FieldType::Bytes: {
                const std::int32_t addr = first.Address(partIndex(first, n));
                const std::string& src = f.id == Fld::Text ? name : text2;
                const char pad = f.type == FieldType::Text ? ' ' : '\0';
                for (int i = 0; i < f.length; ++i) {
                    const std::size_t ui = static_cast<std::size_t>(i);
                    writeByte(addr + i, static_cast<std::uint8_t>(ui < src.size() ? src[ui] : pad));
                }
                break;
            }
            case FieldType::Bcd: {
                const std::int32_t addr = first.Address(partIndex(first, n));
                std::uint8_t b[4];
                // 0xFFFF is "no number": all four bytes stay erased.
                if (at(f.id) == 0xFFFF) {
                    std::fill(std::begin(b), std::end(b), 0xFF);
                } else {
                    numberToBcd(at(f.id), b, f.length);
                }
                for (int i = 0; i < f.length; ++i) writeByte(addr + i, b[i]);
                break;
            }
        }
    }

    if (isChannelKind(k)) {
        const std::int32_t rec = kChannelMain + kChannelMainSize * n;
        bool blank = true;
        for (int i = 0; i < 12; ++i) blank = blank && image_->GetByte(rec + kChannelName + i) == ' ';
        const std::uint8_t b = image_->GetByte(rec + kChannelBlankByte);
        writeByte(rec + kChannelBlankByte, static_cast<std::uint8_t>(blank ? (b | 0x20) : (b & ~0x20)));
    }
    storeFlags(k, n);
}

std::vector<std::int32_t> RecordAccessor::storedBytes(int k, int n) const {
    std::vector<std::int32_t> bytes;
    if (k == 0) k = kind;
    if (!decodable(k, n)) return bytes;
    for (const FieldSpec& f : recordLayout(k).fields) {
        for (const FieldPart& p : f.parts) {
            const std::int32_t addr = p.Address(partIndex(p, n));
            const int length = f.type == FieldType::Number ? std::max<int>(p.bytes, 1) : f.length;
            for (int i = 0; i < length; ++i) bytes.push_back(addr + i);
        }
    }
    if (isChannelKind(k)) {
        for (std::int32_t mark : {kMarkA, kMarkB, kMarkC}) bytes.insert(bytes.end(), {mark, mark + 1});
        bytes.push_back(kOptionByte);
        const int bank = bankOfChannel(n);
        if (bank < kBanks) bytes.push_back(kBankBitsA + bank / 8);
    } else if (k == 14 || k == 22) {
        bytes.push_back(kListOptions + 2 * (k == 14 ? n : repeaterList_));
    }
    std::sort(bytes.begin(), bytes.end());
    bytes.erase(std::unique(bytes.begin(), bytes.end()), bytes.end());
    return bytes;
}

RecordAccessor& RecordAccessor::storeThenLoad(int k, int n) {
    store(k, n);
    return load(k == 0 ? kind : k, n);
}

void RecordAccessor::loadFlags(int k, int n) {
    if (isChannelKind(k)) {
        const bool optionSet = (image_->GetByte(kOptionByte) & 0x20) != 0;
        if (word(kMarkA) == n) flags |= kFlagMarkA;
        if (word(kMarkB) == n) flags |= kFlagMarkB;
        if (word(kMarkC) == n && optionSet) flags |= kFlagMarkC;
        if (!optionSet) flags |= kFlagOption;
        if (bankBitA(bankOfChannel(n))) flags |= kFlagBankA;
    } else if (k == 14 || k == 22) {
        const int list = k == 14 ? n : repeaterList_;
        if (image_->GetByte(kListOptions + 2 * list) & 0x80) flags |= kFlagOption;
    }
}

void RecordAccessor::storeFlags(int k, int n) {
    if (isChannelKind(k)) {
        if (flags & kFlagMarkA) setWord(kMarkA, static_cast<std::uint16_t>(n));
        if (flags & kFlagMarkB) setWord(kMarkB, static_cast<std::uint16_t>(n));
        if (flags & kFlagMarkC) setWord(kMarkC, static_cast<std::uint16_t>(n));
        const std::uint8_t o = image_->GetByte(kOptionByte);
        writeByte(kOptionByte, static_cast<std::uint8_t>((flags & kFlagOption) ? (o & ~0x20) : (o | 0x20)));
        const int bank = bankOfChannel(n);
        if (bank < kBanks) setBankBitA(bank, (flags & kFlagBankA) != 0);
    } else if (k == 14 || k == 22) {
        const std::int32_t addr = kListOptions + 2 * (k == 14 ? n : repeaterList_);
        const std::uint8_t o = image_->GetByte(addr);
        writeByte(addr, static_cast<std::uint8_t>((flags & kFlagOption) ? (o | 0x80) : (o & 0x7F)));
    }
}

// --- Banks --------------------------------------------------------------------------------

int RecordAccessor::bankCount(int bank) const {
    return (bank < 0 || bank >= kBanks) ? 0 : word(kBankCounts + 2 * bank);
}

void RecordAccessor::setBankCount(int bank, int count) {
    if (bank >= 0 && bank < kBanks) setWord(kBankCounts + 2 * bank, static_cast<std::uint16_t>(count));
}

int RecordAccessor::bankFirstChannel(int bank) const {
    int sum = 0;
    for (int b = 0; b < bank && b < kBanks; ++b) sum += bankCount(b);
    return sum;
}

int RecordAccessor::bankLastChannel(int bank) const {
    return std::max(0, bankFirstChannel(bank) + bankCount(bank) - 1);
}

int RecordAccessor::totalChannels() const { return bankFirstChannel(kBanks); }

int RecordAccessor::bankOfChannel(int channel) const {
    int first = 0;
    for (int b = 0; b < kBanks; ++b) {
        const int count = bankCount(b);
        if (channel >= first && channel <= first + count - 1) return b;
        first += count;
    }
    return kBanks;
}

int RecordAccessor::bankOfPosition(int position) const {
    int sum = 0;
    for (int b = 0; b < kBanks; ++b) {
        sum += bankCount(b);
        if (sum >= position) return b;
    }
    return 0;
}

bool RecordAccessor::channelValid(int channel) const {
    if (channel < 0 || channel >= kChannels) return false;
    const std::int32_t rec = kChannelMain + kChannelMainSize * channel;
    return (image_->GetByte(rec) & 0x7F) != 0 || image_->GetByte(rec + 1) != 0 || image_->GetByte(rec + 2) != 0 ||
           image_->GetByte(rec + 3) != 0;
}

int RecordAccessor::usedChannels(int bank) const {
    if (bank < 0 || bank >= kBanks) return 0;
    const int first = bankFirstChannel(bank);
    int used = 0;
    for (int c = first; c < first + bankCount(bank); ++c) used += channelValid(c) ? 1 : 0;
    return used;
}

int RecordAccessor::lastUsedRow(int bank) const {
    if (bank < 0 || bank >= kBanks) return 0;
    const int first = bankFirstChannel(bank);
    for (int row = bankCount(bank) - 1; row >= 0; --row) {
        if (channelValid(first + row)) return row + 1;
    }
    return 0;
}

int RecordAccessor::totalUsedChannels() const {
    int used = 0;
    for (int b = 0; b < kBanks; ++b) used += usedChannels(b);
    return used;
}

bool RecordAccessor::bankBitA(int bank) const { return bank >= 0 && bank < kBanks && bit(kBankBitsA, bank); }

void RecordAccessor::setBankBitA(int bank, bool on) {
    if (bank >= 0 && bank < kBanks) setBit(kBankBitsA, bank, on);
}

bool RecordAccessor::bankBitB(int bank) const { return bank >= 0 && bank < kBanks && bit(kBankBitsB, bank); }

void RecordAccessor::setBankBitB(int bank, bool on) {
    if (bank >= 0 && bank < kBanks) setBit(kBankBitsB, bank, on);
}

// --- Repeater lists -------------------------------------------------------------------------

int RecordAccessor::repeaterCount(int list) const {
    return (list < 0 || list >= kRepeaterLists) ? 0 : image_->GetByte(kRepeaterCounts + list);
}

void RecordAccessor::setRepeaterCount(int list, int count) {
    if (list >= 0 && list < kRepeaterLists) writeByte(kRepeaterCounts + list, static_cast<std::uint8_t>(count));
}

int RecordAccessor::repeaterFirst(int list) const {
    int sum = 0;
    for (int l = 0; l < list && l < kRepeaterLists; ++l) sum += repeaterCount(l);
    return sum;
}

int RecordAccessor::totalRepeaters() const { return repeaterFirst(kRepeaterLists); }

// --- BCD ------------------------------------------------------------------------------------

std::uint32_t RecordAccessor::bcdToNumber(const std::uint8_t* bytes) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        const unsigned nibble = (bytes[i / 2] >> (i % 2 ? 0 : 4)) & 0x0F;
        if (nibble > 9) return 0xFFFF;
        v = v * 10 + nibble;
    }
    return v;
}

void RecordAccessor::numberToBcd(std::uint32_t value, std::uint8_t* buffer, int length) {
    std::fill(buffer, buffer + std::max(length, 0), 0xFF);
    if (length < 2) return;
    const unsigned d = value % 10000;
    buffer[0] = static_cast<std::uint8_t>(((d / 1000) << 4) | (d / 100 % 10));
    buffer[1] = static_cast<std::uint8_t>(((d / 10 % 10) << 4) | (d % 10));
}

// --- Moving channels ----------------------------------------------------------------------

void RecordAccessor::copyChannel(const cmcEeprom& source, int from, int to) {
    if (from < 0 || from >= kChannels || to < 0 || to >= kChannels) return;
    const auto copy = [&](std::int32_t base, std::int32_t size) {
        for (std::int32_t i = 0; i < size; ++i) writeByte(base + size * to + i, source.GetByte(base + size * from + i));
    };
    copy(kChannelMain, kChannelMainSize);
    copy(kChannelExtension, kChannelExtensionSize);
    copy(kChannelBytes, kChannelBytesSize);
    for (int k = 0; k < kScanArrayCount; ++k) {
        const std::int32_t base = kScanArrays + kScanArraySize * k;
        setBit(base, to, (source.GetByte(base + from / 8) >> (7 - from % 8)) & 1);
    }
}

void RecordAccessor::moveChannel(int from, int to) {
    if (from < 0 || from >= kChannels || to < 0 || to >= kChannels) return;
    copyChannel(*image_, from, to);
    for (std::int32_t mark : {kMarkA, kMarkB, kMarkC}) {
        if (word(mark) == from) setWord(mark, static_cast<std::uint16_t>(to));
    }
}
