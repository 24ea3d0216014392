// The repeater-site, scan-list and scan settings cells through the value routine: each shows the field the
// image holds at the place written out by hand here, and a key or a typed text changes
// those bytes and no others (the image before and after is compared whole).
#include "overlay/cmcCellObj.h"
#include "overlay/cmcFCache.h"
#include "overlay/cmcGTex.h"
#include "support/CellTest.h"
#include "values/KeyCodes.h"
#include "values/ProcessCell.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kRepeaterCounts = 0x1966C;  // one byte per site
constexpr std::int32_t kRepeaters = 0x197EE;       // 10 bytes per repeater, all sites in one table
constexpr std::int32_t kSiteNames = 0x16DF9;       // 12 characters per site
constexpr std::int32_t kSiteOptions = 0x196EE;     // 2 bytes per site, bit 7 of the first = area bit
constexpr std::int32_t kScanLists = 0x17499;       // 28 bytes per list

class TrunkingCellsTest : public testsupport::CellTest {
protected:
    cmcCellCapsule Run(const std::string& binding, CellMode mode = CellMode::Draw, std::int32_t key = 0,
                       std::string text = {}) {
        return Evaluate(binding, {.mode = mode, .key = key, .text = std::move(text)});
    }

    // One edit on a cell: afterwards exactly `bytes` from `address` on differ from before,
    // and the image is put back for the next case.
    void ExpectEditWrites(const std::string& binding, CellMode mode, std::int32_t key, const char* typed,
                          std::int32_t address, const std::vector<std::uint8_t>& bytes);

    void Text(std::int32_t address, const std::string& text) {
        for (char ch : text) context.image.SetByte(address++, static_cast<std::uint8_t>(ch));
    }

};

// The addresses whose bytes differ between two images.
std::vector<std::int32_t> Differences(const cmcEeprom& a, const cmcEeprom& b) {
    std::vector<std::int32_t> out;
    for (std::int32_t i = 0; i < a.Size(); ++i) {
        if (a.GetByte(i) != b.GetByte(i)) out.push_back(i);
    }
    return out;
}

void TrunkingCellsTest::ExpectEditWrites(const std::string& binding, CellMode mode, std::int32_t key,
                                         const char* typed, std::int32_t address,
                                         const std::vector<std::uint8_t>& bytes) {
    const cmcEeprom before = context.image;
    cmcEeprom expected = before;
    for (std::uint8_t b : bytes) expected.SetByte(address++, b);
    const cmcCellCapsule r = Run(binding, mode, key, typed);
    EXPECT_NE(r.changeFlags & kChangeRecord, 0);
    EXPECT_EQ(Differences(expected, context.image), std::vector<std::int32_t>{});
    context.image = before;
}

// Site 0 has three repeaters, site 1 two: row 1 of site 1 is repeater 4 of the table.
class RepeaterCellsTest : public TrunkingCellsTest {
protected:
    static constexpr std::int32_t kRow1 = kRepeaters + 10 * 4;

    RepeaterCellsTest() {
        Bytes(kRepeaterCounts, {3, 2});
        // 148.0125 MHz receive, 152.375 MHz transmit, receive data and phone on.
        Bytes(kRow1, {0x08, 0xD2, 0x7D, 0xD4, 0x09, 0x15, 0x0E, 0xD8, 0x81, 0x00});
        // Its neighbours in the table, which no cell of row 1 may touch.
        Bytes(kRow1 - 10, {0x08, 0xD2, 0x7D, 0xD4, 0x08, 0xD2, 0x7D, 0xD4, 0x40, 0x00});
        Bytes(kRow1 + 10, {0x08, 0xD2, 0x7D, 0xD4, 0x08, 0xD2, 0x7D, 0xD4, 0x40, 0x00});
        Text(kSiteNames + 12, "NORTH RIDGE ");
        Bytes(kSiteOptions + 2, {0x80, 0x00});
        context.records.setRepeaterList(1);
    }
};

TEST_F(RepeaterCellsTest, EachCellShowsItsFieldOfTheSitesRepeater) {
    struct Case {
        const char* binding;
        const char* text;
    };
    for (const Case& c : {
             Case{"CT_Rpt.CL_Rpt_FreqR[1]", "148.012500"},
             Case{"CT_Rpt.CL_Rpt_FreqT[1]", "152.375000"},
             Case{"CT_Rpt.CL_Rpt_RxDat[1]", "On"},
             Case{"CT_Rpt.CL_Rpt_TxDat[1]", "Off"},
             Case{"CT_Rpt.CL_Rpt_Phone[1]", "On"},
             Case{"CT_Rpt.CL_Rpt_Text[1]", "NORTH RIDGE"},
             Case{"CT_Rpt.CL_Rpt_AreaBit[1]", "0"},
         }) {
        EXPECT_EQ(Run(c.binding).displayText, c.text) << c.binding;
    }
}

