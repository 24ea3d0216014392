// The adjustment cells against a context that records what goes to the radio: when a
// value is stored and sent, what a procedure cell starts, how the calibrations step, and
// the texts of the read-outs and the parameter dump.

#include "overlay/cmcCellObj.h"
#include "support/OverlayFragment.h"
#include "support/SheetSupport.h"
#include "values/CellDispatch.h"
#include "values/KeyCodes.h"
#include "values/ProcessCell.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Sent = testsupport::RecordingContext::Sent;
using List = std::vector<std::pair<std::uint8_t, std::uint8_t>>;
using Command = std::pair<CellCommand, std::int32_t>;

constexpr std::int32_t kRight = cellkey::VirtualKey(cellkey::vk::kRight);
constexpr std::int32_t kLeft = cellkey::VirtualKey(cellkey::vk::kLeft);

class AdjustmentCellsTest : public ::testing::Test {
protected:
    testsupport::ScopedOverlay overlay{{"#GI_AppInd_Sweep_Start", "Sweep", "#GI_AppInd_Sweep_Error", "Sweep failed",
                                        "#GI_AppInd_Catch_Start", "Calibrate"}};
    testsupport::RecordingContext c;

    cmcCellCapsule Call(const std::string& name, CellMode mode, std::int32_t key = 0, const std::string& text = "",
                        bool shift = false) {
        cmcCellObj cell;
        ParseCell(cell, "{(%CT_ADJ." + name + ")}", nullptr, nullptr);
        cmcCellCapsule r;
        r.cell = &cell;
        r.mode = mode;
        r.key = key;
        r.editText = text;
        r.shift = shift;
        ProcessCell(c, r);
        r.cell = nullptr;
        return r;
    }
    cmcCellCapsule Draw(const std::string& name) { return Call(name, CellMode::Draw); }
    cmcCellCapsule Type(const std::string& name, const std::string& text) { return Call(name, CellMode::SetText, 0, text); }
    cmcCellCapsule Press(const std::string& name, std::int32_t key, bool shift = false) {
        return Call(name, CellMode::Action, key, "", shift);
    }
    void Both(std::int32_t address, std::uint8_t value) {
        c.image.SetByte(address, value);
        c.radio.SetByte(address, value);
    }
};

TEST(AdjustmentCellTableTest, EveryAdjustmentCellHasAHandler) {
    // A cell without one would show "*Yet*" on an adjustment sheet.
    for (const CellIdEntry& e : kCellIdTable) {
        if (e.name.starts_with("CL_Adjust_")) {
            EXPECT_NE(DispatchOf(e.id).handler, nullptr) << e.name;
        }
    }
}

TEST_F(AdjustmentCellsTest, AValueCellStoresSendsOnceAndRetriesWhatTheRadioLacks) {
    // A typed value is stored, flagged and sent once.
    const cmcCellCapsule typed = Type("CL_Adjust_Ref", "120");
    EXPECT_EQ(c.image.GetByte(0xA9), 120);
    EXPECT_TRUE(typed.changeFlags & kChangeImage);
    Draw("CL_Adjust_Ref");
    EXPECT_EQ(c.sent, (std::vector<Sent>{{5, 120, false}}));
    EXPECT_EQ(c.radio.GetByte(0xA9), 120);
    EXPECT_FALSE(Draw("CL_Adjust_Ref").changeFlags & kChangeImage);

    // Shift steps by 5.
    Press("CL_Adjust_Ref", kRight, true);
    EXPECT_EQ(c.image.GetByte(0xA9), 125);

    // A plain repaint sends a value the radio is not known to hold, but not while the link is busy.
    c.sent.clear();
    c.image.SetByte(0xA4, 7);
    c.busy = true;
    Draw("CL_Adjust_High");
    EXPECT_TRUE(c.sent.empty());
    EXPECT_EQ(c.radio.GetByte(0xA4), 0);
    c.busy = false;
    Draw("CL_Adjust_High");
    Draw("CL_Adjust_High");
    EXPECT_EQ(c.sent, (std::vector<Sent>{{9, 7, false}}));
    EXPECT_EQ(Draw("CL_Adjust_High_Bar").displayText, "[--------------------]");
}

TEST_F(AdjustmentCellsTest, TheBalanceIsOneValueInFourBytesEachSentByItsOwnCell) {
    for (std::int32_t address : {0x66, 0x74, 0x6D, 0x7B}) Both(address, 100);
    Type("CL_Adjust_BALM", "120");
    for (std::int32_t address : {0x66, 0x74, 0x6D, 0x7B}) EXPECT_EQ(c.image.GetByte(address), 120) << address;
    EXPECT_EQ(c.sent, (std::vector<Sent>{{18, 120, false}}));
    for (int pass = 0; pass < 2; ++pass) {
        for (const char* cell : {"CL_Adjust_BALW", "CL_Adjust_BALN", "CL_Adjust_BALD", "CL_Adjust_BALM"}) Draw(cell);
    }
    EXPECT_EQ(c.sent, (std::vector<Sent>{{18, 120, false}, {16, 120, false}, {17, 120, false}, {27, 120, false}}));
}

