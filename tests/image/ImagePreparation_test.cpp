#include "app/ImagePreparation.h"

#include "app/ModelRules.h"
#include "image/RecordAccessor.h"
#include "image/cmcIcfFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

using namespace imageprep;

std::uint16_t word(const cmcEeprom& e, std::int32_t a) {
    return static_cast<std::uint16_t>((e.GetByte(a) << 8) | e.GetByte(a + 1));
}

void setWord(cmcEeprom& e, std::int32_t a, std::uint32_t v) {
    e.SetByte(a, static_cast<std::uint8_t>(v >> 8));
    e.SetByte(a + 1, static_cast<std::uint8_t>(v));
}

// A random image whose bank and repeater bookkeeping fits the radio: every byte random,
// then channel counts over random banks (at most `maxChannels` in all) and random
// repeater-list counts.
cmcEeprom randomRadioImage(unsigned seed, int maxChannels = 440) {
    std::mt19937 rng(seed);
    cmcEeprom image(cmcEeprom::kImageSize);
    for (std::int32_t i = 0; i < image.Size(); ++i) image.SetByte(i, static_cast<std::uint8_t>(rng()));
    RecordAccessor acc(image);
    int left = static_cast<int>(rng() % static_cast<unsigned>(maxChannels + 1));
    for (int b = 0; b < 128; ++b) acc.setBankCount(b, 0);
    while (left > 0) {
        const int bank = (rng() % 4 == 0) ? 127 : static_cast<int>(rng() % 128);
        const int n = std::min(left, 1 + static_cast<int>(rng() % 40));
        acc.setBankCount(bank, acc.bankCount(bank) + n);
        left -= n;
    }
    int repeaters = 2560;
    for (int l = 0; l < 128; ++l) {
        const int n = std::min(repeaters, static_cast<int>(rng() % 30));
        acc.setRepeaterCount(l, n);
        repeaters -= n;
    }
    return image;
}

// The bytes of the working area that packing carries: every structure except the channel
// positions beyond the banks and ID 23, which the radio never stores.
bool packedStructuresEqual(const cmcEeprom& a, const cmcEeprom& b, std::string& where) {
    const int used = RecordAccessor(const_cast<cmcEeprom&>(a)).totalChannels();
    for (const Structure& s : structures()) {
        if (s.id == 23) continue;
        const int records = (s.id == 2 || s.id == 3) ? used : s.records;
        const std::int32_t len = records * s.recordSize;
        if (std::memcmp(a.Data() + s.offset, b.Data() + s.offset, static_cast<std::size_t>(len)) != 0) {
            where = "structure " + std::to_string(s.id);
            return false;
        }
    }
    return true;
}

TEST(ImagePreparation, RandomImagesSurviveUnpackPackWriteReadUnpack) {
    testsupport::TempDir dir;
    for (unsigned seed = 1; seed <= 12; ++seed) {
        cmcEeprom a = randomRadioImage(seed);
        if (seed % 2) a.SetByte(0x1694C, a.GetByte(0x1694C) | 0x40);  // last bank always packed
        ASSERT_FALSE(buildParameterTable(a, false)) << "seed " << seed;

        rebuildWorkingArea(a);
        const cmcEeprom unpacked = a;
        ASSERT_FALSE(buildParameterTable(a, false));
        std::string where;
        ASSERT_TRUE(packedStructuresEqual(a, unpacked, where)) << "seed " << seed << ": packing changed " << where;

        cmcIcfFile writer(a);
        writer.SetCodes(model::kModelCode, model::kExtraCode);
        writer.SetMapRevision(model::kMapRevision);
        writer.SetShowMessages(false);
        ASSERT_EQ(writer.Write(dir.file("r.tdf"), modelAddressRanges(2)), FileError::Ok);

        // Read into an image whose working area holds other bytes altogether.
        cmcEeprom b = randomRadioImage(seed + 1000);
        cmcIcfFile reader(b);
        reader.SetShowMessages(false);
        reader.SetHeaderCheck(model::checkFileCodes);
        reader.SetMapRevisionCheck(model::checkMapRevision);
        ASSERT_EQ(reader.Read(dir.file("r.tdf"), modelAddressRanges(3)), FileError::Ok);
        EXPECT_EQ(std::memcmp(a.Data(), b.Data(), cmcEeprom::kEepromSize), 0)
            << "seed " << seed << ": every EEPROM byte, modelled or not, survives the file";
        rebuildWorkingArea(b);
        EXPECT_TRUE(packedStructuresEqual(b, unpacked, where)) << "seed " << seed << ": " << where;
    }
}