TEST_F(RepeaterCellsTest, AnEditChangesOnlyItsOwnBytes) {
    struct Case {
        const char* binding;
        CellMode mode;
        std::int32_t key;
        const char* typed;
        std::int32_t address;             // where the field lies
        std::vector<std::uint8_t> bytes;  // what it holds afterwards
    };
    const Case cases[] = {
        {"CT_Rpt.CL_Rpt_FreqR[1]", CellMode::SetText, 0, "150", kRow1, {0x08, 0xF0, 0xD1, 0x80}},
        {"CT_Rpt.CL_Rpt_FreqT[1]", CellMode::SetText, 0, "150", kRow1 + 4, {0x08, 0xF0, 0xD1, 0x80}},
        {"CT_Rpt.CL_Rpt_RxDat[1]", CellMode::Action, cellkey::kSpace, "", kRow1 + 8, {0x01}},
        {"CT_Rpt.CL_Rpt_TxDat[1]", CellMode::Action, cellkey::kSpace, "", kRow1 + 8, {0xC1}},
        {"CT_Rpt.CL_Rpt_Phone[1]", CellMode::Action, cellkey::kSpace, "", kRow1 + 8, {0x80}},
        {"CT_Rpt.CL_Rpt_Text[1]",
         CellMode::SetText,
         0,
         "SOUTH",
         kSiteNames + 12,
         {'S', 'O', 'U', 'T', 'H', ' ', ' ', ' ', ' ', ' ', ' ', ' '}},
        {"CT_Rpt.CL_Rpt_AreaBit[1]", CellMode::Action, cellkey::kSpace, "", kSiteOptions + 2, {0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.binding);
        ExpectEditWrites(c.binding, c.mode, c.key, c.typed, c.address, c.bytes);
    }
}

TEST_F(RepeaterCellsTest, AnotherSitesRowsEditTheirOwnRepeaters) {
    // Row 1 of site 0 is repeater 1: the same cell on another site writes elsewhere.
    context.records.setRepeaterList(0);
    Bytes(kRepeaters + 10, {0x08, 0xD2, 0x7D, 0xD4, 0x08, 0xD2, 0x7D, 0xD4, 0x00, 0x00});
    const cmcEeprom before = context.image;
    Run("CT_Rpt.CL_Rpt_Phone[1]", CellMode::Action, cellkey::kSpace);
    EXPECT_EQ(Differences(before, context.image), std::vector<std::int32_t>{kRepeaters + 10 + 8});
    EXPECT_EQ(context.image.GetByte(kRepeaters + 10 + 8), 0x01);
}

TEST_F(RepeaterCellsTest, ARowPastTheSitesRepeatersLeavesTheNextSiteAlone) {
    // Row 2 of site 1 would be repeater 5, the first of site 2: a frequency there beyond the
    // loadable limit must come through unchanged; only the site's name and area bit change.
    Bytes(kRepeaterCounts + 2, {1});
    Bytes(kRepeaters + 50, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00});
    for (const char* binding :
         {"CT_Rpt.CL_Rpt_AreaBit[2]", "CT_Rpt.CL_Rpt_Text[2]", "CT_Rpt.CL_Rpt_FreqR[2]", "CT_Rpt.CL_Rpt_TxDat[2]"}) {
        SCOPED_TRACE(binding);
        const cmcEeprom before = context.image;
        Run(binding, CellMode::Action, cellkey::kSpace);
        Run(binding, CellMode::SetText, 0, "EAST");
        Run(binding, CellMode::Action, '1');
        for (const std::int32_t a : Differences(before, context.image)) {
            EXPECT_TRUE(a == kSiteOptions + 2 || (a >= kSiteNames + 12 && a < kSiteNames + 24)) << std::hex << a;
        }
        context.image = before;
    }
}

// Scan list 2, between two lists the cells must leave alone.
class ScanListCellsTest : public TrunkingCellsTest {
protected:
    static constexpr std::int32_t kList2 = kScanLists + 28 * 2;

