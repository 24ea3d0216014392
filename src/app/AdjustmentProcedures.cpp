#include "app/AdjustmentProcedures.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr std::uint8_t kByteWrite = LiveTarget::kByteWrite;

// The swept values, by sweep state.
constexpr LiveTarget kSweepTargets[] = {
    {19, 0x54},          // 0 BPF T1
    {20, 0x55},          // 1 BPF T2
    {kByteWrite, 0x58},  // 2 BPF T3
    {kByteWrite, 0x5A},  // 3 BPF T4
    {kByteWrite, 0x59},  // 4 AUTO02
    {kByteWrite, 0x5B},  // 5 AUTO03
};
constexpr int kNoSweep = -1;

}  // namespace

namespace {

// The sweep procedures in Procedure order: the first sweep, the second of a chain (a chain
// sweeps in steps of 2), and the start request (`preset` set to `value`, or only selected
// for -1).
constexpr struct {
    int first, next, preset, value;
} kSweeps[] = {
    {0, 1, 1, 64},          // BPF T1 and T2: item 20 := 64
    {0, kNoSweep, 0, 0},    // BPF T1: item 19 := 0
    {1, kNoSweep, 1, 0},    // BPF T2: item 20 := 0
    {2, 3, 3, 64},          // BPF T3 and T4: 0x5A := 64
    {2, kNoSweep, 2, -1},   // BPF T3: select 0x58
    {3, kNoSweep, 3, -1},   // BPF T4: select 0x5A
    {4, 5, 5, 64},          // AUTO02 and AUTO03: 0x5B := 64
    {4, kNoSweep, 4, -1},   // AUTO02: select 0x59
    {5, kNoSweep, 5, -1},   // AUTO03: select 0x5B
};
constexpr int kFirstCatchProcedure = 9;  // Procedure::Auto04

// The searched values and their target readings (image bytes the user sets), by catch state.
constexpr struct {
    LiveTarget target;
    std::int32_t wanted;
} kCatches[] = {
    {{6, 0x61}, 0xAA},           // AUTO04
    {{kByteWrite, 0xBA}, 0xBB},  // AUTO05
    {{7, 0x62}, 0xAB},           // AUTO06
};

// The two-point calibration groups; procedure number 2 + 3g + r is group g's point 1 (r 0)
// or its point 2 for slope byte r - 1.
constexpr struct {
    LiveTarget value;
    std::int32_t slopes[2];
} kCalibrations[] = {
    {{13, 0x6C}, {0xB4, 0xB5}},
    {{14, 0x73}, {0xB6, 0xB7}},
    {{12, 0x65}, {0xB2, 0xB3}},
    {{26, 0x7A}, {0xB8, 0xB9}},
};

// The adjustment channels: channel n's 30 bytes start here + 30 n; bytes 0..3 receive and
// 4..7 transmit frequency, big-endian, in Hz (bit 31 is not part of it).
constexpr std::int32_t kAdjustmentChannels = 0xFF62;
constexpr int kAdjustmentChannelBytes = 30;
constexpr int kLastAdjustmentChannel = 40;

}  // namespace

class AdjustmentProcedures::ListBuilder {
public:
    explicit ListBuilder(AdjustmentProcedures& p) : p_(p) {}
    ListBuilder& Add(std::uint8_t code, std::uint8_t value, std::uint8_t* reply = nullptr) {
        p_.listValues_[n_] = value;
        p_.list_[n_] = LiveItem{code, &p_.listValues_[n_], reply};
        ++n_;
        return *this;
    }
    // A value to its target: its own item, or a byte write; with `answer` each item waits
    // for the radio's answer there.
    ListBuilder& Set(const LiveTarget& t, std::uint8_t value, std::uint8_t* answer = nullptr) {
        if (t.item != kByteWrite) return Add(t.item, value, answer);
        return Add(LiveTarget::kSelect, static_cast<std::uint8_t>(t.address), answer).Add(LiveTarget::kSet, value, answer);
    }
    std::span<const LiveItem> Done() {
        p_.list_[n_] = LiveItem{};  // 0xFF ends the list
        return {p_.list_.data(), n_ + 1};
    }

private:
    AdjustmentProcedures& p_;
    std::size_t n_ = 0;
};