TEST(ImagePreparation, PackedLayoutAndPtblDescriptor) {
    cmcEeprom image = randomRadioImage(5, 0);  // no channels at all
    image.SetByte(0x1694C, 0);
    ASSERT_FALSE(buildParameterTable(image, false));
    EXPECT_EQ(word(image, kBaseAddress), 0x0200);
    EXPECT_EQ(image.GetByte(kPtblDescriptor), 0);
    EXPECT_EQ(image.GetByte(kPtblDescriptor + 1), 1);
    EXPECT_EQ(word(image, kPtblDescriptor + 2), 10);

    ASSERT_TRUE(copyPtbl(image));
    const int n = word(image, kPtblDescriptor + 4);
    const auto e2 = findEntry(image, n, 2), e3 = findEntry(image, n, 3);
    ASSERT_TRUE(e2 && e3);
    EXPECT_EQ(e2->recordCount, 0);
    EXPECT_EQ(e3->recordCount, 0);
    EXPECT_EQ(e2->address, 0x0200);
    // With no channels the channel area ends right after IDs 7, 15, 6, 18, 27 and 32.
    EXPECT_EQ(word(image, kChannelAreaEnd), 0x0200 + 16 + 704 + 288 + 128 + 128 + 96);
    EXPECT_EQ(e3->address, word(image, kChannelAreaEnd));
    EXPECT_FALSE(findEntry(image, n, 23)) << "ID 23 is never packed";
    EXPECT_FALSE(findEntry(image, n, 4)) << "no last bank";
    const auto e15 = findEntry(image, n, 15);
    ASSERT_TRUE(e15);
    EXPECT_EQ(e15->recordSize, 64);
    EXPECT_EQ(e15->recordCount, 11);

    // The maker text stands right before the used end.
    const std::int32_t usedEnd = word(image, kUsedEnd);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.Data()) + usedEnd - 8, 8), "VORN Inc");
    EXPECT_EQ(word(image, kPtblDescriptor + 6) + 10 * n, usedEnd - 8);
}

TEST(ImagePreparation, DataThatJustFitsAndMakerTextThatDoesNot) {
    cmcEeprom image = randomRadioImage(9, 100);
    ASSERT_FALSE(buildParameterTable(image, false));
    const std::int32_t exact = word(image, kUsedEnd);
    ASSERT_FALSE(buildParameterTable(image, false, exact)) << "everything fits to the last byte";
    EXPECT_EQ(word(image, kUsedEnd), exact);

    setWord(image, kUsedEnd, 0x1234);
    EXPECT_TRUE(buildParameterTable(image, false, exact - 1)) << "one byte short for the maker text";
    EXPECT_EQ(word(image, kUsedEnd), 0x1234) << "the used end stays as it was";
    EXPECT_EQ(word(image, kPtblDescriptor + 6) + 10 * word(image, kPtblDescriptor + 4), exact - 8)
        << "the PTBL itself was written";
}

TEST(ImagePreparation, OverflowStopsAtTheFirstStructureThatDoesNotFit) {
    cmcEeprom image = randomRadioImage(3, 100);
    setWord(image, kUsedEnd, 0x1234);
    const cmcEeprom before = image;
    EXPECT_TRUE(buildParameterTable(image, false, 0x0800));
    EXPECT_EQ(word(image, kUsedEnd), 0x1234);
    EXPECT_EQ(std::memcmp(image.Data() + 0x0800, before.Data() + 0x0800, cmcEeprom::kImageSize - 0x0800), 0)
        << "nothing is written past the end";
    EXPECT_EQ(image.GetByte(kPtblDescriptor + 6), before.GetByte(kPtblDescriptor + 6)) << "no PTBL written";

    // The whole radio: 512 channels do not fit beside every other structure.
    cmcEeprom full = randomRadioImage(4, 0);
    RecordAccessor(full).setBankCount(0, 512);
    EXPECT_TRUE(buildParameterTable(full, false));
}

TEST(ImagePreparation, CloneWriteShrinksTheAlwaysPackedLastBankUntilItFits) {
    cmcEeprom image = randomRadioImage(6, 0);
    RecordAccessor(image).setBankCount(0, 300);
    image.SetByte(0x1694C, 0x40);
    ASSERT_FALSE(buildParameterTable(image, false));
    ASSERT_TRUE(copyPtbl(image));
    EXPECT_EQ(findEntry(image, word(image, kPtblDescriptor + 4), 4)->recordCount, 0) << "normally the bank's count";

    ASSERT_FALSE(buildParameterTable(image, true));
    ASSERT_TRUE(copyPtbl(image));
    const int k = findEntry(image, word(image, kPtblDescriptor + 4), 4)->recordCount;
    EXPECT_GT(k, 0);
    EXPECT_LT(k, 512 - 300);
    EXPECT_LT(0xFF80 - word(image, kUsedEnd), 50) << "one more record pair would not fit";
}

