#include "image/RecordAccessor.h"

#include "image/RadioText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

constexpr std::int32_t M0 = 0xFF80;   // channel main records, 30 bytes
constexpr std::int32_t X0 = 0x140D0;  // channel extension records, 20 bytes

cmcEeprom randomImage(unsigned seed) {
    cmcEeprom image(cmcEeprom::kImageSize);
    std::mt19937 rng(seed);
    for (std::int32_t i = 0; i < image.Size(); ++i) image.SetByte(i, static_cast<std::uint8_t>(rng()));
    return image;
}

void setWord(cmcEeprom& e, std::int32_t a, std::uint16_t v) {
    e.SetByte(a, static_cast<std::uint8_t>(v >> 8));
    e.SetByte(a + 1, static_cast<std::uint8_t>(v));
}

// The largest value a field can hold: the sum of its parts' bits.
std::uint32_t fieldMask(const FieldSpec& f) {
    std::uint32_t m = 0;
    for (const FieldPart& p : f.parts) {
        const int bits = p.bytes ? 8 * p.bytes : p.width;
        m |= (bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1u) << p.shift;
    }
    return m;
}

// Gives every field of the loaded record a random value it can hold.
void randomise(RecordAccessor& r, std::mt19937& rng) {
    for (const FieldSpec& f : recordLayout(r.kind).fields) {
        switch (f.type) {
            case FieldType::Number:
                r.set(f.id, static_cast<std::uint32_t>(rng()) & fieldMask(f));
                break;
            case FieldType::Bcd:
                r.set(f.id, static_cast<std::uint32_t>(rng() % 10000));
                break;
            case FieldType::Text:
            case FieldType::Bytes: {
                std::string s(f.length, ' ');
                for (char& c : s) c = static_cast<char>(f.type == FieldType::Text ? 0x20 + rng() % 95 : rng());
                (f.id == Fld::Text ? r.name : r.text2) = s;
                break;
            }
        }
    }
    for (Fld freq : {Fld::Mch_FreqR, Fld::Mch_FreqT, Fld::Rpt_FreqR, Fld::Rpt_FreqT}) {
        if (RecordAccessor::hasField(r.kind, freq)) r.set(freq, 1 + rng() % RecordAccessor::kMaxFrequency);
    }
    // Scrambler type 2 counts its codes 1..256.
    if (RecordAccessor::hasField(r.kind, Fld::Mch_Scrm_Type) && r.get(Fld::Mch_Scrm_Type) == 2) {
        r.set(Fld::Mch_Scrm_Code, 1 + r.get(Fld::Mch_Scrm_Code));
    }
    r.status = RecordAccessor::kStatusValid;
}

