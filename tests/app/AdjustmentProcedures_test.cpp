// The automatic adjustment procedures against a radio that answers at once: every request
// is carried out when it is sent, and the test plays the messages that drive the next step.
#include "app/AdjustmentProcedures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

using Procedure = AdjustmentProcedures::Procedure;

struct Item {
    std::uint8_t code, value;
    bool operator==(const Item&) const = default;
};
using Request = std::vector<Item>;

// A radio with a detector: item 3 with parameter 3 reads the detector at the value that was
// set last (by any item but the channel, the readings and the address selection).
struct InstantRadio : LiveLink {
    std::function<std::uint8_t(int)> detector = [](int) { return 0; };
    std::vector<Request> requests;
    int swept = 0;
    std::uint8_t lastCode = 0;
    bool busy = false;
    bool Busy() const override { return busy; }

    std::uint8_t Carry(std::uint8_t code, std::uint8_t value) {
        if (code == 0x03 && value == 0x03) return detector(swept);
        if (code != 0x00 && code != 0x03 && code != 0x40) {
            swept = value;
            lastCode = code;
        }
        return value;
    }
    bool SendValue(std::uint8_t item, std::uint8_t value, std::uint8_t* target, bool awaitReply) override {
        if (busy) return false;
        requests.push_back({{item, value}});
        const std::uint8_t reply = Carry(item, value);
        if (target) *target = awaitReply ? reply : value;
        return true;
    }
    bool SendList(std::span<const LiveItem> items) override {
        if (busy) return false;
        Request r;
        for (const LiveItem& i : items) {
            if (i.code == 0xFF) break;
            const std::uint8_t value = i.value ? *i.value : 0;
            r.push_back({i.code, value});
            const std::uint8_t reply = Carry(i.code, value);
            if (i.replyTarget) *i.replyTarget = reply;
        }
        requests.push_back(r);
        awaited.push_back(static_cast<int>(std::count_if(items.begin(), items.end(), [](const LiveItem& i) {
            return i.code != 0xFF && i.replyTarget != nullptr;
        })));
        return true;
    }
    std::vector<int> awaited;  // per list: the items that wait for the radio's answer
};

std::function<std::uint8_t(int)> Plateau(int low, int high) {
    return [=](int v) {
        const int d = v < low ? low - v : v > high ? v - high : 0;
        return static_cast<std::uint8_t>(std::max(0, 200 - 4 * d));
    };
}
std::function<std::uint8_t(int)> Linear(int at0, int at255) {
    return [=](int v) { return static_cast<std::uint8_t>(at0 + (at255 - at0) * v / 255); };
}

class AdjustmentProceduresTest : public testing::Test {
protected:
    cmcEeprom current{cmcEeprom::kImageSize};
    cmcEeprom radio{cmcEeprom::kImageSize};
    AdjustmentState state;
    InstantRadio link;
    AdjustmentProcedures procedures{link, current, radio, state};

    // Plays the redraw messages until the procedure ends; returns the requests it sent.
    std::size_t RunToEnd(std::size_t limit = 200) {
        std::size_t steps = 0;
        while (procedures.Running() && steps++ < limit) procedures.Step();
        EXPECT_FALSE(procedures.Running()) << "still running after " << limit << " steps";
        return link.requests.size();
    }
    // The adjustment channel n's transmit frequency.
    void SetTransmitMHz(int channel, int mhz) {
        const std::uint32_t hz = static_cast<std::uint32_t>(mhz) * 1000000u;
        for (int i = 0; i < 4; ++i) {
            current.SetByte(0xFF62 + 30 * channel + 4 + i, static_cast<std::uint8_t>(hz >> (24 - 8 * i)));
        }
    }
};

// ---------------------------------------------------------------- peak sweeps

