#pragma once
// What live adjustment remembers between calls: the state the adjustment cells and the
// model controller's automatic procedures share, and the table the radio's measured values
// are read back into. Plain data: the controller owns it, the cells read and change it
// through the cell context, the procedures step it.

#include <array>
#include <cstdint>

// The automatic procedures a cell can start; the model controller runs them. The chained
// ones sweep two filters in turn, in steps of 2.
enum class AdjustmentProcedure {
    BpfT1T2, BpfT1, BpfT2,            // band-pass filter T1/T2 by item code
    BpfT3T4, BpfT3, BpfT4,            // T3/T4 by byte write
    Auto02Auto03, Auto02, Auto03,     // by byte write
    Auto04, Auto05, Auto06,           // halving searches
};

struct AdjustmentState {
    // Procedure numbers of the value routine: 0 idle, 1 the RSSI calibration, 2..13 the
    // two-point calibrations (three per group: point 1, point 2 of the first slope byte,
    // point 2 of the second).
    static constexpr int kIdle = 0;
    static constexpr int kRssi = 1;
    static constexpr int kFirstCalibration = 2;
    static constexpr int kLastCalibration = 13;
    // Steps of a two-point calibration: started, waiting for the user's value, confirmed.
    static constexpr int kStepStart = 0;
    static constexpr int kStepWaiting = 4;
    static constexpr int kStepConfirmed = 5;

    int channel = 1;                 // the adjustment channel, 1..40
    int channelSent = 0;             // the one last sent to the radio (0: none yet)
    bool channelSelectionPending = false;
    int rssiStep = 1;                // 1..14
    int rssiStepSent = 0;
    int procedure = kIdle;
    int step = 0;
    std::array<std::uint8_t, kLastCalibration + 1> catchValues{};  // by procedure number
    std::array<bool, 3> catchErrors{};  // the halving searches AUTO04, AUTO05, AUTO06

    static constexpr bool IsCalibration(int p) { return p >= kFirstCalibration && p <= kLastCalibration; }
};

// The radio's measured values by parameter number: parameters 0..19 at their own number,
// 32..48 from entry 20 on. The measured-values list reads 1..4, 32..35 and 39..43.
struct AdReadings {
    static constexpr int kEntries = 37;
    static constexpr int Entry(int parameter) {
        if (parameter >= 0 && parameter < 20) return parameter;
        if (parameter >= 32 && parameter <= 48) return parameter - 12;
        return -1;
    }
    std::array<std::uint8_t, kEntries> bytes{};

    std::uint8_t* At(int parameter) {
        const int e = Entry(parameter);
        return e < 0 ? nullptr : &bytes[static_cast<std::size_t>(e)];
    }
    std::uint8_t Of(int parameter) const {
        const int e = Entry(parameter);
        return e < 0 ? 0 : bytes[static_cast<std::size_t>(e)];
    }
};