TEST(RecordAccessor, StoreWritesOnlyItsFieldsAndEveryFieldSurvivesStoreThenLoad) {
    std::mt19937 rng(42);
    for (int kind = 1; kind < kRecordKindCount; ++kind) {
        const int first = RecordAccessor::firstNumber(kind);
        const int last = kind == 14 ? 127 : RecordAccessor::lastNumber(kind);
        for (int number : {first, (first + last) / 2, last}) {
            // The same record stored into an image and into its bitwise complement: a bit
            // the store wrote is equal in both afterwards, every other bit kept its value.
            cmcEeprom a = randomImage(static_cast<unsigned>(kind * 1000 + number));
            cmcEeprom b = a;
            for (std::int32_t i = 0; i < b.Size(); ++i) b.SetByte(i, static_cast<std::uint8_t>(~a.GetByte(i)));
            // Banks and repeater lists small enough that every row has a place.
            for (cmcEeprom* img : {&a, &b}) {
                for (int bank = 0; bank < 128; ++bank) setWord(*img, 0x1696C + 2 * bank, bank == 0 ? 512 : 0);
                for (int list = 0; list < 128; ++list) img->SetByte(0x1966C + list, list == 3 ? 20 : 5);
            }
            const cmcEeprom a0 = a, b0 = b;

            RecordAccessor ra(a);
            ra.setRepeaterList(3);
            ra.load(kind, number);
            randomise(ra, rng);
            auto loadedFlags = [&](cmcEeprom& img) {
                RecordAccessor fresh(img);
                fresh.setRepeaterList(3);
                return fresh.load(kind, number).flags;
            };
            const std::uint8_t flagsB = loadedFlags(b);
            RecordAccessor rb = ra;
            rb.setImage(b);
            rb.flags = flagsB;
            // Flags carry state shared with other records; each image keeps its own.
            ra.flags = loadedFlags(a);
            ra.store(kind, number);
            rb.store(kind, number);

            // A byte the store wrote (a bit now equal in both images) is one of the bytes
            // the accessor names for the record: an editor may rely on that list.
            const std::vector<std::int32_t> named = ra.storedBytes(kind, number);
            for (std::int32_t i = 0; i < a.Size(); ++i) {
                const unsigned touchedA = a.GetByte(i) ^ a0.GetByte(i), touchedB = b.GetByte(i) ^ b0.GetByte(i);
                const unsigned differ = a.GetByte(i) ^ b.GetByte(i);
                ASSERT_EQ((touchedA | touchedB) & differ, 0u)
                    << "kind " << kind << " record " << number << " touched unmodelled bits at 0x" << std::hex << i;
                const unsigned written = (a0.GetByte(i) ^ b0.GetByte(i)) & ~differ & 0xFFu;
                if (written != 0) {
                    ASSERT_TRUE(std::binary_search(named.begin(), named.end(), i))
                        << "kind " << kind << " record " << number << " wrote 0x" << std::hex << i
                        << ", a byte its list does not name";
                }
            }

            RecordAccessor back(a);
            back.setRepeaterList(3);
            back.load(kind, number);
            for (const FieldSpec& f : recordLayout(kind).fields) {
                if (f.type == FieldType::Number || f.type == FieldType::Bcd) {
                    EXPECT_EQ(back.get(f.id), ra.get(f.id))
                        << "kind " << kind << " record " << number << " field " << static_cast<int>(f.id);
                }
            }
            EXPECT_EQ(back.name, ra.name) << "kind " << kind;
            EXPECT_EQ(back.text2, ra.text2) << "kind " << kind;
            EXPECT_EQ(back.flags, ra.flags) << "kind " << kind;
        }
    }
}

TEST(RecordAccessor, ChannelBitsLieWhereTheLayoutSays) {
    struct Case {
        Fld field;
        std::uint32_t value;
        std::int32_t address;
        std::uint8_t mask;
        std::uint8_t expected;
    };
    const int n = 7;
    const std::int32_t m = M0 + 30 * n, x = X0 + 20 * n;
    const std::vector<Case> cases = {
        {Fld::Mch_Inh, 1, m + 0, 0x80, 0x80},
        {Fld::Mch_TxInh, 1, m + 4, 0x80, 0x80},
        {Fld::Mch_Nar, 1, m + 12, 0x40, 0x40},
        {Fld::Mch_RfPo, 2, x + 0, 0x03, 0x02},
        {Fld::Mch_Lockout, 0b10110, x + 0, 0x0C, 0x08},   // bit 2 low, bit 3
        {Fld::Mch_Lockout, 0b10110, x + 17, 0x07, 0x05},  // X[17] bits 0-2 highest
        {Fld::Mch_Moni, 0b1010, x + 0, 0x40, 0x00},
        {Fld::Mch_Moni, 0b1010, x + 1, 0x08, 0x08},
        {Fld::Mch_Moni, 0b1010, x + 2, 0x30, 0x20},
        {Fld::Mch_Log, 0xA, x + 1, 0xF0, 0xA0},
        {Fld::Mch_Sel, 3, x + 2, 0xC0, 0xC0},
        {Fld::Mch_Scrm_On, 2, x + 3, 0x60, 0x40},
        {Fld::Mch_2Tone, 0x55, x + 8, 0x7F, 0x55},
        {Fld::Mch_Scan, 0x400, 0x13B90 + 0, 0x01, 0x01},       // array 0 is the highest bit; channel 7 = bit 0
        {Fld::Mch_Scan, 0x001, 0x13B90 + 640, 0x01, 0x01},     // array 10 the lowest
        {Fld::Mch_CTone_R, 0x4123, m + 8, 0xFF, 0x41},
    };
    for (const Case& c : cases) {
        cmcEeprom image(cmcEeprom::kImageSize);
        RecordAccessor r(image);
        r.load(1, n);
        r.set(Fld::Mch_FreqR, 146'520'000);
        r.status = RecordAccessor::kStatusValid;
        r.set(c.field, c.value);
        r.store(1, n);
        EXPECT_EQ(image.GetByte(c.address) & c.mask, c.expected) << "field " << static_cast<int>(c.field);
    }
}