// The clone write with the last bank always packed: the radio gets more last-bank records
// than the bank holds, and reading them back must still give the banks that were written.
TEST(ImagePreparation, AlwaysPackedLastBankReadsBackAsTheBanksThatWereWritten) {
    cmcEeprom a = randomRadioImage(21, 0);
    RecordAccessor acc(a);
    acc.setBankCount(0, 5);
    acc.setBankCount(3, 4);
    acc.setBankCount(127, 3);
    for (int c = 12; c < 512; ++c) std::memset(a.Data() + 0xFF80 + 30 * c, 0, 30);  // blank behind the banks
    a.SetByte(0x1694C, a.GetByte(0x1694C) | 0x40);
    ASSERT_FALSE(buildParameterTable(a, true));
    ASSERT_TRUE(copyPtbl(a));
    ASSERT_GT(findEntry(a, word(a, kPtblDescriptor + 4), 4)->recordCount, 3) << "the fixture packs spare records";

    // Only the EEPROM part comes back from the radio; the working area holds other bytes.
    cmcEeprom b = randomRadioImage(22, 0);
    std::memcpy(b.Data(), a.Data(), cmcEeprom::kEepromSize);
    rebuildWorkingArea(b);
    RecordAccessor back(b);
    for (int bank = 0; bank < RecordAccessor::kBanks; ++bank) {
        EXPECT_EQ(back.bankCount(bank), acc.bankCount(bank)) << "bank " << bank;
    }
}

TEST(ImagePreparation, AlwaysPackedLastBankThatDoesNotFitTheCloneWriteIsAnOverflow) {
    cmcEeprom image = randomRadioImage(6, 0);
    RecordAccessor acc(image);
    acc.setBankCount(0, 300);
    image.SetByte(0x1694C, 0x40);
    ASSERT_FALSE(buildParameterTable(image, true));
    ASSERT_TRUE(copyPtbl(image));
    const int room = findEntry(image, word(image, kPtblDescriptor + 4), 4)->recordCount;

    acc.setBankCount(127, room);
    EXPECT_FALSE(buildParameterTable(image, true)) << "a last bank that just fits";
    acc.setBankCount(127, room + 1);
    EXPECT_TRUE(buildParameterTable(image, true)) << "one record more than fits is never dropped silently";
}

// A hand-made packed image: a PTBL of `count` entries of `entrySize` bytes at 0x0300 with
// base 0x1000 (so addresses are image offsets + 0x0E00), holding ID 7 at entry `at7`.
cmcEeprom handMadePtbl(int count, int entrySize, int at7) {
    cmcEeprom image(cmcEeprom::kImageSize);
    const std::int32_t base = 0x1000, shift = base - 0x0200;
    setWord(image, kBaseAddress, base);
    image.SetByte(kPtblDescriptor + 1, 1);
    setWord(image, kPtblDescriptor + 2, entrySize);
    setWord(image, kPtblDescriptor + 4, count);
    setWord(image, kPtblDescriptor + 6, 0x0300 + shift);
    for (int i = 0; i < count; ++i) {
        const std::int32_t e = 0x0300 + i * entrySize;
        setWord(image, e, i == at7 ? 7 : 100 + i);
        setWord(image, e + 2, 16);
        setWord(image, e + 4, 1);
        setWord(image, e + 6, 0x0800 + shift);
        if (entrySize > 10) image.SetByte(e + 10, 0xEE);
    }
    for (int i = 0; i < 16; ++i) image.SetByte(0x0800 + i, static_cast<std::uint8_t>(0xA0 + i));
    return image;
}

TEST(ImagePreparation, OnlyTheFirst46EntriesCount) {
    cmcEeprom image = handMadePtbl(60, 10, 50);
    rebuildWorkingArea(image);
    EXPECT_EQ(image.GetByte(0x13B80), 0) << "ID 7 at entry 50 is not seen";
    cmcEeprom seen = handMadePtbl(60, 10, 45);
    rebuildWorkingArea(seen);
    EXPECT_EQ(seen.GetByte(0x13B80), 0xA0);
    EXPECT_EQ(seen.GetByte(0x13B8F), 0xAF);
}

