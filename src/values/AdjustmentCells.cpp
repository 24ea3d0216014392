// The adjustment sheets: values a technician sets on a connected radio while it runs.
//
// Every value cell works the same way on every call, with or without a key: it reads its
// image byte, lets the number editor apply what the user did, stores a changed value, and
// sends the value live whenever it differs from what the radio is known to hold. Because
// that comparison runs on each repaint, a value whose send was refused (the link was busy)
// goes out on a later repaint, and a value changed elsewhere (the balance bytes below)
// follows as soon as its cell is drawn.
//
// Procedure cells start an automatic procedure of the model controller on Enter; catch
// cells step one of its two-point calibrations; the RSSI calibration is driven from here.

#include "overlay/cmcCellObj.h"
#include "overlay/cmcGTex.h"
#include "values/CellDispatch.h"
#include "values/Editors.h"
#include "values/KeyCodes.h"

#include <array>
#include <cstdio>
#include <string>

namespace {

// ---------------------------------------------------------------- shared steps

constexpr std::uint8_t kByteWrite = 0;      // no item code of its own: a byte write
constexpr std::uint8_t kSelectItem = 0x40;  // a byte write selects the address ...
constexpr std::uint8_t kSetItem = 0x41;     // ... and then sets its value

editors::NumberSpec ByteSpec(const cmcCellCapsule& r, bool enterExecutes) {
    editors::NumberSpec spec;
    spec.min = 0;
    spec.max = 255;
    spec.step = r.shift ? 5 : 1;
    spec.enterExecutes = enterExecutes;
    return spec;
}

// The number editor on a fresh request: `execute` says only what this call's key asked.
bool Edit(cmcCellCapsule& r, CellResult& result, std::int32_t& value, const editors::NumberSpec& spec) {
    r.execute = false;
    return editors::EditNumber(r, result, value, spec);
}

std::uint8_t Byte(std::int32_t value) { return static_cast<std::uint8_t>(value); }

bool Enter(const cmcCellCapsule& r) { return r.mode == CellMode::Action && r.key == cellkey::kEnter; }

std::string Text(const char* key) { return GTex().GetLine(key, 0); }

// Stores the working value when it differs from the image byte.
bool Store(CellContext& c, cmcCellCapsule& r, std::int32_t address, std::int32_t value) {
    if (c.Image().GetByte(address) == Byte(value)) return false;
    c.Image().SetByte(address, Byte(value));
    r.changeFlags |= kChangeImage;
    return true;
}

// Sends the image byte when the radio is not known to hold it: by its own item code, or as
// a byte write. The radio image takes the value only once it went out, so a refused send
// is tried again on the next call.
void SendIfDiffers(CellContext& c, std::int32_t address, std::uint8_t item) {
    const std::uint8_t value = c.Image().GetByte(address);
    std::uint8_t& known = c.RadioImage().Data()[address];
    if (known == value) return;
    if (item != kByteWrite) {
        static_cast<void>(c.SendLiveValue(item, value, &known, false));
        return;
    }
    // The list's values must outlive the transfer; only one transfer runs at a time, and
    // the buffer is filled only while none does.
    if (c.LinkBusy()) return;
    static std::array<std::uint8_t, 2> values;
    static std::array<LiveItem, 3> list;
    values = {Byte(address), value};
    list = {LiveItem{kSelectItem, &values[0], nullptr}, LiveItem{kSetItem, &values[1], nullptr}, LiveItem{}};
    if (c.SendLiveList(list)) known = value;
}

// Finds the identifier named `base` + `suffix` (a value cell's bar or sweep cell).
consteval CellId Sibling(std::string_view base, std::string_view suffix) {
    for (const CellIdEntry& e : kCellIdTable) {
        if (e.name.size() == base.size() + suffix.size() && e.name.starts_with(base) && e.name.ends_with(suffix))
            return e.id;
    }
    throw "no such cell";
}

consteval CellRow SiblingRow(std::string_view base, std::string_view suffix, CellHandler handler,
                             std::int32_t data = 0) {
    const CellId id = Sibling(base, suffix);
    return {id, id, handler, data, false};
}

CellResult Empty(CellContext&, cmcCellCapsule&, std::int32_t) { return CellResult::None; }

CellResult Bar(CellContext& c, cmcCellCapsule& r, std::int32_t address) {
    editors::ShowBar(r, c.Image().GetByte(address), 0, 255);
    return CellResult::None;
}

// ---------------------------------------------------------------- live values

constexpr std::int32_t kBalanceBytes[] = {0x66, 0x74, 0x6D, 0x7B};

struct ValueCell {
    std::string_view name;
    std::int32_t address;
    std::uint8_t item;
    bool balance = false;  // one of the four cells that share one value
};
constexpr ValueCell kValueCells[] = {
    {"CL_Adjust_Ref", 0xA9, 5},        {"CL_Adjust_High", 0xA4, 9},       {"CL_Adjust_Mid", 0xA3, 10},
    {"CL_Adjust_Low", 0xA2, 11},       {"CL_Adjust_BALW", 0x66, 16, true}, {"CL_Adjust_BALM", 0x74, 18, true},
    {"CL_Adjust_BALN", 0x6D, 17, true}, {"CL_Adjust_BALD", 0x7B, 27, true}, {"CL_Adjust_ModW", 0x65, 12},
    {"CL_Adjust_ModM", 0x73, 14},      {"CL_Adjust_ModN", 0x6C, 13},      {"CL_Adjust_BalanceW", 0x7A, 26},
    {"CL_Adjust_BalanceN", 0x53, 15},  {"CL_Adjust_Noise", 0x13FB0, 8},   {"CL_Adjust_Vox", 0xAF, 33},
};

CellResult Value(CellContext& c, cmcCellCapsule& r, std::int32_t index) {
    const ValueCell& cell = kValueCells[index];
    std::int32_t value = c.Image().GetByte(cell.address);
    CellResult result = CellResult::None;
    Edit(r, result, value, ByteSpec(r, false));
    if (Store(c, r, cell.address, value) && cell.balance) {
        // The balance is one value kept in four places; only this cell's item is sent
        // now, the other three follow when their cells are drawn.
        for (std::int32_t address : kBalanceBytes) c.Image().SetByte(address, Byte(value));
    }
    SendIfDiffers(c, cell.address, cell.item);
    return result;
}

// ---------------------------------------------------------------- procedure cells

constexpr int kNoErrorFlag = -1;

struct ProcedureCell {
    std::string_view name;
    std::int32_t address;
    std::uint8_t item;  // kByteWrite: sent as a byte write
    AdjustmentProcedure procedure;
    int errorFlag = kNoErrorFlag;  // the search's error flag its sweep cell shows
};
constexpr ProcedureCell kProcedureCells[] = {
    {"CL_Adjust_BpfT1", 0x54, 19, AdjustmentProcedure::BpfT1},
    {"CL_Adjust_BpfT2", 0x55, 20, AdjustmentProcedure::BpfT2},
    {"CL_Adjust_BpfT3", 0x58, kByteWrite, AdjustmentProcedure::BpfT3},
    {"CL_Adjust_BpfT4", 0x5A, kByteWrite, AdjustmentProcedure::BpfT4},
    {"CL_Adjust_AUTO02", 0x59, kByteWrite, AdjustmentProcedure::Auto02},
    {"CL_Adjust_AUTO03", 0x5B, kByteWrite, AdjustmentProcedure::Auto03},
    {"CL_Adjust_AUTO04", 0x61, 6, AdjustmentProcedure::Auto04, 0},
    {"CL_Adjust_AUTO05", 0xBA, kByteWrite, AdjustmentProcedure::Auto05, 1},
    {"CL_Adjust_AUTO06", 0x62, 7, AdjustmentProcedure::Auto06, 2},
};

void StartProcedure(CellContext& c, cmcCellCapsule& r, AdjustmentProcedure p) {
    c.RunCommand(CellCommand::StartProcedure, static_cast<std::int32_t>(p));
    r.changeFlags |= kChangeImage;
}

CellResult Procedure(CellContext& c, cmcCellCapsule& r, std::int32_t index) {
    const ProcedureCell& cell = kProcedureCells[index];
    std::int32_t value = c.Image().GetByte(cell.address);
    CellResult result = CellResult::None;
    Edit(r, result, value, ByteSpec(r, true));
    Store(c, r, cell.address, value);
    SendIfDiffers(c, cell.address, cell.item);
    if (r.execute) StartProcedure(c, r, cell.procedure);
    return result;
}

CellResult Sweep(CellContext& c, cmcCellCapsule& r, std::int32_t errorFlag) {
    const bool failed = errorFlag != kNoErrorFlag && c.Adjustment().catchErrors[static_cast<std::size_t>(errorFlag)];
    r.displayText = Text(failed ? "GI_AppInd_Sweep_Error" : "GI_AppInd_Sweep_Start");
    return CellResult::None;
}

// The cells that run a whole chain: no value, Enter starts it.
struct ChainCell {
    std::string_view name;
    AdjustmentProcedure procedure;
};
constexpr ChainCell kChainCells[] = {
    {"CL_Adjust_BpfAll", AdjustmentProcedure::BpfT1T2},
    {"CL_Adjust_AUTO19", AdjustmentProcedure::BpfT3T4},
    {"CL_Adjust_AUTO20", AdjustmentProcedure::Auto02Auto03},
};

CellResult Chain(CellContext& c, cmcCellCapsule& r, std::int32_t index) {
    if (Enter(r)) StartProcedure(c, r, kChainCells[index].procedure);
    return CellResult::None;
}

// ---------------------------------------------------------------- voltages

// The target readings of the halving searches: set by hand, never sent on their own.
constexpr std::string_view kVoltageCells[] = {"CL_Adjust_AUTO07", "CL_Adjust_AUTO08", "CL_Adjust_AUTO09"};
constexpr std::int32_t kVoltageBytes[] = {0xAA, 0xBB, 0xAB};

CellResult Voltage(CellContext& c, cmcCellCapsule& r, std::int32_t address) {
    std::int32_t value = c.Image().GetByte(address);
    CellResult result = CellResult::None;
    Edit(r, result, value, ByteSpec(r, true));
    Store(c, r, address, value);
    return result;
}

// Whole volts and hundredths in integer arithmetic, as the radio's own scale rounds.
CellResult VoltageBar(CellContext& c, cmcCellCapsule& r, std::int32_t address) {
    const int v = c.Image().GetByte(address);
    char text[16];
    std::snprintf(text, sizeof text, "%d.%02dV", v * 5 / 255, (v * 500 / 255) % 100);
    r.displayText = text;
    return CellResult::None;
}

// ---------------------------------------------------------------- two-point calibrations

struct CatchCell {
    std::string_view name;
    int procedure;
    std::int32_t address;  // the value the calibration adjusts, shown as a bar while it runs
};
constexpr CatchCell kCatchCells[] = {
    {"CL_Adjust_AUTO10", 2, 0x6C},  {"CL_Adjust_AUTO11", 4, 0x6C},  {"CL_Adjust_AUTO12", 3, 0x6C},
    {"CL_Adjust_AUTO13", 8, 0x65},  {"CL_Adjust_AUTO14", 10, 0x65}, {"CL_Adjust_AUTO15", 9, 0x65},
    {"CL_Adjust_AUTO16", 11, 0x7A}, {"CL_Adjust_AUTO17", 13, 0x7A}, {"CL_Adjust_AUTO18", 12, 0x7A},
    {"CL_Adjust_MOD_M_C", 5, 0x73}, {"CL_Adjust_MOD_M_L", 7, 0x73}, {"CL_Adjust_MOD_M_H", 6, 0x73},
};

CellResult Catch(CellContext& c, cmcCellCapsule& r, std::int32_t index) {
    const CatchCell& cell = kCatchCells[index];
    AdjustmentState& s = c.Adjustment();
    std::uint8_t& wanted = s.catchValues[static_cast<std::size_t>(cell.procedure)];
    const bool waiting = s.procedure == cell.procedure && s.step == AdjustmentState::kStepWaiting;
    std::int32_t value = wanted;
    CellResult result = CellResult::None;
    // The value is the user's only while the calibration waits for it; otherwise whatever
    // was typed is dropped and the cell shows the value it had.
    if (Edit(r, result, value, ByteSpec(r, true)) && waiting && Byte(value) != wanted) {
        wanted = Byte(value);
        r.changeFlags |= kChangeImage;
    }
    if (r.execute) {
        if (s.procedure == AdjustmentState::kIdle && s.step == 0) {
            c.RunCommand(CellCommand::StartCalibration, cell.procedure);
            r.changeFlags |= kChangeImage;
        } else if (waiting) {
            c.RunCommand(CellCommand::ConfirmCalibration);
            r.changeFlags |= kChangeImage;
        }
    }
    return result;
}

CellResult CatchBar(CellContext& c, cmcCellCapsule& r, std::int32_t index) {
    const CatchCell& cell = kCatchCells[index];
    if (c.Adjustment().procedure == cell.procedure) return Bar(c, r, cell.address);
    r.displayText = Text("GI_AppInd_Catch_Start");
    return CellResult::None;
}

// ---------------------------------------------------------------- RSSI calibration

// The signal level is read at two reference levels (S3, then S1) and each reading is
// written back as that level's calibration point.
constexpr std::int32_t kRssiS3 = 0xA6;
constexpr std::int32_t kRssiS1 = 0xA5;
constexpr std::uint8_t kReadItem = 3;
constexpr std::uint8_t kSignalLevel = 2;
constexpr std::uint8_t kRssiS3Item = 22;
constexpr std::uint8_t kRssiS1Item = 21;

enum RssiStep : int { kRssiIdle = 0, kRssiReadS3 = 1, kRssiSendS3 = 2, kRssiReadS1 = 3, kRssiSendS1 = 4 };

CellResult Rssi(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    AdjustmentState& s = c.Adjustment();
    cmcEeprom& image = c.Image();
    const std::uint8_t s3 = image.GetByte(kRssiS3);
    const std::uint8_t s1 = image.GetByte(kRssiS1);
    std::int32_t value = s3;
    CellResult result = CellResult::None;
    Edit(r, result, value, ByteSpec(r, true));  // a typed value is not taken

    const bool running = s.procedure == AdjustmentState::kRssi;
    if (r.execute) {
        if (s.procedure == AdjustmentState::kIdle && s.step == 0) {
            s.procedure = AdjustmentState::kRssi;
            s.step = kRssiReadS3;
        } else if (running && (s.step == kRssiReadS3 || s.step == kRssiReadS1)) {
            ++s.step;
        }
    }
    if (s.procedure != AdjustmentState::kRssi) return result;

    // A refused send leaves the step where it is: the next call tries again.
    switch (s.step) {
        case kRssiReadS3:
            static_cast<void>(c.SendLiveValue(kReadItem, kSignalLevel, image.Data() + kRssiS3, true));
            break;
        case kRssiSendS3:
            if (c.SendLiveValue(kRssiS3Item, s3, c.RadioImage().Data() + kRssiS3, false)) s.step = kRssiReadS1;
            break;
        case kRssiReadS1:
            static_cast<void>(c.SendLiveValue(kReadItem, kSignalLevel, image.Data() + kRssiS1, true));
            break;
        case kRssiSendS1:
            if (c.SendLiveValue(kRssiS1Item, s1, c.RadioImage().Data() + kRssiS1, false)) {
                r.changeFlags |= kChangeImage;
                s.procedure = AdjustmentState::kIdle;
                s.step = 0;
            }
            break;
        default: break;
    }
    return result;
}

CellResult RssiBar(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    const AdjustmentState& s = c.Adjustment();
    if (s.procedure != AdjustmentState::kRssi) {
        r.displayText = Text("GI_AppInd_Catch_Start");
    } else if (s.step == kRssiReadS3) {
        r.displayText = "RSSI S3 Level";
    } else if (s.step == kRssiReadS1) {
        r.displayText = "RSSI S1 Level";
    }
    return CellResult::None;
}

// ---------------------------------------------------------------- adjustment channel

// The radio's 40 adjustment channels: channel n's 30 bytes start at kChannels + 30 n
// (bytes 0..3 receive and 4..7 transmit frequency, big-endian Hz without bit 31; byte 12
// bits 0..1 the type, bit 6 narrow); its power bits lie in a table of 20-byte entries.
constexpr std::int32_t kChannels = 0xFF62;
constexpr std::int32_t kChannelBytes = 30;
constexpr std::int32_t kPowers = 0x140BC;
constexpr std::int32_t kPowerBytes = 20;
constexpr int kLastChannel = 40;
constexpr std::uint8_t kChannelItem = 0;
constexpr std::uint8_t kRssiStepItem = 32;

std::int32_t ChannelAt(int n) { return kChannels + kChannelBytes * n; }

std::uint32_t Frequency(const cmcEeprom& image, std::int32_t at) {
    std::uint32_t hz = 0;
    for (int i = 0; i < 4; ++i) hz = hz << 8 | image.GetByte(at + i);
    return hz & 0x7FFFFFFFu;
}

bool Programmed(const cmcEeprom& image, int n) { return Frequency(image, ChannelAt(n)) != 0; }

int Wrap(int n) { return n > kLastChannel ? 1 : (n < 1 ? kLastChannel : n); }

CellResult ChannelNumber(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    AdjustmentState& s = c.Adjustment();
    std::int32_t wanted = s.channel;
    CellResult result = CellResult::None;
    editors::NumberSpec spec;
    spec.min = 0;
    spec.max = kLastChannel + 1;
    spec.step = 1;
    if (Edit(r, result, wanted, spec) && wanted != s.channel) {
        // Only programmed channels can be adjusted: the walk goes on in the direction the
        // user went until it finds one, and gives up where it started.
        const int direction = wanted > s.channel ? 1 : -1;
        for (int n = Wrap(wanted); n != s.channel; n = Wrap(n + direction)) {
            if (Programmed(c.Image(), n)) {
                s.channel = n;
                r.changeFlags |= kChangeImage;
                break;
            }
        }
        // The editor showed the number typed; show the channel that was chosen.
        r.displayText = std::to_string(s.channel);
    }
    if (s.channel != s.channelSent && c.SendLiveValue(kChannelItem, Byte(s.channel), nullptr, false))
        s.channelSent = s.channel;
    return result;
}

CellResult ChannelType(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    static constexpr const char* kTypes[] = {"Analog", "Mixed(Analog)", "Mixed(Digital)", "Digital"};
    const int type = c.Image().GetByte(ChannelAt(c.Adjustment().channel) + 12) & 0x03;
    r.displayText = std::string("CH Type=") + kTypes[type];
    return CellResult::None;
}

CellResult ChannelFrequencies(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    const std::int32_t at = ChannelAt(c.Adjustment().channel);
    const std::uint32_t rx = Frequency(c.Image(), at);
    const std::uint32_t tx = Frequency(c.Image(), at + 4);
    char text[64];
    std::snprintf(text, sizeof text, "RX=%u.%05u, TX=%u.%05u", rx / 1000000u, rx % 1000000u / 10u, tx / 1000000u,
                  tx % 1000000u / 10u);
    r.displayText = text;
    return CellResult::None;
}

CellResult ChannelPower(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    const int n = c.Adjustment().channel;
    const std::uint8_t power = c.Image().GetByte(kPowers + kPowerBytes * n);
    const bool narrow = (c.Image().GetByte(ChannelAt(n) + 12) & 0x40) != 0;
    const char* level = (power & 0x01) == 0 ? "Low2" : ((power & 0x02) != 0 ? "High" : "Low1");
    r.displayText = std::string("RF Power=") + level + ", Mode=" + (narrow ? "Narrow" : "Wide");
    return CellResult::None;
}

CellResult RssiStep(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    AdjustmentState& s = c.Adjustment();
    std::int32_t value = s.rssiStep;
    CellResult result = CellResult::None;
    editors::NumberSpec spec;
    spec.min = 1;
    spec.max = 14;
    spec.step = 1;
    if (Edit(r, result, value, spec) && value != s.rssiStep) {
        s.rssiStep = value;
        r.changeFlags |= kChangeImage;
    }
    if (s.rssiStep != s.rssiStepSent && c.SendLiveValue(kRssiStepItem, Byte(s.rssiStep), nullptr, false))
        s.rssiStepSent = s.rssiStep;
    return result;
}

// ---------------------------------------------------------------- the table

// Cells that show nothing: sweeps of procedures that have none, bars of cells that have no value.
constexpr std::string_view kEmptyCells[] = {
    "CL_Adjust_Noise_Sweep",  "CL_Adjust_Rssi_Bar",     "CL_Adjust_Rssi_Sweep",    "CL_Adjust_Vox_Sweep",
    "CL_Adjust_AUTO01_Sweep", "CL_Adjust_AUTO19_Bar",   "CL_Adjust_AUTO20_Bar",
};

constexpr std::size_t kRowCount = 2 * std::size(kValueCells) + 3 * std::size(kProcedureCells) +
                                  2 * std::size(kChainCells) + 3 * std::size(kVoltageCells) +
                                  3 * std::size(kCatchCells) + 2 + std::size(kEmptyCells) + 5;

consteval std::array<CellRow, kRowCount> BuildRows() {
    std::array<CellRow, kRowCount> rows{};
    std::size_t n = 0;
    for (std::size_t i = 0; i < std::size(kValueCells); ++i) {
        const ValueCell& v = kValueCells[i];
        rows[n++] = Row(v.name, Value, static_cast<std::int32_t>(i));
        rows[n++] = SiblingRow(v.name, "_Bar", Bar, v.address);
    }
    for (std::size_t i = 0; i < std::size(kProcedureCells); ++i) {
        const ProcedureCell& p = kProcedureCells[i];
        rows[n++] = Row(p.name, Procedure, static_cast<std::int32_t>(i));
        rows[n++] = SiblingRow(p.name, "_Bar", Bar, p.address);
        rows[n++] = SiblingRow(p.name, "_Sweep", Sweep, p.errorFlag);
    }
    for (std::size_t i = 0; i < std::size(kChainCells); ++i) {
        rows[n++] = Row(kChainCells[i].name, Chain, static_cast<std::int32_t>(i));
        rows[n++] = SiblingRow(kChainCells[i].name, "_Sweep", Sweep, kNoErrorFlag);
    }
    for (std::size_t i = 0; i < std::size(kVoltageCells); ++i) {
        rows[n++] = Row(kVoltageCells[i], Voltage, kVoltageBytes[i]);
        rows[n++] = SiblingRow(kVoltageCells[i], "_Bar", VoltageBar, kVoltageBytes[i]);
        rows[n++] = SiblingRow(kVoltageCells[i], "_Sweep", Empty);
    }
    for (std::size_t i = 0; i < std::size(kCatchCells); ++i) {
        rows[n++] = Row(kCatchCells[i].name, Catch, static_cast<std::int32_t>(i));
        rows[n++] = SiblingRow(kCatchCells[i].name, "_Bar", CatchBar, static_cast<std::int32_t>(i));
        rows[n++] = SiblingRow(kCatchCells[i].name, "_Sweep", Empty);
    }
    rows[n++] = Row("CL_Adjust_AUTO01", Rssi);
    rows[n++] = Row("CL_Adjust_AUTO01_Bar", RssiBar);
    for (std::string_view name : kEmptyCells) rows[n++] = Row(name, Empty);
    rows[n++] = Row("CL_Adjust_ChNo", ChannelNumber);
    rows[n++] = Row("CL_Adjust_ChGrp", ChannelType);
    rows[n++] = Row("CL_Adjust_ChNoFreq", ChannelFrequencies);
    rows[n++] = Row("CL_Adjust_RfPow", ChannelPower);
    rows[n++] = Row("CL_Adjust_Rssi", RssiStep);
    if (n != kRowCount) throw "row count";
    return rows;
}

constexpr std::array<CellRow, kRowCount> kRows = BuildRows();

}  // namespace

std::span<const CellRow> AdjustmentCellRows() { return kRows; }