    ScanListCellsTest() {
        for (std::int32_t list : {kList2 - 28, kList2, kList2 + 28}) Text(list, "AIRPORT GROUND          ");
        // Scan mode 2 with power save (bit 4) on; display text 1 (bit 7 is its low bit).
        Bytes(kList2 + 24, {0x12, 0x80});
        Bytes(kList2 - 28 + 24, {0xFF, 0xFF});
        Bytes(kList2 + 28 + 24, {0xFF, 0xFF});
    }
};

TEST_F(ScanListCellsTest, EachCellShowsItsFieldAndAnEditChangesOnlyItsOwnBytes) {
    struct Case {
        const char* binding;
        const char* shown;
        CellMode mode;
        std::int32_t key;
        const char* typed;
        std::int32_t address;
        std::vector<std::uint8_t> bytes;  // the field's bytes afterwards
    };
    const Case cases[] = {
        {"CT_Scan.CL_ScanList_Text[2]",
         "AIRPORT GROUND",
         CellMode::SetText,
         0,
         "TOWER",
         kList2,
         {'T', 'O', 'W', 'E', 'R', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '}},
        // Space steps to the next item: the mode bits change around the power-save bit.
        {"CT_Scan.CL_ScanList_ScanMode[2]", "Priority B", CellMode::Action, cellkey::kSpace, "", kList2 + 24, {0x10}},
        {"CT_Scan.CL_ScanList_PwrSave[2]", "On", CellMode::Action, cellkey::kSpace, "", kList2 + 24, {0x02}},
        // Display text 1 -> 2: bit 7 (low) clears, bit 6 (high) sets.
        {"CT_Scan.CL_ScanList_DispText[2]",
         "Scan list name",
         CellMode::Action,
         cellkey::kSpace,
         "",
         kList2 + 25,
         {0x40}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.binding);
        EXPECT_EQ(Run(c.binding).displayText, c.shown);

        ExpectEditWrites(c.binding, c.mode, c.key, c.typed, c.address, c.bytes);
    }
}

// The scan settings shared by all lists: each on its own byte or bit of the common settings.
TEST_F(TrunkingCellsTest, ScanSettingsShowAndEditOnlyTheirOwnBits) {
    Bytes(0x16908, {0xA5});        // power-on scan on, automatic call off, backlight on, the rest foreign
    Bytes(0x1690A, {0x05, 0x32});  // 0.05 s and 0.50 s per channel
    Bytes(0x16917, {0x00, 0x07, 0x19, 0x0A});
    struct Case {
        const char* binding;
        const char* shown;
        CellMode mode;
        std::int32_t key;
        const char* typed;
        std::int32_t address;
        std::uint8_t after;
    };
    const Case cases[] = {
        {"CL_ScanComm_StopTimer", "Off", CellMode::SetText, 0, "12", 0x16917, 12},
        {"CL_ScanComm_StopTimerB", "  7.0", CellMode::SetText, 0, "off", 0x16918, 0},
        {"CL_ScanComm_ResumeTimer", "  2.5", CellMode::SetText, 0, "1.2", 0x16919, 12},
        {"CL_ScanComm_TalkBackTimer", " 10.0", CellMode::SetText, 0, "20", 0x1691A, 20},
        {"CL_ScanComm_ScanTimer_Fast", "  0.05", CellMode::SetText, 0, "0.1", 0x1690A, 10},
        {"CL_ScanComm_ScanTimer_Slow", "  0.5", CellMode::SetText, 0, "1", 0x1690B, 100},
        {"CL_ScanComm_PwrOnScan", "On", CellMode::Action, cellkey::kSpace, "", 0x16908, 0x25},
        {"CL_ScanComm_AutoChCall_PmrOnly", "Off", CellMode::Action, cellkey::kSpace, "", 0x16908, 0xE5},
        {"CL_ScanComm_BacklitatStopScan", "On", CellMode::Action, cellkey::kSpace, "", 0x16908, 0x85},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.binding);
        const std::string binding = std::string("CT_Null.") + c.binding;
        EXPECT_EQ(Run(binding).displayText, c.shown);

        const cmcEeprom before = context.image;
        cmcEeprom expected = before;
        expected.SetByte(c.address, c.after);
        Run(binding, c.mode, c.key, c.typed);
        EXPECT_EQ(Differences(expected, context.image), std::vector<std::int32_t>{});
        context.image = before;
    }
}

}  // namespace