TEST(ImagePreparation, TwelveByteEntriesCopyTenBytesWithATwelveByteStride) {
    cmcEeprom image = handMadePtbl(20, 12, 5);
    ASSERT_TRUE(copyPtbl(image));
    EXPECT_EQ(word(image, kPtblCopy + 10 * 5), 7);
    EXPECT_EQ(word(image, kPtblCopy + 10 * 6), 106);
    for (int i = 0; i < 20; ++i) EXPECT_NE(image.GetByte(kPtblCopy + 10 * i + 8), 0xEE) << "bytes 10-11 stay out";
    fillWorkingAreaFromInitial(image);
    EXPECT_EQ(image.GetByte(0x13B85), 0xA5);
}

TEST(ImagePreparation, InvalidDescriptorOrAddressesOutsideTheEepromChangeNothing) {
    cmcEeprom image = handMadePtbl(20, 10, 5);
    image.SetByte(kPtblDescriptor + 1, 2);
    const cmcEeprom before = image;
    EXPECT_FALSE(copyPtbl(image));
    rebuildWorkingArea(image);
    fillWorkingAreaFromInitial(image);
    EXPECT_TRUE(image == before);

    // An entry that points past the EEPROM part copies nothing, and never reads beyond it.
    cmcEeprom wild = handMadePtbl(20, 10, 5);
    setWord(wild, 0x0300 + 5 * 10 + 6, 0xFFF8);
    rebuildWorkingArea(wild);
    EXPECT_EQ(wild.GetByte(0x13B80), 0);
}

TEST(ImagePreparation, FillFromInitialRepeatsOneRecordOrCopiesRecords) {
    cmcEeprom image = randomRadioImage(8, 50);
    ASSERT_FALSE(buildParameterTable(image, false));
    // ID 2 has one record repeated into all 512 places; ID 13 (bank texts) record by record.
    cmcEeprom filled = image;
    std::memset(filled.Data() + cmcEeprom::kEepromSize, 0, cmcEeprom::kImageSize - cmcEeprom::kEepromSize);
    fillWorkingAreaFromInitial(filled);
    for (int c : {0, 1, 200, 511}) {
        EXPECT_EQ(std::memcmp(filled.Data() + 0xFF80 + 30 * c, image.Data() + 0xFF80, 30), 0) << "channel " << c;
    }
    EXPECT_EQ(std::memcmp(filled.Data() + 0x16DF9, image.Data() + 0x16DF9, 12 * 128), 0);
}

TEST(ImagePreparationDeathTest, DuplicateIdentifierStopsTheProgram) {
    std::vector<PtblEntry> entries = {{2, 30, 0, 0x200}, {7, 16, 1, 0x200}, {2, 20, 0, 0x210}};
    EXPECT_DEATH(checkDuplicateIds(entries),
                 "### BoobyTrap ###\nError Detect in Static2Dynaimc Sequence.\n\nDuplicate PTBL-ID : '2'");
}

TEST(ImagePreparation, NormaliseTakesTheModelFromTheInitialImageAndSortsTheIndexes) {
    cmcEeprom initial = randomRadioImage(20, 0);
    cmcEeprom image = randomRadioImage(21, 0);
    RecordAccessor acc(image);
    acc.setBankCount(3, 4);  // channels 0..3
    for (int c = 0; c < 4; ++c) {
        for (int i = 0; i < 4; ++i) image.SetByte(0xFF80 + 30 * c + i, c == 2 ? 0 : 1);
        image.SetByte(0xFF80 + 30 * c + 12, 0);
        image.SetByte(0x140D0 + 20 * c + 3, 0);
    }
    // Digital inventory keys: record 1 smallest, records 0 and 2 equal.
    for (int r = 0; r < 100; ++r) {
        setWord(image, 0x18052 + 16 * r, 0xFFFF);
        setWord(image, 0x18052 + 16 * r + 2, 0xFFFF);
    }
    setWord(image, 0x18052 + 16 * 0 + 2, 5);
    setWord(image, 0x18052 + 16 * 1 + 2, 3);
    setWord(image, 0x18052 + 16 * 2 + 2, 5);
    setWord(image, 0x18052 + 16 * 0, 0);
    setWord(image, 0x18052 + 16 * 1, 0);
    setWord(image, 0x18052 + 16 * 2, 0);

    ASSERT_FALSE(normaliseImage(image, initial, 1, true));
    for (std::int32_t a : {0x0000, 0x0003, 0x0008, 0x000A, 0x0100, 0x010B, 0x13FC0, 0x17A21}) {
        EXPECT_EQ(image.GetByte(a), initial.GetByte(a)) << std::hex << a;
    }
    EXPECT_EQ(image.GetByte(0x000C) & 0x20, 0x20) << "kind 1 is a handheld";
    EXPECT_EQ(image.GetByte(0x168FD) & 0x18, initial.GetByte(0x168FD) & 0x18);
    EXPECT_EQ(image.GetByte(0x168FE) & 0x40, initial.GetByte(0x168FE) & 0x40);
    EXPECT_EQ(image.GetByte(0x17A20), 0);
    EXPECT_EQ(image.GetByte(0x1946E), 1);
    EXPECT_EQ(image.GetByte(0x1946F), 0);
    EXPECT_EQ(image.GetByte(0x19470), 2) << "equal keys keep record order";

    EXPECT_EQ(word(image, kFirstUsedChannel), 0);
    EXPECT_EQ(word(image, kBankFirstUsed + 2 * 3), 0);
    EXPECT_EQ(word(image, kBankFirstUsed + 2 * 0), 0xFFFF);
    EXPECT_EQ(image.GetByte(kSummaryBits), 0x01);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.Data()) + word(image, kUsedEnd) - 8, 8), "VORN Inc")
        << "for writing: packed";

    normaliseImage(image, initial, 6, false);
    EXPECT_EQ(image.GetByte(0x000C) & 0x20, 0) << "kind 6 is a mobile";
}

