// Banks: how many channels fit in the channel data area, a bank growing and shrinking by
// moving the later channels of the one 512-channel table, and a bank sheet's row after the
// last channel taking a new channel. Bank counts, channel bytes and area marks are written
// and checked byte by byte.
#include "values/BankCells.h"
#include "overlay/cmcCellObj.h"
#include "overlay/cmcFCache.h"
#include "overlay/cmcGTex.h"
#include "platform/doubles/ScriptedDialogs.h"
#include "support/CellTest.h"
#include "values/KeyCodes.h"
#include "values/ProcessCell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr std::int32_t kBankCounts = 0x1696C;
constexpr std::int32_t kMain = 0xFF80;        // 30 bytes per channel
constexpr std::int32_t kExtension = 0x140D0;  // 20 bytes per channel
constexpr std::int32_t kBankNames = 0x16DF9;  // 12 characters per bank

void PutWord(cmcEeprom& image, std::int32_t address, std::uint16_t value) {
    image.SetByte(address, static_cast<std::uint8_t>(value >> 8));
    image.SetByte(address + 1, static_cast<std::uint8_t>(value & 0xFF));
}

std::uint16_t WordAt(const cmcEeprom& image, std::int32_t address) {
    return static_cast<std::uint16_t>((image.GetByte(address) << 8) | image.GetByte(address + 1));
}

void PutBankCounts(cmcEeprom& image, std::initializer_list<std::uint16_t> counts) {
    std::int32_t b = 0;
    for (std::uint16_t count : counts) PutWord(image, kBankCounts + 2 * b++, count);
}

std::vector<std::uint16_t> BankCounts(const cmcEeprom& image, int banks) {
    std::vector<std::uint16_t> counts;
    for (int b = 0; b < banks; ++b) counts.push_back(WordAt(image, kBankCounts + 2 * b));
    return counts;
}

// A channel in use: receive and transmit frequency (big-endian Hz), a name, and the power
// and lockout bits of the extension record.
void PutChannel(cmcEeprom& image, std::int32_t n, std::uint32_t hz, const char (&name)[13], std::uint8_t ext0) {
    const std::int32_t m = kMain + 30 * n;
    for (int i = 0; i < 4; ++i) {
        image.SetByte(m + i, static_cast<std::uint8_t>(hz >> (24 - 8 * i)));
        image.SetByte(m + 4 + i, static_cast<std::uint8_t>(hz >> (24 - 8 * i)));
    }
    for (int i = 0; i < 12; ++i) image.SetByte(m + 14 + i, static_cast<std::uint8_t>(name[i]));
    image.SetByte(kExtension + 20 * n, ext0);
}

std::uint32_t ReceiveHz(const cmcEeprom& image, std::int32_t n) {
    const std::int32_t m = kMain + 30 * n;
    return ((image.GetByte(m) & 0x7Fu) << 24) | (image.GetByte(m + 1) << 16) | (image.GetByte(m + 2) << 8) |
           image.GetByte(m + 3);
}

// The channel's main and extension record bytes.
std::vector<std::uint8_t> ChannelBytes(const cmcEeprom& image, std::int32_t n) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 30; ++i) bytes.push_back(image.GetByte(kMain + 30 * n + i));
    for (int i = 0; i < 20; ++i) bytes.push_back(image.GetByte(kExtension + 20 * n + i));
    return bytes;
}

struct BankSheet : CellSheetServices {
    RecordRange rows;
    void RedrawCells(RedrawFilter, std::int32_t) override {}
    void OpenEditor(const std::string&, std::int32_t, std::int32_t) override {}
    std::optional<RecordRange> RecordRows() const override { return rows; }
};

class BankCellsTest : public testsupport::CellTest {
protected:
    BankCellsTest() {
        // Bank 0: channels 0-1, bank 1: 2-4, bank 2: 5.
        PutBankCounts(image(), {2, 3, 1});
        PutChannel(image(), 0, 146'520'000, "CALLING     ", 0x01);
        PutChannel(image(), 1, 146'550'000, "SIMPLEX     ", 0x02);
        PutChannel(image(), 2, 155'100'000, "DISPATCH    ", 0x03);
        PutChannel(image(), 3, 155'200'000, "TAC 1       ", 0x05);
        PutChannel(image(), 4, 155'300'000, "TAC 2       ", 0x06);
        PutChannel(image(), 5, 460'025'000, "REPEATER    ", 0x07);
    }

    cmcEeprom& image() { return context.image; }