TEST_F(AdjustmentCellsTest, AByteWriteCellSendsAddressAndValueOnlyWhenTheLinkIsFree) {
    c.busy = true;
    Type("CL_Adjust_BpfT3", "77");
    EXPECT_EQ(c.image.GetByte(0x58), 77);
    EXPECT_EQ(c.radio.GetByte(0x58), 0) << "not sent: the radio does not hold it";
    c.busy = false;
    Draw("CL_Adjust_BpfT3");
    Draw("CL_Adjust_BpfT3");
    EXPECT_EQ(c.lists, (std::vector<List>{{{0x40, 0x58}, {0x41, 77}}}));
    EXPECT_TRUE(c.sent.empty());
    EXPECT_EQ(c.radio.GetByte(0x58), 77);
}

TEST_F(AdjustmentCellsTest, EnterOnAProcedureCellStartsItsProcedure) {
    struct Case {
        const char* cell;
        AdjustmentProcedure procedure;
    };
    const Case cases[] = {
        {"CL_Adjust_BpfT1", AdjustmentProcedure::BpfT1},   {"CL_Adjust_BpfT4", AdjustmentProcedure::BpfT4},
        {"CL_Adjust_AUTO03", AdjustmentProcedure::Auto03}, {"CL_Adjust_AUTO05", AdjustmentProcedure::Auto05},
        {"CL_Adjust_BpfAll", AdjustmentProcedure::BpfT1T2}, {"CL_Adjust_AUTO19", AdjustmentProcedure::BpfT3T4},
        {"CL_Adjust_AUTO20", AdjustmentProcedure::Auto02Auto03},
    };
    for (const Case& k : cases) {
        c.commands.clear();
        EXPECT_TRUE(Press(k.cell, cellkey::kEnter).changeFlags & kChangeImage) << k.cell;
        EXPECT_EQ(c.commands, (std::vector<Command>{{CellCommand::StartProcedure, static_cast<int>(k.procedure)}}))
            << k.cell;
        Draw(k.cell);
        EXPECT_EQ(c.commands.size(), 1u) << "a repaint starts nothing: " << k.cell;
    }
    // The voltage targets of the searches take Enter without starting anything or sending.
    c.commands.clear();
    Press("CL_Adjust_AUTO07", cellkey::kEnter);
    Type("CL_Adjust_AUTO07", "51");
    EXPECT_TRUE(c.commands.empty());
    EXPECT_TRUE(c.sent.empty());
    EXPECT_EQ(c.image.GetByte(0xAA), 51);

    // A search whose target was out of reach says so on its sweep cell.
    c.adjustment.catchErrors[1] = true;
    EXPECT_EQ(Draw("CL_Adjust_AUTO04_Sweep").displayText, "Sweep");
    EXPECT_EQ(Draw("CL_Adjust_AUTO05_Sweep").displayText, "Sweep failed");
    EXPECT_EQ(Draw("CL_Adjust_BpfAll_Sweep").displayText, "Sweep");
}

TEST_F(AdjustmentCellsTest, ACatchCellStartsWaitsForItsValueAndConfirms) {
    c.image.SetByte(0x6C, 255);
    EXPECT_EQ(Draw("CL_Adjust_AUTO11_Bar").displayText, "Calibrate");
    Type("CL_Adjust_AUTO11", "60");
    EXPECT_EQ(c.adjustment.catchValues[4], 0) << "no value is taken before the calibration waits for it";

    Press("CL_Adjust_AUTO11", cellkey::kEnter);
    EXPECT_EQ(c.commands, (std::vector<Command>{{CellCommand::StartCalibration, 4}}));

    // The controller has started it and waits for the user's value.
    c.adjustment.procedure = 4;
    c.adjustment.step = AdjustmentState::kStepWaiting;
    EXPECT_EQ(Draw("CL_Adjust_AUTO11_Bar").displayText, "[####################]");
    EXPECT_EQ(Draw("CL_Adjust_AUTO10_Bar").displayText, "Calibrate");
    EXPECT_TRUE(Type("CL_Adjust_AUTO11", "60").changeFlags & kChangeImage);
    EXPECT_EQ(c.adjustment.catchValues[4], 60);
    Type("CL_Adjust_AUTO10", "61");
    EXPECT_EQ(c.adjustment.catchValues[2], 0) << "another calibration's cell";
    Press("CL_Adjust_AUTO10", cellkey::kEnter);
    Press("CL_Adjust_AUTO11", cellkey::kEnter);
    EXPECT_EQ(c.commands,
              (std::vector<Command>{{CellCommand::StartCalibration, 4}, {CellCommand::ConfirmCalibration, 0}}));
    EXPECT_TRUE(c.sent.empty()) << "the controller sends the calibration's values";
}