AdjustmentProcedures::AdjustmentProcedures(LiveLink& link, cmcEeprom& current, cmcEeprom& radio,
                                           AdjustmentState& state)
    : link_(link), current_(current), radio_(radio), state_(state) {}

bool AdjustmentProcedures::Running() const {
    return startPending_ || sweepState_ != kSweepIdle || catchState_ != kCatchIdle ||
           AdjustmentState::IsCalibration(state_.procedure);
}

void AdjustmentProcedures::Abort() {
    startPending_.reset();
    sweepState_ = kSweepIdle;
    chained_ = false;
    runPending_ = false;
    catchState_ = kCatchIdle;
    if (AdjustmentState::IsCalibration(state_.procedure)) {
        state_.procedure = AdjustmentState::kIdle;
        state_.step = 0;
    }
}

void AdjustmentProcedures::Mirror(std::int32_t address, std::uint8_t value) {
    current_.SetByte(address, value);
    radio_.SetByte(address, value);
}

bool AdjustmentProcedures::SendTo(const LiveTarget& target, std::uint8_t value) {
    bool sent = false;
    if (target.item != kByteWrite) {
        sent = link_.SendValue(target.item, value, radio_.Data() + target.address, false);
    } else {
        ListBuilder list(*this);
        sent = link_.SendList(list.Set(target, value).Done());
    }
    if (sent) Mirror(target.address, value);
    return sent;
}

// ---------------------------------------------------------------- starting

void AdjustmentProcedures::Start(Procedure p) {
    Abort();
    if (AdjustmentState::IsCalibration(state_.procedure) || state_.procedure == AdjustmentState::kRssi) {
        state_.procedure = AdjustmentState::kIdle;
        state_.step = 0;
    }
    const int index = static_cast<int>(p);
    if (index < kFirstCatchProcedure) {
        const auto& s = kSweeps[index];
        chained_ = s.next != kNoSweep;
        BeginSweep(s.first);
    } else {
        const int c = index - kFirstCatchProcedure;
        state_.catchErrors[static_cast<std::size_t>(c)] = false;
        catchState_ = c;
        stage_ = CatchStage::AtZero;
        phase_ = CatchPhase::Send;
        position_ = 0;
        lower_ = 0;
        upper_ = 255;
        startValue_ = current_.GetByte(kCatches[c].target.address);
    }
    startPending_ = p;
    Step();
}

void AdjustmentProcedures::BeginSweep(int sweep) {
    sweepState_ = sweep;
    position_ = 0;
    firstPeak_ = lastPeak_ = peakReading_ = 0;
    runPending_ = false;
}

void AdjustmentProcedures::StartCalibration(int procedureNumber) {
    if (!AdjustmentState::IsCalibration(procedureNumber)) return;
    Abort();
    state_.procedure = procedureNumber;
    state_.step = AdjustmentState::kStepStart;
    Step();
}

void AdjustmentProcedures::ConfirmCalibration() {
    if (!AdjustmentState::IsCalibration(state_.procedure) || state_.step != AdjustmentState::kStepWaiting) return;
    state_.step = AdjustmentState::kStepConfirmed;
    Step();
}

// ---------------------------------------------------------------- stepping

void AdjustmentProcedures::Step() {
    // One request per call: the pending channel selection first, then the start request
    // of a procedure just started, then the procedure's own step.
    if (link_.Busy()) return;
    if (ChannelStep()) return;
    if (startPending_) {
        const int index = static_cast<int>(*startPending_);
        bool sent = false;
        if (index < kFirstCatchProcedure) {
            const auto& s = kSweeps[index];
            const LiveTarget& t = kSweepTargets[s.preset];
            if (s.value >= 0) {
                sent = SendTo(t, static_cast<std::uint8_t>(s.value));
            } else {
                sent = link_.SendValue(LiveTarget::kSelect, static_cast<std::uint8_t>(t.address), nullptr, false);
            }
        } else {
            // A search starts from 0: the first reading is taken there.
            sent = SendTo(kCatches[catchState_].target, 0);
            lastSent_ = 0;
        }
        if (sent) startPending_.reset();
        return;
    }
    if (sweepState_ != kSweepIdle) {
        SweepStep();
    } else if (catchState_ != kCatchIdle) {
        CatchStep();
    } else if (AdjustmentState::IsCalibration(state_.procedure)) {
        CalibrationStep();
    }
}

