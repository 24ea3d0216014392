// The frequency and tone editors on a loaded channel record, against the product
// overlay's tone list and CTCSS names; stored bytes written out by hand.

#include "image/RecordAccessor.h"
#include "overlay/cmcCellObj.h"
#include "overlay/cmcFCache.h"
#include "overlay/cmcGTex.h"
#include "values/Editors.h"
#include "values/KeyCodes.h"

#include "EditorRequests.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using testsupport::KeyRequest;
using testsupport::TypedRequest;

constexpr std::int32_t kChannel = 3;
constexpr std::int32_t kMain = 0xFF80 + 30 * kChannel;  // the channel's main record

class ChannelEditorsTest : public ::testing::Test {
protected:
    ChannelEditorsTest() {
        EXPECT_TRUE(AttachProductOverlay(product));
        record.load(1, kChannel);
        ToneSetting off;
        record.setTone(Fld::Mch_CTone_R, off);
        record.setTone(Fld::Mch_CTone_T, off);
    }

    // A channel in use on these frequencies (Hz).
    void Use(std::uint32_t receive, std::uint32_t transmit) {
        record.set(Fld::Mch_FreqR, receive);
        record.set(Fld::Mch_FreqT, transmit);
        record.status |= RecordAccessor::kStatusValid;
    }

    std::vector<std::uint8_t> Bytes(std::int32_t address, int count) {
        record.store(0, kChannel);
        std::vector<std::uint8_t> out;
        for (int i = 0; i < count; ++i) out.push_back(image.GetByte(address + i));
        return out;
    }

    bool Frequency(cmcCellCapsule& r, bool transmit, CellResult* result = nullptr) {
        CellResult ignored = CellResult::None;
        return editors::EditFrequency(r, result ? *result : ignored, record, transmit);
    }
    bool Tone(cmcCellCapsule& r, bool transmit, CellResult* result = nullptr) {
        CellResult ignored = CellResult::None;
        return editors::EditTone(r, result ? *result : ignored, record, transmit);
    }

    cmcGTex product;
    ScopedGTex useProduct{product};
    cmcFCache cache;
    ScopedFCache useCache{cache};
    cmcEeprom image{cmcEeprom::kImageSize};
    RecordAccessor record{image};
};

// --- SnapFrequency ------------------------------------------------------------------------