TEST(RecordAccessor, ChannelEdgeCases) {
    cmcEeprom image(cmcEeprom::kImageSize);
    RecordAccessor r(image);
    image.SetByte(M0, 0x80);
    r.load(1, 0);
    EXPECT_FALSE(r.valid()) << "frequency 0 with the inhibit bit set";
    EXPECT_EQ(r.get(Fld::Mch_Inh), 1u);

    for (int i = 0; i < 4; ++i) image.SetByte(M0 + 30 + i, i == 0 ? 0x7F : 0xFF);
    r.load(1, 1);
    EXPECT_EQ(r.get(Fld::Mch_FreqR), 799'999'950u);
    EXPECT_TRUE(r.valid());

    // A row not in use keeps every other field as stored, but no frequencies.
    r.set(Fld::Mch_FreqT, 150'000'000);
    r.set(Fld::Mch_RfPo, 3);
    r.set(Fld::Mch_Inh, 1);
    r.name = "NAME        ";
    r.status = 0;
    r.store(1, 1);
    r.load(1, 1);
    EXPECT_EQ(r.get(Fld::Mch_FreqR), 0u);
    EXPECT_EQ(r.get(Fld::Mch_FreqT), 0u);
    EXPECT_EQ(r.get(Fld::Mch_RfPo), 3u);
    EXPECT_EQ(r.name, "NAME        ");
    EXPECT_EQ(image.GetByte(M0 + 30) & 0x80, 0x80) << "the inhibit bit is a field of its own";

    // Number 512 is accepted and decodes nothing.
    const cmcEeprom before = image;
    r.load(1, 512);
    EXPECT_EQ(r.get(Fld::Mch_FreqR), 0u);
    r.status = RecordAccessor::kStatusValid;
    r.set(Fld::Mch_FreqR, 1);
    r.store(1, 512);
    EXPECT_TRUE(image == before);
}

TEST(RecordAccessor, ScramblerTypeTwoCountsFromOneAndABlankNameIsMarked) {
    cmcEeprom image(cmcEeprom::kImageSize);
    RecordAccessor r(image);
    r.load(3, 2);
    r.status = RecordAccessor::kStatusValid;
    r.set(Fld::Mch_FreqR, 446'000'000);
    r.set(Fld::Mch_Scrm_Type, 2);
    r.set(Fld::Mch_Scrm_Code, 5);
    r.name = std::string(12, ' ');
    r.store(0, 2);  // kind 0: the kind of the last load
    EXPECT_EQ(image.GetByte(X0 + 40 + 5), 4);
    EXPECT_EQ(image.GetByte(M0 + 60 + 12) & 0x20, 0x20);
    EXPECT_EQ(r.storeThenLoad(3, 2).get(Fld::Mch_Scrm_Code), 5u);
    r.name = "A";
    r.store(3, 2);
    EXPECT_EQ(image.GetByte(M0 + 60 + 12) & 0x20, 0);
    EXPECT_EQ(image.GetByte(M0 + 60 + 15), ' ') << "names are padded with spaces";
}

TEST(RecordAccessor, ChannelFlagsLiveInTheirSharedPlaces) {
    cmcEeprom image(cmcEeprom::kImageSize);
    setWord(image, 0x1696C, 4);  // bank 0: channels 0..3
    setWord(image, 0x1696E, 4);  // bank 1: channels 4..7
    RecordAccessor r(image);
    r.load(1, 5);
    r.status = RecordAccessor::kStatusValid;
    r.set(Fld::Mch_FreqR, 100'000'000);
    r.flags = RecordAccessor::kFlagMarkA | RecordAccessor::kFlagMarkB | RecordAccessor::kFlagMarkC |
              RecordAccessor::kFlagBankA;
    r.store(1, 5);
    EXPECT_EQ(image.GetByte(0x13B81), 5);
    EXPECT_EQ(image.GetByte(0x13B83), 5);
    EXPECT_EQ(image.GetByte(0x168F5), 5);
    EXPECT_EQ(image.GetByte(0x168FE) & 0x20, 0x20) << "flag 3 clear is stored inverted";
    EXPECT_TRUE(r.bankBitA(1));
    EXPECT_EQ(r.load(1, 5).flags, r.kFlagMarkA | r.kFlagMarkB | r.kFlagMarkC | r.kFlagBankA);
    EXPECT_EQ(r.load(1, 6).flags, r.kFlagBankA) << "flag 4 belongs to the bank";

    r.load(1, 5);
    r.flags = RecordAccessor::kFlagOption;
    r.store(1, 5);
    EXPECT_EQ(image.GetByte(0x168FE) & 0x20, 0);
    EXPECT_FALSE(r.bankBitA(1));
    EXPECT_EQ(r.load(1, 5).flags, r.kFlagMarkA | r.kFlagMarkB | r.kFlagOption)
        << "mark C counts only while 0x168FE bit 5 is set";
}