    cmcCellCapsule Run(const std::string& binding, CellMode mode, std::int32_t key = 0, std::string text = {},
                       CellSheetServices* onSheet = nullptr) {
        return Evaluate(binding, {.mode = mode, .key = key, .text = std::move(text), .sheet = onSheet});
    }

    bool Asked(CellCommand command, std::int32_t argument = 0) const {
        return std::ranges::find(context.commands, std::pair{command, argument}) != context.commands.end();
    }

    platform::ScopedScriptedDialogs boxes;
    BankSheet sheet;
};

TEST(FitCountTest, ChannelsFitWhileTheDataAreaHasRoom) {
    constexpr CellCategory kMch = CategoryOf("CT_Mch");
    constexpr CellCategory kRpt = CategoryOf("CT_Rpt");
    struct Case {
        std::uint16_t e1, e2;
        CellCategory category;
        std::int32_t n, bank, fits;
    };
    for (const Case& c : {
             Case{0xFF80 - 100, 0xFF80, kMch, 5, 127, 1},  // 50 < 100, 100 is not
             Case{0xFF80 - 100, 0xFF80, kMch, 0, 127, 0},
             Case{0xFF80 - 100, 0xFF80 - 200, kMch, 10, 0, 3},   // 90 < 100; the second area holds 4
             Case{0xFF80 - 1000, 0xFF80 - 100, kMch, 10, 5, 2},  // 100 - 60 >= 40, 100 - 90 < 60
             Case{0xFF80 - 1000, 0xFF80 - 1000, kMch, 4, 5, 4},
             Case{0xFF80, 0xFF80, kMch, 3, 0, -1},  // no room at all: not even none fits
             Case{0xFF80, 0xFF80, kRpt, 7, 0, 7},   // only channels are limited
         }) {
        cmcEeprom image(cmcEeprom::kImageSize);
        PutWord(image, 0x110, c.e1);
        PutWord(image, 0x112, c.e2);
        EXPECT_EQ(FitCount(image, c.category, c.n, c.bank), c.fits)
            << std::hex << c.e1 << " " << c.e2 << std::dec << " n " << c.n << " bank " << c.bank;
    }
}

TEST_F(BankCellsTest, GrowingABankInsertsBlankChannelsAndMovesTheLaterOnesDown) {
    // Every byte of a moving channel's records goes with it, named in a field or not.
    for (int i = 8; i < 14; ++i) image().SetByte(kMain + 30 * 2 + i, static_cast<std::uint8_t>(0x11 * i));
    for (int i = 26; i < 30; ++i) image().SetByte(kMain + 30 * 2 + i, static_cast<std::uint8_t>(0x13 * i));
    for (int i = 1; i < 20; ++i) image().SetByte(kExtension + 20 * 2 + i, static_cast<std::uint8_t>(0x35 + 7 * i));
    const std::vector<std::uint8_t> dispatch = ChannelBytes(image(), 2);
    const std::vector<std::uint8_t> repeater = ChannelBytes(image(), 5);
    // The default channel record: high power, no frequency.
    context.initial.SetByte(kExtension + 20 * 2, 0x03);
    PutWord(image(), 0x13B80, 4);  // channel 4 is the marked one

    const cmcCellCapsule r = Run("CT_BankOp.CL_Mch_Bank[0]", CellMode::SetText, 0, "4");

    EXPECT_EQ(r.displayText, "4");
    EXPECT_EQ(BankCounts(image(), 3), (std::vector<std::uint16_t>{4, 3, 1}));
    for (std::int32_t n : {2, 3}) {
        EXPECT_EQ(ReceiveHz(image(), n), 0u) << n;
        EXPECT_FALSE(context.records.load(1, n).valid()) << n;
    }
    EXPECT_EQ(context.image.GetByte(kExtension + 20 * 2) & 3, 3) << "taken from the initial image";
    EXPECT_EQ(ChannelBytes(image(), 4), dispatch) << "the later channels keep their records";
    EXPECT_EQ(ChannelBytes(image(), 7), repeater);
    EXPECT_EQ(WordAt(image(), 0x13B80), 6) << "the mark follows its channel";
    EXPECT_EQ(ReceiveHz(image(), 1), 146'550'000u) << "the bank's own channels stay";
    EXPECT_NE(r.changeFlags & kChangeBankCount, 0u);
    EXPECT_TRUE(Asked(CellCommand::BanksChanged));
    EXPECT_EQ(context.refreshes, 1);
    EXPECT_TRUE(boxes.dialogs.messages.empty());
}