TEST_F(AdjustmentProceduresTest, SweepsSendTheMiddleOfThePeakToTheirValue) {
    struct Case {
        const char* name;
        Procedure procedure;
        std::function<std::uint8_t(int)> detector;
        Request start;   // the start request
        Request result;  // the last request
        std::int32_t address;
        int value;
    };
    const Case cases[] = {
        {"T1 plateau", Procedure::BpfT1, Plateau(100, 120), {{19, 0}}, {{19, 110}}, 0x54, 110},
        {"T2 plateau", Procedure::BpfT2, Plateau(3, 8), {{20, 0}}, {{20, 5}}, 0x55, 5},
        {"T3 by byte write", Procedure::BpfT3, Plateau(40, 61), {{0x40, 0x58}}, {{0x40, 0x58}, {0x41, 50}}, 0x58, 50},
        {"AUTO03 at the top", Procedure::Auto03, Plateau(250, 255), {{0x40, 0x5B}}, {{0x40, 0x5B}, {0x41, 252}}, 0x5B, 252},
        {"flat: 0 to 255", Procedure::BpfT4, Linear(90, 90), {{0x40, 0x5A}}, {{0x40, 0x5A}, {0x41, 127}}, 0x5A, 127},
        {"flat zero", Procedure::Auto02, Linear(0, 0), {{0x40, 0x59}}, {{0x40, 0x59}, {0x41, 127}}, 0x59, 127},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link = InstantRadio{};
        link.detector = c.detector;
        procedures.Start(c.procedure);
        RunToEnd();
        ASSERT_GE(link.requests.size(), 66u) << "start, 64 runs of four, result";
        EXPECT_EQ(link.requests.front(), c.start);
        EXPECT_EQ(link.requests.back(), c.result);
        EXPECT_EQ(current.GetByte(c.address), c.value);
        EXPECT_EQ(radio.GetByte(c.address), c.value);
        EXPECT_EQ(procedures.SweepState(), AdjustmentProcedures::kSweepIdle);
    }
}

TEST_F(AdjustmentProceduresTest, AMeasurementRunSetsFourValuesAndReadsTheDetectorAfterEach) {
    procedures.Start(Procedure::BpfT3T4);
    procedures.Step();
    const Request run = {{0x40, 0x58}, {0x41, 0}, {0x03, 0x03}, {0x40, 0x58}, {0x41, 2}, {0x03, 0x03},
                         {0x40, 0x58}, {0x41, 4}, {0x03, 0x03}, {0x40, 0x58}, {0x41, 6}, {0x03, 0x03}};
    ASSERT_EQ(link.requests.size(), 2u);
    EXPECT_EQ(link.requests[0], (Request{{0x40, 0x5A}, {0x41, 64}})) << "the chain presets its second filter";
    EXPECT_EQ(link.requests[1], run) << "a chain sweeps in steps of 2";
    EXPECT_EQ(link.awaited[1], 12) << "the settings' answers too, so that no answer is taken for a reading";
    EXPECT_EQ(current.GetByte(0x58), 0) << "the image byte shows where the sweep is";
}

TEST_F(AdjustmentProceduresTest, AChainedSweepSendsBothResultsAndEnds) {
    // T1 peaks at 60..70, T2 at 180..190: the detector tells the filters apart by the item
    // that set the value last.
    link.detector = [this](int v) { return link.lastCode == 19 ? Plateau(60, 70)(v) : Plateau(180, 190)(v); };
    procedures.Start(Procedure::BpfT1T2);
    EXPECT_EQ(link.requests.front(), (Request{{20, 64}}));
    RunToEnd();
    std::vector<Request> results;
    for (std::size_t i = 1; i < link.requests.size(); ++i) {
        if (link.requests[i].size() == 1) results.push_back(link.requests[i]);
    }
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0], (Request{{19, 65}}));
    EXPECT_EQ(results[1], (Request{{20, 185}}));
    EXPECT_EQ(link.requests.size(), 1u + 32 + 1 + 32 + 1) << "two sweeps of 32 runs in steps of 2";
    EXPECT_EQ(current.GetByte(0x54), 65);
    EXPECT_EQ(current.GetByte(0x55), 185);
}

TEST_F(AdjustmentProceduresTest, ARefusedRequestIsSentOnALaterStepAndNothingAdvancesMeanwhile) {
    link.detector = Plateau(10, 20);
    link.busy = true;
    procedures.Start(Procedure::BpfT1);
    procedures.Step();
    EXPECT_TRUE(link.requests.empty());
    EXPECT_TRUE(procedures.Running());
    link.busy = false;
    RunToEnd();
    EXPECT_EQ(link.requests.front(), (Request{{19, 0}}));
    EXPECT_EQ(link.requests.back(), (Request{{19, 15}}));
}

// ---------------------------------------------------------------- halving searches

TEST_F(AdjustmentProceduresTest, ACatchFindsTheValueWhoseReadingIsItsTarget) {
    current.SetByte(0x61, 33);    // the value before
    current.SetByte(0xAA, 150);   // AUTO04's target reading
    link.detector = Linear(0, 255);
    procedures.Start(Procedure::Auto04);
    RunToEnd();
    EXPECT_EQ(link.requests.front(), (Request{{6, 0}}));
    EXPECT_EQ(link.requests[1], (Request{{3, 3}}));
    EXPECT_EQ(link.requests[2], (Request{{6, 255}}));
    EXPECT_EQ(link.requests[4], (Request{{6, 127}}));
    EXPECT_EQ(current.GetByte(0x61), 150);
    EXPECT_EQ(radio.GetByte(0x61), 150);
    EXPECT_EQ(link.swept, 150) << "the radio holds the value found";
    EXPECT_FALSE(state.catchErrors[0]);
    EXPECT_EQ(procedures.CatchState(), AdjustmentProcedures::kCatchIdle);
}