TEST(RecordAccessor, ToneSettingBits) {
    struct Case {
        std::uint16_t raw;
        bool on, digital, inverted;
        std::uint16_t code;
    };
    for (const Case& c : {Case{0x0008, true, false, false, 8}, Case{0x8000, false, false, false, 0},
                          Case{0x6113, true, true, true, 0x113}, Case{0x5E17, true, true, false, 0x17}}) {
        const ToneSetting t = ToneSetting::FromRaw(c.raw);
        EXPECT_EQ(t.on, c.on) << std::hex << c.raw;
        EXPECT_EQ(t.digital, c.digital) << std::hex << c.raw;
        EXPECT_EQ(t.inverted, c.inverted) << std::hex << c.raw;
        EXPECT_EQ(t.code, c.code) << std::hex << c.raw;
        EXPECT_EQ(t.ToRaw(), c.raw) << "bits 1-4 of the first byte are carried along";
    }
}

TEST(RecordAccessor, ScanListDisplayTextHasItsLowBitOnTop) {
    cmcEeprom image(cmcEeprom::kImageSize);
    const std::int32_t d = 0x17499 + 28 * 2;
    image.SetByte(d + 24, 0xFF);
    image.SetByte(d + 25, 0x80);
    RecordAccessor r(image);
    r.load(7, 2);
    EXPECT_EQ(r.get(Fld::ScanList_ScanMode), 0xEFu) << "the byte without bit 4";
    EXPECT_EQ(r.get(Fld::ScanList_PwrSave), 1u);
    EXPECT_EQ(r.get(Fld::ScanList_DispText), 1u) << "bit 7 is the low bit";
}

TEST(RecordAccessor, BanksMapRowsToChannels) {
    cmcEeprom image(cmcEeprom::kImageSize);
    RecordAccessor r(image);
    r.setBankCount(0, 3);
    r.setBankCount(2, 5);
    EXPECT_EQ(r.bankOfChannel(3), 2) << "bank 1 is empty";
    EXPECT_EQ(r.bankLastChannel(1), 2);
    EXPECT_EQ(r.bankOfChannel(8), 128);
    EXPECT_EQ(r.bankFirstChannel(2), 3);
    EXPECT_EQ(r.bankLastChannel(5), 7);
    EXPECT_EQ(r.bankLastChannel(0), 2);
    EXPECT_EQ(r.totalChannels(), 8);
    EXPECT_EQ(r.bankOfPosition(4), 2);
    EXPECT_EQ(r.bankOfPosition(9), 0) << "no bank reaches position 9";
    EXPECT_EQ(r.bankCount(128), 0);
    r.setBankCount(-1, 9);
    EXPECT_EQ(r.totalChannels(), 8);

    image.SetByte(M0 + 30 * 4 + 3, 1);  // channel 4 = row 1 of bank 2
    image.SetByte(M0 + 30 * 9 + 3, 1);  // outside every bank
    EXPECT_EQ(r.usedChannels(2), 1);
    EXPECT_EQ(r.lastUsedRow(2), 2);
    EXPECT_EQ(r.lastUsedRow(0), 0);
    EXPECT_EQ(r.totalUsedChannels(), 1);

    r.setBankBitB(127, true);
    EXPECT_EQ(image.GetByte(0x16A7B), 0x01);
    EXPECT_TRUE(r.bankBitB(127));
    EXPECT_FALSE(r.bankBitB(128));
}

