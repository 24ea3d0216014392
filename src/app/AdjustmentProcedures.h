#pragma once
// The automatic adjustment procedures of a connected radio: the peak sweeps of the band-pass
// filters, the halving searches ("catches") for a target reading, and the two-point
// calibrations that derive a slope from two user-adjusted points.
//
// A procedure never waits: each call of Step() sends at most one live request and returns.
// The controller calls Step() for every message of the event manager while the link is
// free; the redraw that follows each completed request drives the next step. A request the
// link refuses is simply tried again on the next call, so nothing advances without having
// gone out.

#include "comm/cmcCloneDrv.h"
#include "image/cmcEeprom.h"
#include "values/AdjustmentState.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

// What the procedures need of the radio link.
class LiveLink {
public:
    virtual ~LiveLink() = default;
    // A request is in flight (or the link cannot take one): the procedures build nothing
    // then, because the request in flight still reads their buffers.
    virtual bool Busy() const = 0;
    // One item. With `awaitReply` the radio's answer is stored at `target` when the request
    // completes; without, the value is stored there at once. False: not sent (link busy).
    virtual bool SendValue(std::uint8_t item, std::uint8_t value, std::uint8_t* target, bool awaitReply) = 0;
    // A list ended by item code 0xFF. Its value and reply pointers must stay valid until the
    // request completes. False: not sent.
    virtual bool SendList(std::span<const LiveItem> items) = 0;
};

// How a value reaches the radio: by its own item code, or as a byte write (item 0x40
// selects the EEPROM address, item 0x41 sets it).
struct LiveTarget {
    static constexpr std::uint8_t kByteWrite = 0;  // no item code of its own
    static constexpr std::uint8_t kSelect = 0x40;
    static constexpr std::uint8_t kSet = 0x41;
    std::uint8_t item;
    std::int32_t address;  // the image byte that holds the value
};

class AdjustmentProcedures {
public:
    // The cells name the procedures too, so the list lives with the shared state.
    using Procedure = AdjustmentProcedure;

    static constexpr int kSweepIdle = 7;  // sweeps 0..5: T1, T2, T3, T4, AUTO02, AUTO03
    static constexpr int kCatchIdle = 4;  // catches 0..2: AUTO04, AUTO05, AUTO06
    static constexpr int kSweepEnd = 256;
    static constexpr std::uint8_t kReadItem = 0x03;      // a measured value
    static constexpr std::uint8_t kDetector = 0x03;      // ... of this parameter
    static constexpr std::uint8_t kChannelItem = 0x00;   // the adjustment channel

    // `current` is the image the user edits, `radio` what the radio is known to hold.
    AdjustmentProcedures(LiveLink& link, cmcEeprom& current, cmcEeprom& radio, AdjustmentState& state);

    // Replaces whatever runs with the procedure and sends its start request.
    void Start(Procedure p);
    // A two-point calibration (procedure numbers 2..13): started by the cell that sets the
    // state, confirmed by its second Enter. Both step at once.
    void StartCalibration(int procedureNumber);
    void ConfirmCalibration();
    // Ends whatever runs (a request failed: the user has seen its message).
    void Abort();
    // One step of the pending channel selection or the running procedure.
    void Step();

    bool Running() const;
    int SweepState() const { return sweepState_; }
    int CatchState() const { return catchState_; }

    // The adjustment channel's transmit frequency in whole MHz (the unit of the slopes).
    int AdjustmentMHz() const;

private:
    class ListBuilder;

    bool ChannelStep();
    void SweepStep();
    void CatchStep();
    void CalibrationStep();
    void BeginSweep(int sweep);
    void ProcessRun();
    bool StartRun();
    void FinishSweep();
    bool CatchSendPhase();
    void CatchRead(std::uint8_t reading);
    void EndCatch();

    // Sends a value to its target and mirrors it into both images; false when not sent.
    bool SendTo(const LiveTarget& target, std::uint8_t value);
    bool SendListBuilt(const ListBuilder& list);
    void Mirror(std::int32_t address, std::uint8_t value);

    LiveLink& link_;
    cmcEeprom& current_;
    cmcEeprom& radio_;
    AdjustmentState& state_;

    // The start request of the procedure just started, not yet sent.
    std::optional<Procedure> startPending_;

    // Peak sweep.
    int sweepState_ = kSweepIdle;
    bool chained_ = false;  // a chain of two sweeps, in steps of 2
    int Stride() const { return chained_ ? 2 : 1; }
    int position_ = kSweepEnd + 1;
    int lastSent_ = kSweepEnd + 1;
    int firstPeak_ = 0, lastPeak_ = 0, peakReading_ = 0;
    bool runPending_ = false;  // a measurement run went out; its readings are due
    int runStart_ = 0;
    std::array<std::uint8_t, 4> readings_{};
    std::uint8_t echo_ = 0;  // the radio's answers to a run's settings

    // Halving search.
    enum class CatchStage { AtZero, AtTop, Searching };
    enum class CatchPhase { Send, Read };
    int catchState_ = kCatchIdle;
    CatchStage stage_ = CatchStage::AtZero;
    CatchPhase phase_ = CatchPhase::Send;
    int lower_ = 0, upper_ = 255;
    std::uint8_t startValue_ = 0;
    std::uint8_t readingAtZero_ = 0;
    std::uint8_t reading_ = 0;

    // Two-point calibration: the first point of each group.
    struct FirstPoint {
        std::uint8_t value = 0;
        int mhz = 0;
    };
    std::array<FirstPoint, 4> firstPoints_{};
    int calibrationMHz_ = 0;

    // Storage of the list in flight.
    static constexpr std::size_t kMaxList = 16;
    std::array<LiveItem, kMaxList> list_{};
    std::array<std::uint8_t, kMaxList> listValues_{};
};
