// Live adjustment end to end: the measured-values window and the automatic procedures of
// the controller against the virtual radio's programmable detector.
#include "ControllerOnRadio.h"
#include "overlay/cmcGTex.h"
#include "sheets/cuiSheet.h"
#include "values/KeyCodes.h"

#include <algorithm>
#include <fstream>

using testsupport::RadioSimProcess;

namespace {

using Procedure = AdjustmentProcedures::Procedure;

// The frames the radio heard, one line each ("E8 II VV" for an item).
std::vector<std::string> Heard(const std::string& trace) {
    std::ifstream in(trace);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string Item(std::uint8_t code, std::uint8_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "E8 %02X %02X", code, value);
    return text;
}

class ControllerAdjustTest : public testsupport::ControllerCloneTest {
protected:
    // Runs the loop until the link is free and no message waits; with `procedureEnds`, also
    // until no procedure runs (a calibration waits for its user while the link is free).
    void waitSettled(bool procedureEnds = true) {
        EXPECT_TRUE(loop.runUntil(
            [&] {
                return !controller.Clone().Busy() && (!procedureEnds || !controller.Procedures().Running()) &&
                       !controller.Adjustment().channelSelectionPending && events.queued() == 0;
            },
            60'000))
            << "the radio never settled";
    }
    std::string trace = dir.file("heard.txt");
};

TEST_F(ControllerAdjustTest, TheMeasuredValuesWindowOpensOnceAndSetsTheFirstAdjustmentChannel) {
    RadioSimProcess sim({"--trace", trace});
    connect(sim);
    events.Post(EvMsg::OpenAdWindow);
    waitSettled();
    ASSERT_EQ(view.windows.measured.size(), 2u) << "shown at once, and again with the values";
    EXPECT_EQ(view.windows.measured.back().rows.front().second, "156");
    const std::vector<std::string> heard = Heard(trace);
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.back(), Item(0x00, static_cast<std::uint8_t>(controller.Adjustment().channel)))
        << "after the values, the adjustment channel";
    EXPECT_TRUE(dialogs.dialogs.messages.empty());

    // Asked again while it is open, it only comes to the front: nothing goes to the radio.
    events.Post(EvMsg::OpenAdWindow);
    waitSettled();
    EXPECT_EQ(view.windows.measured.size(), 3u);
    EXPECT_EQ(Heard(trace).size(), heard.size());
}

TEST_F(ControllerAdjustTest, ProceduresFindTheDetectorsPeakAndWriteTheSlopeToTheRadio) {
    RadioSimProcess sim({"--detector", "peak:100-120", "--trace", trace});
    connect(sim);

    // A sweep lands on the middle of the plateau.
    controller.StartProcedure(Procedure::BpfT1);
    waitSettled();
    EXPECT_EQ(controller.CurrentImage().GetByte(0x54), 110);
    EXPECT_EQ(controller.RadioImage().GetByte(0x54), 110);
    EXPECT_EQ(Heard(trace).back(), Item(19, 110));

    // The detector reads 0 at both ends: a catch cannot reach its target and gives the
    // radio its value back.
    controller.CurrentImage().SetByte(0x62, 0x21);
    controller.CurrentImage().SetByte(0xAB, 150);
    controller.StartProcedure(Procedure::Auto06);
    waitSettled();
    EXPECT_TRUE(controller.Adjustment().catchErrors[2]);
    EXPECT_EQ(Heard(trace).back(), Item(7, 0x21));

    // A two-point calibration: point 1 at 470 MHz with value 120, point 2 at 440 MHz with
    // value 110: slope (120 - 110) * 256 / 30 = 85 into 0xB4.
    auto setChannel = [&](int channel, std::uint32_t hz) {
        for (int i = 0; i < 4; ++i) {
            controller.CurrentImage().SetByte(0xFF62 + 30 * channel + 4 + i, static_cast<std::uint8_t>(hz >> (24 - 8 * i)));
        }
        controller.Adjustment().channel = channel;
    };
    AdjustmentState& state = controller.Adjustment();
    setChannel(2, 470'000'000);
    controller.Procedures().StartCalibration(2);
    waitSettled(false);
    state.catchValues[2] = 120;
    events.Send(EvMsg::RedrawBound);  // as the cell's edit would
    waitSettled(false);
    controller.Procedures().ConfirmCalibration();
    waitSettled();
    setChannel(3, 440'000'000);
    controller.Procedures().StartCalibration(3);
    waitSettled(false);
    state.catchValues[3] = 110;
    events.Send(EvMsg::RedrawBound);
    waitSettled(false);
    controller.Procedures().ConfirmCalibration();
    waitSettled();
    const std::vector<std::string> heard = Heard(trace);
    ASSERT_GE(heard.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(heard.end() - 3, heard.end()),
              (std::vector<std::string>{Item(0x40, 0xB4), Item(0x41, 85), Item(13, 120)}));
    EXPECT_EQ(controller.CurrentImage().GetByte(0xB4), 85);
    EXPECT_TRUE(dialogs.dialogs.messages.empty());
}

TEST_F(ControllerAdjustTest, ARadioThatStopsAnsweringEndsTheProcedureWithOneMessage) {
    RadioSimProcess sim({"--fault", "silence"});
    connect(sim);
    controller.StartProcedure(Procedure::BpfT1);
    waitSettled();
    EXPECT_FALSE(controller.Procedures().Running());
    ASSERT_EQ(dialogs.dialogs.messages.size(), 1u);
    EXPECT_EQ(messageHeads().front(), GTex().GetLine("GI_Mess_CloneErr_Head", 5));
}

// The items the radio heard after line `from`, without the line-speed items.
std::vector<std::string> HeardItems(const std::string& trace, std::size_t from) {
    const std::vector<std::string> all = Heard(trace);
    std::vector<std::string> items;
    for (std::size_t i = from; i < all.size(); ++i) {
        if (!all[i].starts_with("E8 01")) items.push_back(all[i]);
    }
    return items;
}

TEST_F(ControllerAdjustTest, TheAdjustmentSheetSendsEachEditOnceAndEachDifferenceOnARepaint) {
    RadioSimProcess sim({"--trace", trace});
    connect(sim);
    controller.OpenSheetRef("GI_Sheet_Adjust");
    ASSERT_TRUE(controller.Sheet() && controller.Sheet()->grid);
    cuiSheet& sheet = *controller.Sheet()->grid;
    // A paint of every cell, as the window would after each redraw message.
    auto paint = [&] {
        for (std::int32_t row = 0; row < sheet.RowCount(); ++row) {
            for (std::int32_t col = 0; col < sheet.ColCount(); ++col) static_cast<void>(sheet.Describe(col, row, {}));
        }
        waitSettled();
    };
    // The first paints bring the radio to the sheet's adjustment channel and RSSI step.
    for (int i = 0; i < 4; ++i) paint();
    const std::size_t settled = Heard(trace).size();
    paint();
    EXPECT_EQ(Heard(trace).size(), settled) << "a repaint of values the radio holds sends nothing";

    // Typing 120 into the reference oscillator: one item 5, and nothing more on repaints.
    auto find = [&](const char* id) {
        for (std::int32_t row = 0; row < sheet.RowCount(); ++row) {
            for (std::int32_t col = 0; col < sheet.ColCount(); ++col) {
                if (sheet.CellAt(col, row).key.id == CellIdFromName(id)) return std::pair{col, row};
            }
        }
        return std::pair{-1, -1};
    };
    const auto [refCol, refRow] = find("CL_Adjust_Ref");
    ASSERT_TRUE(sheet.SelectAt(refCol, refRow));
    sheet.Action('1');
    sheet.SetEditorText("120");
    sheet.CommitEditor();
    waitSettled();
    paint();
    paint();
    EXPECT_EQ(HeardItems(trace, settled), std::vector<std::string>{Item(5, 120)});
    EXPECT_EQ(controller.RadioImage().GetByte(0xA9), 120);

    // A value that differs from what the radio holds goes out on a plain repaint...
    std::size_t before = Heard(trace).size();
    controller.CurrentImage().SetByte(0xA4, 77);
    paint();
    EXPECT_EQ(HeardItems(trace, before), std::vector<std::string>{Item(9, 77)});

    // ... but not while a radio operation runs: it waits for the repaint after it.
    before = Heard(trace).size();
    controller.CurrentImage().SetByte(0xA3, 66);
    controller.CloneInformation();
    ASSERT_TRUE(controller.Clone().Busy());
    for (std::int32_t row = 0; row < sheet.RowCount(); ++row) {
        for (std::int32_t col = 0; col < sheet.ColCount(); ++col) static_cast<void>(sheet.Describe(col, row, {}));
    }
    waitSettled();
    const std::vector<std::string> during = HeardItems(trace, before);
    ASSERT_FALSE(during.empty());
    EXPECT_EQ(during.front(), "E0") << "the identification, and no item during it";
    EXPECT_EQ(std::count(during.begin(), during.end(), Item(10, 66)), 0);
    paint();
    EXPECT_EQ(HeardItems(trace, before).back(), Item(10, 66));
    EXPECT_TRUE(dialogs.dialogs.messages.empty());
}

}  // namespace