TEST(ModelRules, DetectionReadsTheModelBits) {
    struct Case {
        bool handheld;
        std::uint8_t a;
        bool b6;
        int kind;
    };
    for (const Case& c : {Case{true, 0x00, false, 0}, Case{true, 0x08, false, 1}, Case{true, 0x10, false, 2},
                          Case{true, 0x10, true, 3}, Case{false, 0x00, false, 4}, Case{false, 0x08, false, 5},
                          Case{false, 0x10, false, 6}, Case{false, 0x18, true, 7}}) {
        cmcEeprom image(cmcEeprom::kImageSize);
        image.SetByte(0x000C, c.handheld ? 0x20 : 0);
        image.SetByte(0x168FD, c.a);
        image.SetByte(0x168FE, c.b6 ? 0x40 : 0);
        EXPECT_EQ(model::detectModelKind(image), c.kind);
    }
}

TEST(ModelRules, FileCodesAcceptTheEarlierExtraCode) {
    struct Case {
        std::int32_t model, extra;
        bool ok;
        int code;
    };
    for (const Case& c : {Case{0x2897, 0, true, 0}, Case{0x2897, 0x0100, true, 0}, Case{0x2897, 1, false, 4},
                          Case{0x2896, 0, false, 3}, Case{0x2896, 7, false, 3}}) {
        int code = 0;
        EXPECT_EQ(model::checkFileCodes(c.model, c.extra, code), c.ok);
        EXPECT_EQ(code, c.code);
    }
    EXPECT_TRUE(model::checkMapRevision(5));
    EXPECT_FALSE(model::checkMapRevision(-1));
    EXPECT_EQ(model::channelRecordKind(6), 3);
    EXPECT_TRUE(model::isP25(5));
    EXPECT_TRUE(model::isBiisPmr(7));
    EXPECT_FALSE(model::isMobile(3));
}

TEST(ModelRules, MakerIdentity) {
    cmcEeprom received = randomRadioImage(30, 20);
    received.SetByte(0, 0x28);
    received.SetByte(1, 0x93);
    received.SetByte(2, 0x01);
    std::memcpy(received.Data() + 0x100, "VORN Inc", 8);
    setWord(received, 0x10A, 0x2897);
    ASSERT_FALSE(buildParameterTable(received, false));
    cmcEeprom current(cmcEeprom::kImageSize);
    current.SetByte(0x108, 5);
    EXPECT_EQ(model::checkMakerIdentity(received, current, true), 0);

    struct Case {
        const char* what;
        std::int32_t address;
        std::uint8_t value;
        bool withText;
    };
    for (const Case& c : {Case{"model word", 0x0001, 0x94, false}, Case{"byte 2", 0x0002, 0x02, false},
                          Case{"maker text", 0x0103, 'x', true}, Case{"model code", 0x010B, 0x98, true},
                          Case{"used end", kUsedEnd + 1, 0x00, true}, Case{"base", kBaseAddress, 0xFF, true}}) {
        cmcEeprom bad = received;
        bad.SetByte(c.address, c.value);
        EXPECT_EQ(model::checkMakerIdentity(bad, current, c.withText), 1) << c.what;
    }
    cmcEeprom text = received;
    text.SetByte(0x103, 'x');
    EXPECT_EQ(model::checkMakerIdentity(text, current, false), 0) << "the texts count only with the flag";
    current.SetByte(0x108, 4);
    EXPECT_EQ(model::checkMakerIdentity(received, current, false), 1) << "the current image's map revision";
}

}  // namespace