TEST_F(AdjustmentCellsTest, TheRssiCalibrationReadsAndWritesBothLevels) {
    Press("CL_Adjust_AUTO01", cellkey::kEnter);
    EXPECT_EQ(c.adjustment.procedure, AdjustmentState::kRssi);
    EXPECT_EQ(Draw("CL_Adjust_AUTO01_Bar").displayText, "RSSI S3 Level");
    c.image.SetByte(0xA6, 0x33);  // the radio's answer
    EXPECT_EQ(c.sent, (std::vector<Sent>{{3, 2, true}}));

    // The first level is written back; a busy link holds the step until it is free.
    c.busy = true;
    Press("CL_Adjust_AUTO01", cellkey::kEnter);
    EXPECT_EQ(Draw("CL_Adjust_AUTO01_Bar").displayText, "");
    c.busy = false;
    Draw("CL_Adjust_AUTO01");
    EXPECT_EQ(c.radio.GetByte(0xA6), 0x33);
    EXPECT_EQ(Draw("CL_Adjust_AUTO01_Bar").displayText, "RSSI S1 Level");
    Draw("CL_Adjust_AUTO01");
    c.image.SetByte(0xA5, 0x11);  // the radio's answer

    EXPECT_TRUE(Press("CL_Adjust_AUTO01", cellkey::kEnter).changeFlags & kChangeImage);
    EXPECT_EQ(c.sent, (std::vector<Sent>{{3, 2, true}, {22, 0x33, false}, {3, 2, true}, {21, 0x11, false}}));
    EXPECT_EQ(c.radio.GetByte(0xA5), 0x11);
    EXPECT_EQ(c.adjustment.procedure, AdjustmentState::kIdle);
    EXPECT_EQ(Draw("CL_Adjust_AUTO01_Bar").displayText, "Calibrate");
    Type("CL_Adjust_AUTO01", "99");
    EXPECT_EQ(c.image.GetByte(0xA6), 0x33) << "typed values are not taken";
}

class AdjustmentChannelTest : public AdjustmentCellsTest {
protected:
    void Program(int channel, std::uint32_t rx, std::uint32_t tx = 0) {
        const std::int32_t at = 0xFF62 + 30 * channel;
        for (int i = 0; i < 4; ++i) {
            c.image.SetByte(at + i, static_cast<std::uint8_t>(rx >> (24 - 8 * i)));
            c.image.SetByte(at + 4 + i, static_cast<std::uint8_t>(tx >> (24 - 8 * i)));
        }
    }
};

TEST_F(AdjustmentChannelTest, TheChannelWalksToTheNextProgrammedOneAndIsSentOnce) {
    Program(40, 146000000);
    c.adjustment.channel = 40;
    c.adjustment.channelSent = 40;
    // Alone, channel 40 stays.
    EXPECT_EQ(Press("CL_Adjust_ChNo", kRight).displayText, "40");
    EXPECT_EQ(c.adjustment.channel, 40);
    EXPECT_TRUE(c.sent.empty());

    // Up from 40 wraps to the lowest programmed channel from 1; down from 5 wraps to 40.
    Program(3, 0x80000000u);  // bit 31 is not part of the frequency: not programmed
    Program(5, 150000000);
    Program(9, 151000000);
    EXPECT_EQ(Press("CL_Adjust_ChNo", kRight).displayText, "5");
    EXPECT_EQ(c.adjustment.channel, 5);
    Draw("CL_Adjust_ChNo");
    EXPECT_EQ(Press("CL_Adjust_ChNo", kLeft).displayText, "40");
    EXPECT_EQ(c.sent, (std::vector<Sent>{{0, 5, false}, {0, 40, false}}));
}