bool AdjustmentProcedures::ChannelStep() {
    if (!state_.channelSelectionPending) return false;
    int channel = 0;
    auto used = [&](int n) {
        const std::int32_t at = kAdjustmentChannels + kAdjustmentChannelBytes * n;
        for (int i = 0; i < 4; ++i) {
            if (current_.GetByte(at + i) != 0) return true;
        }
        return false;
    };
    while (channel <= kLastAdjustmentChannel && !used(channel)) ++channel;
    if (channel > kLastAdjustmentChannel) channel = 1;
    if (!link_.SendValue(kChannelItem, static_cast<std::uint8_t>(channel), nullptr, false)) return false;
    state_.channelSelectionPending = false;
    state_.channel = channel;
    state_.channelSent = channel;
    return true;
}

int AdjustmentProcedures::AdjustmentMHz() const {
    const std::int32_t at = kAdjustmentChannels + kAdjustmentChannelBytes * state_.channel + 4;
    std::uint32_t hz = 0;
    for (int i = 0; i < 4; ++i) hz = hz << 8 | current_.GetByte(at + i);
    return static_cast<int>((hz & 0x7FFFFFFFu) / 1000000u);
}

// ---------------------------------------------------------------- peak sweep

void AdjustmentProcedures::SweepStep() {
    // The readings of the run that has completed belong to the positions that run set.
    if (runPending_) ProcessRun();
    if (position_ < kSweepEnd) {
        StartRun();
    } else {
        FinishSweep();
    }
}

bool AdjustmentProcedures::StartRun() {
    const int s = Stride();
    const LiveTarget& t = kSweepTargets[sweepState_];
    // Every item of a run waits for the radio's answer, the settings too: a radio answers
    // each item it hears, and an answer left unread would be taken for the reading after it.
    ListBuilder list(*this);
    for (int k = 0; k < 4; ++k) {
        list.Set(t, static_cast<std::uint8_t>(std::min(position_ + k * s, 255)), &echo_);
        list.Add(kReadItem, kDetector, &readings_[static_cast<std::size_t>(k)]);
    }
    if (!link_.SendList(list.Done())) return false;
    runStart_ = position_;
    runPending_ = true;
    position_ += 4 * s;
    Mirror(t.address, static_cast<std::uint8_t>(runStart_));
    return true;
}

void AdjustmentProcedures::ProcessRun() {
    const int s = Stride();
    int position = runStart_;
    for (std::uint8_t r : readings_) {
        if (position < kSweepEnd && r >= peakReading_) {
            if (r > peakReading_) {
                firstPeak_ = position;
                peakReading_ = r;
            }
            lastPeak_ = position;
        }
        position += s;
    }
    runPending_ = false;
}

void AdjustmentProcedures::FinishSweep() {
    const auto value = static_cast<std::uint8_t>((firstPeak_ + lastPeak_) / 2);
    if (!SendTo(kSweepTargets[sweepState_], value)) return;
    // A chain goes on with its second filter; the whole chain ends after it.
    for (const auto& s : kSweeps) {
        if (chained_ && s.first == sweepState_ && s.next != kNoSweep) {
            BeginSweep(s.next);
            return;
        }
    }
    chained_ = false;
    sweepState_ = kSweepIdle;
    position_ = kSweepEnd + 1;
}

// ---------------------------------------------------------------- halving search

void AdjustmentProcedures::CatchStep() {
    if (phase_ == CatchPhase::Read) {
        CatchRead(reading_);
        if (catchState_ == kCatchIdle) return;
    }
    CatchSendPhase();
}

bool AdjustmentProcedures::CatchSendPhase() {
    const LiveTarget& t = kCatches[catchState_].target;
    if (std::abs(lower_ - upper_) <= 1) {
        if (!SendTo(t, static_cast<std::uint8_t>(position_))) return false;
        EndCatch();
        return true;
    }
    if (position_ == lastSent_) {
        if (!link_.SendValue(kReadItem, kDetector, &reading_, true)) return false;
        phase_ = CatchPhase::Read;
        return true;
    }
    if (!SendTo(t, static_cast<std::uint8_t>(position_))) return false;
    lastSent_ = position_;
    return true;
}