TEST_F(BankCellsTest, GrowingBeyondWhatFitsIsLimitedWithTheOverflowBox) {
    PutWord(image(), 0x110, 0xFF80 - 100);  // room for 3 more channels
    const cmcCellCapsule r = Run("CT_BankOp.CL_Mch_Bank[1]", CellMode::SetText, 0, "10");

    ASSERT_EQ(boxes.dialogs.messages.size(), 1u);
    EXPECT_EQ(boxes.dialogs.messages[0].text, product.GetBlock("GI_AppMess_ChErr_Overflow"));
    EXPECT_EQ(boxes.dialogs.messages[0].caption, product.GetLine("GI_Sys_AppTitle_ADJ", 0));
    EXPECT_EQ(r.displayText, "6");
    EXPECT_EQ(BankCounts(image(), 3), (std::vector<std::uint16_t>{2, 6, 1}));
    EXPECT_EQ(ReceiveHz(image(), 8), 460'025'000u);
}

TEST_F(BankCellsTest, ShrinkingRemovesOnlyTheBlankTail) {
    // Bank 1 is the whole of channels 2-4; its last channel is in use: nothing goes.
    cmcCellCapsule r = Run("CT_BankOp.CL_Mch_Bank[1]", CellMode::SetText, 0, "2");
    ASSERT_EQ(boxes.dialogs.messages.size(), 1u);
    EXPECT_EQ(boxes.dialogs.messages[0].text, product.GetBlock("GI_AppMess_ChErr_NotBlank"));
    EXPECT_EQ(BankCounts(image(), 3), (std::vector<std::uint16_t>{2, 3, 1}));
    EXPECT_EQ(r.displayText, "3");
    EXPECT_EQ(r.changeFlags & kChangeBankCount, 0u);

    // Two blank channels at the end of bank 1 (one of them marked would stop there): asking
    // for one channel keeps the one in use and removes the two blank ones.
    Run("CT_BankOp.CL_Mch_Bank[1]", CellMode::SetText, 0, "5");
    const std::vector<std::uint8_t> repeater = ChannelBytes(image(), 7);
    r = Run("CT_BankOp.CL_Mch_Bank[1]", CellMode::SetText, 0, "1");
    EXPECT_EQ(boxes.dialogs.messages.size(), 2u);
    EXPECT_EQ(BankCounts(image(), 3), (std::vector<std::uint16_t>{2, 3, 1}));
    EXPECT_EQ(ChannelBytes(image(), 5), repeater) << "bank 2 moved back up";
    EXPECT_NE(r.changeFlags & kChangeBankCount, 0u);

    // A blank channel that is recorded as a marked channel is not removed either.
    Run("CT_BankOp.CL_Mch_Bank[1]", CellMode::SetText, 0, "4");
    PutWord(image(), 0x13B80, 5);
    Run("CT_BankOp.CL_Mch_Bank[1]", CellMode::SetText, 0, "3");
    EXPECT_EQ(BankCounts(image(), 2), (std::vector<std::uint16_t>{2, 4}));
}

TEST_F(BankCellsTest, TheRowAfterTheLastChannelTakesANewChannel) {
    sheet.rows = {2, 3, 1};  // the sheet of bank 1
    const std::vector<std::uint8_t> repeater = ChannelBytes(image(), 5);

    // Drawing or moving through the row takes nothing.
    EXPECT_EQ(Run("CT_Mch.CL_Mch_FreqR[5]", CellMode::Draw, 0, {}, &sheet).displayText, "");
    Run("CT_Mch.CL_Mch_FreqR[5]", CellMode::Action, cellkey::VirtualKey(cellkey::vk::kDown), {}, &sheet);
    Run("CT_Mch.CL_Mch_FreqR[5]", CellMode::Action, 'x', {}, &sheet);
    EXPECT_EQ(BankCounts(image(), 3), (std::vector<std::uint16_t>{2, 3, 1}));

    const cmcCellCapsule r = Run("CT_Mch.CL_Mch_FreqR[5]", CellMode::Action, '4', {}, &sheet);
    EXPECT_EQ(BankCounts(image(), 3), (std::vector<std::uint16_t>{2, 4, 1}));
    EXPECT_EQ(ReceiveHz(image(), 5), 0u);
    EXPECT_FALSE(context.records.load(1, 5).valid());
    EXPECT_EQ(ChannelBytes(image(), 6), repeater) << "bank 2's channel moved down";
    EXPECT_TRUE(Asked(CellCommand::BankAddLastRow));
    EXPECT_EQ(context.refreshes, 1);
    EXPECT_EQ(lastResult, CellResult::StartEdit);
    EXPECT_EQ(r.editText, "4") << "the frequency editor took the key";
    EXPECT_TRUE(boxes.dialogs.messages.empty());

    // The sheet now shows four channels: the typed frequency goes into the new one.
    sheet.rows = {2, 4, 1};
    Run("CT_Mch.CL_Mch_FreqR[5]", CellMode::SetText, 0, "151.625", &sheet);
    EXPECT_EQ(ReceiveHz(image(), 5), 151'625'000u);
    EXPECT_EQ(ReceiveHz(image(), 6), 460'025'000u);
}