TEST(SnapFrequency, FindsTheRasterWithinTheTypedPrecision) {
    struct Case {
        std::int64_t hz, snapped;
    };
    const Case cases[] = {
        {146'520'000, 146'520'000},  // 146.52: on the 2.5 kHz raster
        {146'521'000, 146'521'875},  // 146.521: the first multiple of 3125 Hz up to 146.521999
        {146'006'000, 146'006'250},
        {146'523'100, -1},  // 146.5231: nothing within 146.5231 .. 146.523199
        {146'000'100, -1},  // 146.0001
        {146'012'500, 146'012'500},
        {100'000, 100'000},
        {0, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(editors::SnapFrequency(c.hz), c.snapped) << c.hz;
}

// --- EditFrequency --------------------------------------------------------------------------

TEST_F(ChannelEditorsTest, TypedFrequenciesAreSnappedOrRejected) {
    struct Case {
        const char* typed;
        std::uint32_t stored;  // 146.0 when the text is rejected
    };
    const Case cases[] = {
        {"146.52", 146'520'000}, {"146.521", 146'521'875}, {" 146.006 MHz", 146'006'250},
        {"146.5231", 146'000'000}, {"146.0001", 146'000'000}, {"MHz", 146'000'000},
        {"0", 146'000'000},  // no frequency at all
        {"900", 146'000'000},  // beyond the radio's range: no raster point is left
        {"799.99", 799'990'000},
    };
    for (const Case& c : cases) {
        Use(146'000'000, 150'000'000);
        cmcCellCapsule r = TypedRequest(c.typed);
        EXPECT_EQ(Frequency(r, false), c.stored != 146'000'000) << c.typed;
        EXPECT_EQ(record.get(Fld::Mch_FreqR), c.stored) << c.typed;
        EXPECT_EQ(record.get(Fld::Mch_FreqT), 150'000'000u) << c.typed;
    }
}

TEST_F(ChannelEditorsTest, AReceiveFrequencyBringsABlankChannelIntoUseWithTransmitFollowing) {
    ASSERT_FALSE(record.valid());
    cmcCellCapsule shown = KeyRequest(cellkey::kNone);
    Frequency(shown, false);
    EXPECT_EQ(shown.displayText, "") << "a blank channel keeps its row empty";

    cmcCellCapsule typed = TypedRequest("146.52");
    EXPECT_TRUE(Frequency(typed, false));
    EXPECT_TRUE(record.valid());
    EXPECT_EQ(typed.displayText, "146.520000");
    cmcCellCapsule transmit = KeyRequest(cellkey::kNone);
    Frequency(transmit, true);
    EXPECT_EQ(transmit.displayText, "<-");
    // 146,520,000 Hz = 0x08BBB7C0 in both frequency fields, big-endian.
    EXPECT_EQ(Bytes(kMain, 8), (std::vector<std::uint8_t>{0x08, 0xBB, 0xB7, 0xC0, 0x08, 0xBB, 0xB7, 0xC0}));
}

TEST_F(ChannelEditorsTest, TransmitFollowsReceiveOnlyWhenTheyWereEqual) {
    Use(146'520'000, 146'520'000);
    cmcCellCapsule simplex = TypedRequest("147");
    Frequency(simplex, false);
    EXPECT_EQ(record.get(Fld::Mch_FreqT), 147'000'000u);

    Use(146'520'000, 146'000'000);
    cmcCellCapsule duplex = TypedRequest("147");
    Frequency(duplex, false);
    EXPECT_EQ(record.get(Fld::Mch_FreqT), 146'000'000u);
    // 147 MHz = 0x08C30AC0, 146 MHz = 0x08B3C880.
    EXPECT_EQ(Bytes(kMain, 8), (std::vector<std::uint8_t>{0x08, 0xC3, 0x0A, 0xC0, 0x08, 0xB3, 0xC8, 0x80}));

    // A transmit change never moves the receive frequency.
    cmcCellCapsule transmit = TypedRequest("145");
    EXPECT_TRUE(Frequency(transmit, true));
    EXPECT_EQ(record.get(Fld::Mch_FreqR), 147'000'000u);
    EXPECT_EQ(transmit.displayText, "145.000000");
}

TEST_F(ChannelEditorsTest, FrequencyKeysAndTheInhibitedColour) {
    Use(146'520'000, 146'520'000);
    struct Case {
        bool transmit;
        std::int32_t key;
        std::string editText;
        std::int32_t start, length;
    };
    const Case cases[] = {
        {true, cellkey::kEnter, "146.520000", 0, 10},  // the editor shows the number, not "<-"
        {false, cellkey::kSpace, "146.520000", 0, 10},
        {false, '.', "146.520000", 4, 0},
        {true, '=', "146.520000", 0, 10},
        {false, '7', "7", 1, 0},
    };
    for (const Case& c : cases) {
        cmcCellCapsule r = KeyRequest(c.key);
        CellResult result = CellResult::None;
        Frequency(r, c.transmit, &result);
        EXPECT_EQ(result, CellResult::StartEdit) << c.key;
        EXPECT_EQ(r.editText, c.editText) << c.key;
        EXPECT_EQ(r.editStart, c.start) << c.key;
        EXPECT_EQ(r.editLength, c.length) << c.key;
    }
    cmcCellCapsule equals = KeyRequest('=');
    CellResult result = CellResult::None;
    Frequency(equals, false, &result);
    EXPECT_EQ(result, CellResult::None) << "'=' belongs to the transmit cell";

    record.set(Fld::Mch_FreqT, 146'000'000);
    cmcCellCapsule plain = KeyRequest(cellkey::kNone);
    Frequency(plain, true);
    EXPECT_EQ(plain.displayText, "146.000000");
    EXPECT_FALSE(plain.fontColour);
    record.set(Fld::Mch_TxInh, 1);
    cmcCellCapsule inhibited = KeyRequest(cellkey::kNone);
    Frequency(inhibited, true);
    EXPECT_EQ(inhibited.fontColour, std::optional<std::uint32_t>(0x808000)) << "dark cyan";
    cmcCellCapsule receive = KeyRequest(cellkey::kNone);
    Frequency(receive, false);
    EXPECT_FALSE(receive.fontColour);
}

// --- EditTone ---------------------------------------------------------------------------------

TEST_F(ChannelEditorsTest, TypedTonesSetDigitalCodesOrCtcssTones) {
    struct Case {
        const char* typed;
        std::string shown;
        std::vector<std::uint8_t> bytes;  // the receive setting in the image
    };
    const Case cases[] = {
        {"023i", "023i", {0x60, 0x13}},  // on, digital, inverted; 023 octal = 0x13
        {"023n", "023N", {0x40, 0x13}},
        {" 754 ", "754N", {0x41, 0xEC}},  // 754 octal = 0x1EC: the ninth bit in the first byte
        {"88.5", "88.5", {0x00, 0x08}},  // CTCSS tone number 8
        {"88", "88.5", {0x00, 0x08}},    // the only name it begins
        {"10", "100.0", {0x00, 0x0C}},   // several names: the first
        {"100", "100N", {0x40, 0x40}},   // three octal digits are a digital code first
        {"254.1", "254.1", {0x00, 0x31}},
        {"1", "Off", {0x80, 0x00}},      // one character naming several tones: unchanged
        {"823", "Off", {0x80, 0x00}},    // not octal, and no tone's name
        {"023x", "Off", {0x80, 0x00}},
    };
    for (const Case& c : cases) {
        record.setTone(Fld::Mch_CTone_R, ToneSetting{});
        record.setTone(Fld::Mch_CTone_T, ToneSetting{.on = true, .code = 3});  // keeps the transmit apart
        cmcCellCapsule r = TypedRequest(c.typed);
        Tone(r, false);
        EXPECT_EQ(r.displayText, c.shown) << c.typed;
        EXPECT_EQ(Bytes(kMain + 8, 2), c.bytes) << c.typed;
    }
}

TEST_F(ChannelEditorsTest, OffTurnsTheToneOffAndStoresToneNumberZero) {
    record.setTone(Fld::Mch_CTone_R, ToneSetting{.on = true, .code = 8});
    cmcCellCapsule r = TypedRequest("off");
    EXPECT_TRUE(Tone(r, false));
    EXPECT_EQ(r.displayText, "Off");
    EXPECT_EQ(Bytes(kMain + 8, 2), (std::vector<std::uint8_t>{0x80, 0x00}));
}

TEST_F(ChannelEditorsTest, TheTransmitToneFollowsOnlyWhenBothWereTheSame) {
    cmcCellCapsule same = TypedRequest("023i");
    Tone(same, false);
    cmcCellCapsule transmit = KeyRequest(cellkey::kNone);
    Tone(transmit, true);
    EXPECT_EQ(transmit.displayText, "<-");
    EXPECT_EQ(Bytes(kMain + 8, 4), (std::vector<std::uint8_t>{0x60, 0x13, 0x60, 0x13}));

    cmcCellCapsule other = TypedRequest("100.0");
    Tone(other, true);
    EXPECT_EQ(other.displayText, "100.0");
    cmcCellCapsule receive = TypedRequest("88.5");
    Tone(receive, false);
    EXPECT_EQ(Bytes(kMain + 8, 4), (std::vector<std::uint8_t>{0x00, 0x08, 0x00, 0x0C}));

    // Both off: equal, but "<-" only stands for a tone that is on.
    record.setTone(Fld::Mch_CTone_R, ToneSetting{});
    record.setTone(Fld::Mch_CTone_T, ToneSetting{});
    cmcCellCapsule off = KeyRequest(cellkey::kNone);
    Tone(off, true);
    EXPECT_EQ(off.displayText, "Off");
}

TEST_F(ChannelEditorsTest, ToneKeysStepToggleAndOpenTheList) {
    struct Case {
        ToneSetting before;
        std::int32_t key;
        std::string shown;
    };
    const Case cases[] = {
        {{}, cellkey::kSpace, "67.0"},                            // off, then the first tone
        {{}, cellkey::kBackspace, "254.1"},                       // before off: the last tone
        {{.on = true, .code = 49}, cellkey::kSpace, "Off"},       // the digital choice is not stepped into
        {{.on = true, .code = 8}, cellkey::kSpace, "91.5"},
        {{.on = true, .digital = true, .code = 023}, cellkey::kSpace, "023i"},  // toggles the polarity
        {{.on = true, .digital = true, .inverted = true, .code = 023}, cellkey::kBackspace, "023N"},
    };
    for (const Case& c : cases) {
        record.setTone(Fld::Mch_CTone_R, c.before);
        cmcCellCapsule r = KeyRequest(c.key);
        EXPECT_TRUE(Tone(r, false)) << c.shown;
        EXPECT_EQ(r.displayText, c.shown);
    }

    class Sheet : public CellSheetServices {
    public:
        std::string list;
        std::int32_t value = -1;
        void RedrawCells(RedrawFilter, std::int32_t) override {}
        void OpenEditor(const std::string&, std::int32_t, std::int32_t) override {}
        bool OpenChoiceList(const std::string& l, CellId, std::int32_t v) override {
            list = l;
            value = v;
            return true;
        }
    } sheet;
    record.setTone(Fld::Mch_CTone_R, ToneSetting{.on = true, .code = 8});
    cmcCellCapsule enter = KeyRequest(cellkey::kEnter);
    enter.sheet = &sheet;
    CellResult result = CellResult::None;
    EXPECT_FALSE(Tone(enter, false, &result));
    EXPECT_EQ(result, CellResult::PopupOpened);
    EXPECT_EQ(sheet.list, "GI_Sheet_Sel_Mch_CTone");
    EXPECT_EQ(sheet.value, 8);
}

TEST_F(ChannelEditorsTest, PickingFromTheToneList) {
    cmcCellObj tone;
    ParseCell(tone, "{(%CT_Null.Flex0[12])}100.0", nullptr, nullptr);
    record.setTone(Fld::Mch_CTone_R, ToneSetting{.on = true, .digital = true, .inverted = true, .code = 023});
    cmcCellCapsule pick;
    pick.mode = CellMode::Pick;
    pick.picked = &tone;
    EXPECT_TRUE(Tone(pick, false));
    EXPECT_EQ(pick.displayText, "100.0");
    EXPECT_EQ(Bytes(kMain + 8, 2), (std::vector<std::uint8_t>{0x00, 0x0C}));

    // The digital choice hands over to typing the code, all of it selected.
    cmcCellObj dtcs;
    ParseCell(dtcs, "{(%CT_Null.FlexDtcs[53])}DTCS...", nullptr, nullptr);
    pick.picked = &dtcs;
    CellResult result = CellResult::None;
    EXPECT_FALSE(Tone(pick, false, &result));
    EXPECT_EQ(result, CellResult::StartEdit);
    EXPECT_EQ(pick.editText, "023N");
    EXPECT_EQ(pick.editStart, 0);
    EXPECT_EQ(pick.editLength, 4);
}

TEST(ToneList, TheProductOverlayNamesEveryCtcssTone) {
    cmcGTex product;
    ASSERT_TRUE(AttachProductOverlay(product));
    ScopedGTex use(product);
    cmcFCache cache;
    ScopedFCache useCache(cache);
    const auto& list = cache.List("GI_Sheet_Sel_Mch_CTone", CellIdOf("Flex0"));
    ASSERT_EQ(list.byColumn.size(), 51u);
    EXPECT_EQ(list.byColumn.front().text, "Off");
    for (int tone = 0; tone < 50; ++tone) {
        // The typed names and the list's captions are the same tones.
        EXPECT_EQ(product.GetLine("GI_AppItem_Ctcss", tone), SelectionText("GI_Sheet_Sel_Mch_CTone", 1, tone));
    }
    EXPECT_EQ(product.GetLine("GI_AppItem_Ctcss", 50), "#");
}

}  // namespace