TEST(RecordAccessor, RepeatersAreRowsOfTheCurrentList) {
    cmcEeprom image(cmcEeprom::kImageSize);
    RecordAccessor r(image);
    r.setRepeaterCount(0, 3);
    r.setRepeaterCount(1, 2);
    EXPECT_EQ(r.repeaterFirst(2), 5);
    EXPECT_EQ(r.totalRepeaters(), 5);
    r.setRepeaterList(1);
    r.load(22, 1);
    EXPECT_FALSE(r.valid());
    r.status = RecordAccessor::kStatusValid;
    r.set(Fld::Rpt_FreqR, 0x7FFFFFFF);
    r.set(Fld::Rpt_Phone, 1);
    r.flags = RecordAccessor::kFlagOption;
    r.name = "LIST ONE";
    r.store(22, 1);
    const std::int32_t rec = 0x197EE + 10 * 4;  // list 1 starts at repeater 3
    EXPECT_EQ(image.GetByte(rec), 0x7F);
    EXPECT_EQ(image.GetByte(rec + 8), 0x01);
    EXPECT_EQ(image.GetByte(0x196EE + 2) & 0x80, 0x80) << "the area bit of list 1";
    EXPECT_EQ(radioToDisplay(std::string_view(reinterpret_cast<const char*>(image.Data()) + 0x16DF9 + 12, 12)),
              "LIST ONE    ");
    r.load(22, 1);
    EXPECT_EQ(r.get(Fld::Rpt_FreqR), 799'999'950u);
    EXPECT_TRUE(r.valid());
    EXPECT_EQ(r.load(14, 1).flags, RecordAccessor::kFlagOption) << "the bank operation record shares the bit";
}

TEST(RecordAccessor, KindTable) {
    EXPECT_EQ(RecordAccessor::firstNumber(9), 1);
    EXPECT_EQ(RecordAccessor::lastNumber(9), 8);
    EXPECT_EQ(RecordAccessor::lastNumber(17), 22);
    EXPECT_EQ(RecordAccessor::lastNumber(14), 100'000'000);
    EXPECT_EQ(RecordAccessor::lastNumber(23), 100'000'000);
    EXPECT_EQ(RecordAccessor::firstNumber(-1), 0);
    EXPECT_EQ(RecordAccessor::lastNumber(0), 0);
    for (int k = 0; k < kRecordKindCount; ++k) {
        EXPECT_EQ(RecordAccessor::editableRows(k), (k >= 1 && k <= 5) || k == 22) << k;
    }
}

TEST(RecordAccessor, BcdNumbers) {
    const std::uint8_t bad[2] = {0x12, 0x3A};
    EXPECT_EQ(RecordAccessor::bcdToNumber(bad), 0xFFFFu);
    const std::uint8_t good[2] = {0x09, 0x87};
    EXPECT_EQ(RecordAccessor::bcdToNumber(good), 987u);
    std::uint8_t buf[4] = {0, 0, 0, 0};
    RecordAccessor::numberToBcd(12345, buf, 4);
    EXPECT_EQ(buf[0], 0x23);
    EXPECT_EQ(buf[1], 0x45);
    EXPECT_EQ(buf[2], 0xFF);
    EXPECT_EQ(buf[3], 0xFF);

    cmcEeprom image(cmcEeprom::kImageSize);
    RecordAccessor r(image);
    r.load(16, 3);
    r.set(Fld::Msk_CallList_Adr, 0xFFFF);
    r.store(16, 3);
    EXPECT_EQ(image.GetByte(0x13ED0 + 12), 0xFF) << "no number: the digits stay erased";
    EXPECT_FALSE(r.load(16, 3).valid());
}

TEST(RadioText, ConversionBothWays) {
    EXPECT_EQ(radioToDisplay(std::string("AB\x01~\x7F", 5)), "AB ~ ");
    EXPECT_EQ(radioToDisplay(std::string("AB\0CD", 5)), "AB") << "code 0 ends a text";
    EXPECT_EQ(displayToRadio("Caf\xC3\xA9 1", 8), "Caf  1  ") << "one space for one character";
    EXPECT_EQ(displayToRadio("LONG NAME TEXT", 12), "LONG NAME TE");
    EXPECT_EQ(displayToRadio("AB", 4, true), std::string("AB\0\0", 4));
    EXPECT_EQ(displayToRadio("a\tb", 3), "a b");
}

}  // namespace