TEST_F(AdjustmentProceduresTest, CatchesConvergeForEveryTargetOnRisingAndFallingReadings) {
    struct Shape {
        const char* name;
        Procedure procedure;
        std::int32_t value, target;
        std::function<std::uint8_t(int)> detector;
    };
    const Shape shapes[] = {
        {"AUTO04 rising", Procedure::Auto04, 0x61, 0xAA, Linear(40, 200)},
        {"AUTO05 falling", Procedure::Auto05, 0xBA, 0xBB, Linear(230, 10)},
        {"AUTO06 rising steeply", Procedure::Auto06, 0x62, 0xAB, [](int v) { return static_cast<std::uint8_t>(std::min(255, v * 3)); }},
    };
    for (const Shape& s : shapes) {
        const int low = std::min(s.detector(0), s.detector(255));
        const int high = std::max(s.detector(0), s.detector(255));
        for (int target = low; target < high; ++target) {
            SCOPED_TRACE(testing::Message() << s.name << " target " << target);
            link = InstantRadio{};
            link.detector = s.detector;
            current.SetByte(s.target, static_cast<std::uint8_t>(target));
            procedures.Start(s.procedure);
            EXPECT_LE(RunToEnd(60), 40u);
            // The value found reads as close to the target as the detector's steps allow.
            const int found = current.GetByte(s.value);
            auto distance = [&](int v) { return std::abs(s.detector(v) - target); };
            int best = 255;
            for (int v = 0; v < 256; ++v) best = std::min(best, distance(v));
            EXPECT_LE(distance(found), best + 3) << "found " << found;
            EXPECT_EQ(link.swept, found);
        }
    }
}

TEST_F(AdjustmentProceduresTest, ACatchOutOfReachRestoresTheStartingValueAndSetsItsErrorFlag) {
    struct Case {
        const char* name;
        std::function<std::uint8_t(int)> detector;
        int target;
    };
    const Case cases[] = {
        {"equal readings at 0 and 255", Linear(90, 90), 90},
        {"target above the range", Linear(10, 100), 100},
        {"target below the range", Linear(200, 50), 49},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link = InstantRadio{};
        link.detector = c.detector;
        current.SetByte(0xBA, 77);
        current.SetByte(0xBB, static_cast<std::uint8_t>(c.target));
        state.catchErrors[1] = false;
        procedures.Start(Procedure::Auto05);
        RunToEnd();
        EXPECT_TRUE(state.catchErrors[1]);
        EXPECT_EQ(link.requests.back(), (Request{{0x40, 0xBA}, {0x41, 77}}));
        EXPECT_EQ(current.GetByte(0xBA), 77);
        EXPECT_EQ(radio.GetByte(0xBA), 77);
    }
    // The next start clears the flag.
    link.detector = Linear(0, 255);
    current.SetByte(0xBB, 10);
    procedures.Start(Procedure::Auto05);
    RunToEnd();
    EXPECT_FALSE(state.catchErrors[1]);
}

// ---------------------------------------------------------------- two-point calibrations