TEST_F(BankCellsTest, NoNewChannelWhenNoneFits) {
    struct Case {
        const char* why;
        std::uint16_t bank0;
        std::uint16_t e1;
    };
    for (const Case& c : {Case{"512 channels exist", 509, 0}, Case{"the data area is full", 2, 0xFF80}}) {
        PutBankCounts(image(), {c.bank0, 3, 0});
        PutWord(image(), 0x110, c.e1);
        sheet.rows = {c.bank0 + 3, 0, 2};  // the empty bank 2
        const std::vector<std::uint8_t> before = ChannelBytes(image(), c.bank0 + 3);
        boxes.dialogs.messages.clear();
        context.commands.clear();

        const cmcCellCapsule r =
            Run("CT_Mch.CL_Mch_FreqR[" + std::to_string(c.bank0 + 3) + "]", CellMode::Action, '1', {}, &sheet);

        ASSERT_EQ(boxes.dialogs.messages.size(), 1u) << c.why;
        EXPECT_EQ(boxes.dialogs.messages[0].text, product.GetBlock("GI_AppMess_ChErr_Overflow"));
        EXPECT_EQ(boxes.dialogs.messages[0].icon, platform::DlgIcon::Error);
        EXPECT_EQ(BankCounts(image(), 3), (std::vector<std::uint16_t>{c.bank0, 3, 0})) << c.why;
        EXPECT_EQ(ChannelBytes(image(), c.bank0 + 3), before) << c.why;
        EXPECT_EQ(r.displayText, "") << c.why;
        EXPECT_EQ(lastResult, CellResult::None);
        EXPECT_FALSE(Asked(CellCommand::BankAddLastRow)) << c.why;
    }
}

TEST_F(BankCellsTest, BankRowsShowAndEditNameTrunkingAndCounts) {
    struct Case {
        const char* binding;
        const char* text;
    };
    PutChannel(image(), 3, 0, "            ", 0);  // bank 1: two of three channels in use
    for (const Case& c : {Case{"CT_BankOp.CL_Bank_UsedTotal[0]", "5"}, Case{"CT_BankOp.CL_Bank_UsedLeft[0]", "507"},
                          Case{"CT_BankOp.CL_Mch_UsedCHs[1]", "2"}, Case{"CT_BankOp.CL_Mch_UsedCHs[128]", "5"},
                          Case{"CT_BankOp.CL_Mch_Bank[128]", "6"}, Case{"CT_BankOp.CL_Bank_UsedQty[1]", "3"},
                          Case{"CT_BankOp.CL_Mch_LTR[128]", "----"}, Case{"CT_BankOp.CL_Mch_SmarTrunk[4]", "Off"},
                          Case{"CT_BankOp.CL_Bank_SelBankFree[4]", "506"}}) {
        EXPECT_EQ(Run(c.binding, CellMode::Draw).displayText, c.text) << c.binding;
    }

    Run("CT_BankOp.CL_Mch_BankText[3]", CellMode::SetText, 0, "ROUTE 9");
    const char name[] = "ROUTE 9     ";
    for (int i = 0; i < 12; ++i) EXPECT_EQ(image().GetByte(kBankNames + 36 + i), name[i]) << i;
    EXPECT_TRUE(Asked(CellCommand::BankName, 3));
    EXPECT_EQ(context.refreshes, 1) << "the image changed";

    // LTR is bank bit array B: bank 9 is bit 6 of its second byte.
    const cmcCellCapsule r = Run("CT_BankOp.CL_Mch_LTR[9]", CellMode::Action, cellkey::kSpace);
    EXPECT_EQ(r.displayText, "On");
    EXPECT_EQ(image().GetByte(0x16A6C + 1), 0x40);
    EXPECT_EQ(image().GetByte(0x168E4 + 1), 0x00) << "not SmarTrunk's array";
    EXPECT_TRUE(Asked(CellCommand::BanksChanged));
}

}  // namespace