TEST_F(AdjustmentChannelTest, TheChannelTextsShowTypeFrequenciesAndPower) {
    c.adjustment.channel = 3;
    Program(3, 0x80000000u | 146520000u, 151234560u);
    const std::int32_t at = 0xFF62 + 30 * 3;
    struct Case {
        std::uint8_t type, power;
        const char* group;
        const char* rfPower;
    };
    const Case cases[] = {
        {0x00, 0x03, "CH Type=Analog", "RF Power=High, Mode=Wide"},
        {0x41, 0x01, "CH Type=Mixed(Analog)", "RF Power=Low1, Mode=Narrow"},
        {0x42, 0x02, "CH Type=Mixed(Digital)", "RF Power=Low2, Mode=Narrow"},
        {0x03, 0x00, "CH Type=Digital", "RF Power=Low2, Mode=Wide"},
    };
    for (const Case& k : cases) {
        c.image.SetByte(at + 12, k.type);
        c.image.SetByte(0x140BC + 20 * 3, k.power);
        EXPECT_EQ(Draw("CL_Adjust_ChGrp").displayText, k.group);
        EXPECT_EQ(Draw("CL_Adjust_RfPow").displayText, k.rfPower);
    }
    EXPECT_EQ(Draw("CL_Adjust_ChNoFreq").displayText, "RX=146.52000, TX=151.23456");
}

TEST_F(AdjustmentCellsTest, TheRssiStepIsSentWhenItDiffersFromTheOneSent) {
    Draw("CL_Adjust_Rssi");
    EXPECT_TRUE(Press("CL_Adjust_Rssi", kRight).changeFlags & kChangeImage);
    Draw("CL_Adjust_Rssi");
    EXPECT_EQ(c.adjustment.rssiStep, 2);
    EXPECT_EQ(c.sent, (std::vector<Sent>{{32, 1, false}, {32, 2, false}}));
}

TEST_F(AdjustmentCellsTest, TheVoltageBarsUseWholeHundredths) {
    const std::pair<std::uint8_t, const char*> cases[] = {{0, "0.00V"}, {1, "0.01V"}, {51, "1.00V"},
                                                          {128, "2.50V"}, {255, "5.00V"}};
    for (const auto& [raw, text] : cases) {
        for (std::int32_t address : {0xAA, 0xBB, 0xAB}) c.image.SetByte(address, raw);
        for (const char* cell : {"CL_Adjust_AUTO07_Bar", "CL_Adjust_AUTO08_Bar", "CL_Adjust_AUTO09_Bar"})
            EXPECT_EQ(Draw(cell).displayText, text) << cell << " " << int(raw);
    }
}

TEST_F(AdjustmentCellsTest, TheReadOutsShowEachReadingThreeWays) {
    struct Case {
        int parameter;
        std::uint8_t raw;
        const char* base;
        const char* decimal;
        const char* hex;
        const char* converted;
    };
    const Case cases[] = {
        {32, 128, "CL_Maker_TEMPS", "128", "80", "9.27'C"},
        {32, 51, "CL_Maker_TEMPS", " 51", "33", "-16.04'C"},
        {32, 254, "CL_Maker_TEMPS", "254", "FE", "190.15'C"},
        {32, 0, "CL_Maker_TEMPS", "  0", " 0", ""},  // open or shorted sensor
        {32, 255, "CL_Maker_TEMPS", "255", "FF", ""},
        {1, 255, "CL_WinAD_BATT", "255", "FF", "10.00V"},
        {2, 51, "CL_Maker_NOIS", " 51", "33", "1.00V"},
        {34, 51, "CL_Maker_VOXT", " 51", "33", "20.00%"},
        {43, 255, "CL_WinAD_SQL", "255", "FF", "100.00%"},
        {42, 10, "CL_WinAD_DTCS", " 10", " A", "0.20V"},
    };
    for (const Case& k : cases) {
        *c.readings.At(k.parameter) = k.raw;
        const std::string base = k.base;
        EXPECT_EQ(Draw(base + "D").displayText, k.decimal) << base;
        EXPECT_EQ(Draw(base + "H").displayText, k.hex) << base;
        EXPECT_EQ(Draw(base + "V").displayText, k.converted) << base << " " << int(k.raw);
    }
}

TEST_F(AdjustmentCellsTest, TheParameterDumpShowsBytesSignedWhereMarkedAndWords) {
    c.image.SetByte(0x66, 200);
    c.image.SetByte(0x82, 0xFE);
    c.image.SetByte(0xBA, 0xFF);
    c.image.SetByte(0xAC, 0x04);
    c.image.SetByte(0xAD, 0xD2);  // 1234
    c.image.SetByte(0x51, 7);
    c.image.SetByte(0x13FB0, 5);
    const std::pair<const char*, const char*> cases[] = {
        {"CL_ADP_SQLOP1_OP", "200"}, {"CL_ADP_SQLOP2_L1", " -2"},   {"CL_ADP_SMET_L3", "255"},
        {"CL_ADP_SQLCL1_OP", "123.400"}, {"CL_ADP_TAIL_L5", "0.700"}, {"CL_ADP_SQLOP1_L5", "  5"},
    };
    for (const auto& [cell, text] : cases) EXPECT_EQ(Draw(cell).displayText, text) << cell;
    EXPECT_TRUE(c.sent.empty());
}

}  // namespace