TEST_F(AdjustmentProceduresTest, TwoPointCalibrationWritesTheClampedSlope) {
    struct Case {
        int value1, mhz1, value2, mhz2;
        int procedure;  // point 2's
        std::int32_t slopeByte;
        int slope;
    };
    const Case cases[] = {
        {120, 470, 100, 440, 3, 0xB4, (20 * 256) / 30},   // 170
        {120, 470, 110, 440, 3, 0xB4, (10 * 256) / 30},   // 85
        {100, 470, 120, 466, 4, 0xB5, -128},              // -1280, clamped
        {130, 470, 100, 469, 4, 0xB5, 127},               // 7680, clamped
        {100, 450, 120, 460, 3, 0xB4, 0},                 // point 2 above point 1
        {100, 450, 120, 450, 3, 0xB4, 0},                 // the same frequency
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value1 << "@" << c.mhz1 << " " << c.value2 << "@" << c.mhz2);
        const int expected = std::clamp(c.slope, -128, 127);
        link = InstantRadio{};
        current.SetByte(0x6C, 90);
        current.SetByte(0xB4, 9);
        current.SetByte(0xB5, 9);
        state.channel = 5;
        SetTransmitMHz(5, c.mhz1);

        // Point 1: the slopes are cleared, the user's value goes out as it is typed.
        procedures.StartCalibration(2);
        EXPECT_EQ(link.requests.back(), (Request{{0x40, 0xB4}, {0x41, 0}, {0x40, 0xB5}, {0x41, 0}}));
        EXPECT_EQ(state.step, AdjustmentState::kStepWaiting);
        EXPECT_EQ(state.catchValues[2], 90) << "the user starts from the value the radio has";
        state.catchValues[2] = static_cast<std::uint8_t>(c.value1);
        procedures.Step();
        EXPECT_EQ(link.requests.back(), (Request{{13, static_cast<std::uint8_t>(c.value1)}}));
        procedures.ConfirmCalibration();
        EXPECT_EQ(link.requests.back(), (Request{{13, static_cast<std::uint8_t>(c.value1)}})) << "sent once more";
        EXPECT_EQ(state.procedure, AdjustmentState::kIdle);

        // Point 2 on another channel.
        state.channel = 6;
        SetTransmitMHz(6, c.mhz2);
        procedures.StartCalibration(c.procedure);
        state.catchValues[static_cast<std::size_t>(c.procedure)] = static_cast<std::uint8_t>(c.value2);
        procedures.Step();
        procedures.ConfirmCalibration();
        const auto slope = static_cast<std::uint8_t>(expected);
        EXPECT_EQ(link.requests.back(),
                  (Request{{0x40, static_cast<std::uint8_t>(c.slopeByte)}, {0x41, slope}, {13, static_cast<std::uint8_t>(c.value1)}}))
            << "the slope, then point 1's value again";
        EXPECT_EQ(current.GetByte(c.slopeByte), slope);
        EXPECT_EQ(radio.GetByte(c.slopeByte), slope);
        EXPECT_EQ(current.GetByte(0x6C), c.value1);
        EXPECT_EQ(state.procedure, AdjustmentState::kIdle);
        EXPECT_FALSE(procedures.Running());
    }
}

TEST_F(AdjustmentProceduresTest, EachGroupCalibratesItsOwnValueAndSlopeBytes) {
    struct Group {
        int point1;
        std::uint8_t item;
        std::int32_t value, slope1, slope2;
    };
    for (const Group& g : {Group{2, 13, 0x6C, 0xB4, 0xB5}, Group{5, 14, 0x73, 0xB6, 0xB7},
                           Group{8, 12, 0x65, 0xB2, 0xB3}, Group{11, 26, 0x7A, 0xB8, 0xB9}}) {
        SCOPED_TRACE(g.point1);
        link = InstantRadio{};
        procedures.StartCalibration(g.point1);
        EXPECT_EQ(link.requests.back(),
                  (Request{{0x40, static_cast<std::uint8_t>(g.slope1)}, {0x41, 0},
                           {0x40, static_cast<std::uint8_t>(g.slope2)}, {0x41, 0}}));
        state.catchValues[static_cast<std::size_t>(g.point1)] = 42;
        procedures.Step();
        EXPECT_EQ(link.requests.back(), (Request{{g.item, 42}}));
        EXPECT_EQ(current.GetByte(g.value), 42);
        procedures.ConfirmCalibration();
        EXPECT_FALSE(procedures.Running());
    }
}

// ---------------------------------------------------------------- channel selection

TEST_F(AdjustmentProceduresTest, APendingChannelSelectionPicksTheFirstProgrammedChannelFirst) {
    current.SetByte(0xFF62 + 30 * 3 + 2, 0x10);  // channel 3's receive frequency
    state.channelSelectionPending = true;
    procedures.Start(Procedure::BpfT1);
    EXPECT_EQ(link.requests.back(), (Request{{0x00, 3}})) << "before the procedure's own start";
    EXPECT_EQ(state.channel, 3);
    EXPECT_FALSE(state.channelSelectionPending);
    procedures.Step();
    EXPECT_EQ(link.requests.back(), (Request{{19, 0}}));

    cmcEeprom empty(cmcEeprom::kImageSize);
    current.Assign(empty);
    state.channelSelectionPending = true;
    procedures.Step();
    EXPECT_EQ(link.requests.back(), (Request{{0x00, 1}})) << "channel 1 when none is programmed";
}

TEST_F(AdjustmentProceduresTest, StartingAnotherProcedureReplacesTheRunningOne) {
    link.detector = Plateau(10, 20);
    procedures.Start(Procedure::BpfT1);
    procedures.Step();
    current.SetByte(0xAB, 30);
    link.detector = Linear(0, 255);
    procedures.Start(Procedure::Auto06);
    EXPECT_EQ(procedures.SweepState(), AdjustmentProcedures::kSweepIdle);
    EXPECT_EQ(procedures.CatchState(), 2);
    RunToEnd();
    EXPECT_EQ(current.GetByte(0x62), 30);
    procedures.Abort();
    EXPECT_FALSE(procedures.Running());
}

}  // namespace