void AdjustmentProcedures::CatchRead(std::uint8_t r) {
    phase_ = CatchPhase::Send;
    const int wanted = current_.GetByte(kCatches[catchState_].wanted);
    switch (stage_) {
        case CatchStage::AtZero:
            readingAtZero_ = r;
            position_ = 255;
            stage_ = CatchStage::AtTop;
            return;
        case CatchStage::AtTop: {
            const int low = std::min<int>(readingAtZero_, r);
            const int high = std::max<int>(readingAtZero_, r);
            if (wanted < low || wanted >= high) {
                // Out of reach: the radio gets its starting value back.
                state_.catchErrors[static_cast<std::size_t>(catchState_)] = true;
                position_ = startValue_;
                lower_ = upper_ = startValue_;
                return;
            }
            // `upper_` is where a reading above the target sends the search, `lower_` where
            // one below it does: 0 and 255 for rising readings, the other way for falling.
            const bool rising = r > readingAtZero_;
            upper_ = rising ? 0 : 255;
            lower_ = rising ? 255 : 0;
            position_ = 127;
            stage_ = CatchStage::Searching;
            return;
        }
        case CatchStage::Searching:
            if (r == wanted) {
                EndCatch();  // the radio holds the value already
                return;
            }
            // Each reading halves the range: the position read becomes the bound on its side.
            if (r > wanted) {
                const int p = position_;
                position_ = (p + upper_) / 2;
                lower_ = p;
            } else {
                const int p = position_;
                position_ = (p + lower_ + 1) / 2;
                upper_ = p;
            }
            return;
    }
}

void AdjustmentProcedures::EndCatch() {
    catchState_ = kCatchIdle;
    phase_ = CatchPhase::Send;
    lastSent_ = kSweepEnd + 1;
}

// ---------------------------------------------------------------- two-point calibration

void AdjustmentProcedures::CalibrationStep() {
    const int number = state_.procedure - AdjustmentState::kFirstCalibration;
    const auto& group = kCalibrations[number / 3];
    const int role = number % 3;  // 0: point 1; 1, 2: point 2 of slope byte role - 1
    FirstPoint& first = firstPoints_[static_cast<std::size_t>(number / 3)];
    std::uint8_t& wanted = state_.catchValues[static_cast<std::size_t>(state_.procedure)];
    const std::uint8_t value = current_.GetByte(group.value.address);

    switch (state_.step) {
        case AdjustmentState::kStepStart: {
            if (role == 0) {
                // Point 1 is taken without slope correction: both slope bytes go to 0.
                ListBuilder list(*this);
                for (std::int32_t slope : group.slopes) list.Set({kByteWrite, slope}, 0);
                if (!link_.SendList(list.Done())) return;
                for (std::int32_t slope : group.slopes) Mirror(slope, 0);
            }
            calibrationMHz_ = AdjustmentMHz();
            wanted = value;
            state_.step = AdjustmentState::kStepWaiting;
            return;
        }
        case AdjustmentState::kStepWaiting:
            // The user adjusts: each new value goes to the radio at once.
            if (wanted != value) static_cast<void>(SendTo(group.value, wanted));
            return;
        case AdjustmentState::kStepConfirmed: {
            if (role == 0) {
                if (!SendTo(group.value, value)) return;
                first = FirstPoint{value, calibrationMHz_};
            } else {
                const int df = first.mhz - calibrationMHz_;
                const int slope = df > 0 ? std::clamp((first.value - value) * 256 / df, -128, 127) : 0;
                const std::int32_t slopeAddress = group.slopes[role - 1];
                ListBuilder list(*this);
                list.Set({kByteWrite, slopeAddress}, static_cast<std::uint8_t>(slope)).Set(group.value, first.value);
                if (!link_.SendList(list.Done())) return;
                Mirror(slopeAddress, static_cast<std::uint8_t>(slope));
                Mirror(group.value.address, first.value);
            }
            state_.procedure = AdjustmentState::kIdle;
            state_.step = 0;
            return;
        }
        default:
            return;  // steps the value routine drives
    }
}
