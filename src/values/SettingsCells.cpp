// The settings cells: each shows one field of the image (a bit range of a byte, or a
// big-endian number of up to four bytes) through one editor and, when the editor reports
// a change, writes back that field's bits alone and reports the image as changed. The
// cells are one table; the handler is generic. docs/memory-map.md lists every field.

#include "values/SettingsCells.h"
#include "overlay/cmcCellObj.h"
#include "values/CellDispatch.h"
#include "values/EditorKeys.h"
#include "values/Editors.h"

#include <array>
#include <cstddef>
#include <optional>

namespace settings {

std::int64_t ReadField(const cmcEeprom& image, const Field& f) {
    std::uint32_t raw = 0;
    for (int i = 0; i < f.bytes; ++i) raw = (raw << 8) | image.GetByte(f.address + i);
    const std::uint32_t mask = f.width >= 32 ? 0xFFFFFFFFu : (1u << f.width) - 1;
    const std::uint32_t value = (raw >> f.shift) & mask;
    if (f.isSigned && f.width == 32) return static_cast<std::int32_t>(value);
    return value;
}

void WriteField(cmcEeprom& image, const Field& f, std::int64_t value) {
    std::uint32_t raw = 0;
    for (int i = 0; i < f.bytes; ++i) raw = (raw << 8) | image.GetByte(f.address + i);
    const std::uint32_t mask = f.width >= 32 ? 0xFFFFFFFFu : (1u << f.width) - 1;
    raw = (raw & ~(mask << f.shift)) | ((static_cast<std::uint32_t>(value) & mask) << f.shift);
    for (int i = f.bytes - 1; i >= 0; --i) {
        image.SetByte(f.address + i, static_cast<std::uint8_t>(raw & 0xFF));
        raw >>= 8;
    }
}

}  // namespace settings

namespace {

using settings::Field;

constexpr CellId kFlex0 = CellIdOf("Flex0");
constexpr CellId kFlexKeyOpt = CellIdOf("FlexKeyOpt");

enum class Edit : std::uint8_t {
    Choice,        // `list` (`altList` on mobile or BIIS PMR models, as `alt` says)
    Setting,       // min..max, wrapping or not
    Timer,         // `units` per second, min..max, `offAllowed`
    Scaled,        // `decimals` (kept in full), min..max in shown units, `step`
    Text,          // `bytes` characters
    PackedDigits,  // 2 * `bytes` decimal digits, two per byte, high nibble first
    BeepLevel,     // low nibble + 100 * bit 6
    KeyFunction,   // a key's function code, with the high/low option of some codes
};

enum class Alt : std::uint8_t { None, Mobile, Biis };

struct SettingCell {
    std::string_view name;  // the cell identifier
    Field field;
    Edit edit;
    std::string_view list{};
    std::string_view altList{};
    Alt alt = Alt::None;
    double min = 0, max = 255;
    bool wrap = true;         // Setting: a step past one end gives the other
    bool offAllowed = false;  // Timer: 0 shows "off"
    std::int32_t units = 1;   // Timer: units per second
    int decimals = 0;         // Scaled
    std::int32_t step = 1;    // Setting, Scaled
    int kept = -1;            // Scaled: digits shown after the point (-1: `decimals`)
    bool spaceOpens = false;  // Scaled: Space opens the editor instead of stepping
};

constexpr Field Byte(std::int32_t address, std::uint8_t shift = 0, std::uint8_t width = 8) {
    return {address, 1, shift, width, false};
}
constexpr Field Bit(std::int32_t address, std::uint8_t bit) {
    return Byte(address, bit, 1);
}
constexpr Field Number(std::int32_t address, std::uint8_t bytes, bool isSigned = false) {
    return {address, bytes, 0, static_cast<std::uint8_t>(8 * bytes), isSigned};
}
// A text or digit string: its bytes, read and written by its editor as a whole.
constexpr Field Bytes(std::int32_t address, std::uint8_t bytes) {
    return {address, bytes, 0, 0, false};
}

constexpr std::string_view kOnOff = "GI_Sheet_Sel_Misc_OnOff";
constexpr std::string_view kUserSet = "GI_Sheet_Sel_UserSetEnable";

constexpr SettingCell Choice(std::string_view id, Field field, std::string_view list) {
    return {id, field, Edit::Choice, list};
}
constexpr SettingCell Setting(std::string_view id, Field field, double min, double max, bool wrap = true,
                              std::int32_t step = 1) {
    SettingCell c{id, field, Edit::Setting};
    c.min = min, c.max = max, c.wrap = wrap, c.step = step;
    return c;
}
constexpr SettingCell Timer(std::string_view id, Field field, std::int32_t units, double max, bool offAllowed) {
    SettingCell c{id, field, Edit::Timer};
    c.units = units, c.min = offAllowed ? 0 : 1, c.max = max, c.offAllowed = offAllowed;
    return c;
}
constexpr SettingCell Scaled(std::string_view id, Field field, int decimals, double min, double max,
                             std::int32_t step, int kept = -1, bool spaceOpens = false) {
    SettingCell c{id, field, Edit::Scaled};
    c.decimals = decimals, c.min = min, c.max = max, c.step = step, c.kept = kept, c.spaceOpens = spaceOpens;
    return c;
}
// User set-mode enable bit k: bit 7 - k % 8 of byte 0x168E0 + k / 8 (the first item the
// highest bit, as the radio's menu lists them).
constexpr SettingCell UserEnable(std::string_view id, int k) {
    return Choice(id, Bit(settings::kUserSetEnable + k / 8, static_cast<std::uint8_t>(7 - k % 8)), kUserSet);
}
// The key assignments: one function-code byte per key, each key group in its own run.
constexpr SettingCell Key(std::string_view id, std::int32_t address) {
    return {id,       Byte(address), Edit::KeyFunction, "GI_Sheet_Sel_Dials_Conv", "GI_Sheet_Sel_Dials_Conv_BiisPmr",
            Alt::Biis};
}

// The tone digit of a display digit: ten nibbles from byte kFiveTone + 12, high first.
constexpr std::string_view kToneDigits = "GI_Sheet_Sel_5T_Digit";
constexpr std::int32_t kFiveTone = 0x178B5;  // record 0 of the receive codes, 33 bytes
constexpr std::int32_t kTwoTone = 0x17A50;   // after the ten two-tone transmit pairs, 8 bytes
constexpr std::int32_t kUserTone = 0x16DD3;  // after the user-tone windows, 8 bytes
constexpr SettingCell ToneDigit(std::string_view id, int n) {
    return Choice(id, Byte(kFiveTone + 12 + n / 2, static_cast<std::uint8_t>(n % 2 == 0 ? 4 : 0), 4), kToneDigits);
}

constexpr std::int32_t kConvKeys = 0x16923;  // 14 keys: RightUp .. Opf2
// MSK (BIIS PMR): the timing structure, the configuration structure after it (which also
// holds the last timings), and the GPS reporting bytes in the set-mode structure.
constexpr std::int32_t kMskTiming = settings::kMskTiming;
constexpr std::int32_t kMskConfig = settings::kMskConfig;
constexpr std::int32_t kMskGps = settings::kMskGps;
constexpr std::string_view kLed = "GI_Sheet_Sel_KDisp_Led";
// An MSK count (retries, repeats, blocks).
constexpr SettingCell Count(std::string_view id, std::int32_t address) {
    return Setting(id, Byte(address), 0, 15);
}
constexpr std::int32_t kSmTrKeys = 0x16931;  // 14 keys, the same order
constexpr std::int32_t kCommonOptions = 0x1693F;  // after the trunked keys, 13 bytes
constexpr std::int32_t kExpOptions = 0x168D8;     // after the user CTCSS tone
constexpr std::int32_t kMaker = 0x18;             // factory settings, 20 header bytes
constexpr std::int32_t kDigital = settings::kDigitalSettings;

constexpr SettingCell kCells[] = {
    // Set mode (ID 6).
    {"CL_SetM_Backlight", Byte(0x13FB8, 4, 4), Edit::Choice, "GI_Sheet_Sel_SetM_Handy_Backlight",
     "GI_Sheet_Sel_SetM_Mob_Backlight", Alt::Mobile},
    {"CL_SetM_Backlight_HH", Byte(0x13FB8, 4, 4), Edit::Choice, "GI_Sheet_Sel_SetM_Handy_Backlight",
     "GI_Sheet_Sel_SetM_Mob_Backlight", Alt::Mobile},
    Setting("CL_SetM_LcdContrast", Byte(0x13FB1), 0, 127),
    Choice("CL_SetM_BeepOn", Bit(0x13FB2, 7), kOnOff),
    {"CL_SetM_BeepLev", Byte(0x13FB2), Edit::BeepLevel, "GI_Sheet_Sel_SetM_BeepLev"},
    Setting("CL_SetM_SqlLev", Byte(0x13FB0), 0, 255),
    Setting("CL_SetM_AFMinLev", Byte(0x13FB4), 0, 255),
    Choice("CL_SetM_VoxGain", Byte(0x13FB6, 0, 4), "GI_Sheet_Sel_SetM_VoxGain"),
    Choice("CL_SetM_VoxDelay", Byte(0x13FB6, 4, 4), "GI_Sheet_Sel_SetM_VoxDelay"),
    Choice("CL_SetM_AudioFilt", Byte(0x13FB3, 0, 2), "GI_Sheet_Sel_SetM_AudioFilt"),
    Choice("CL_SetM_MicGain", Byte(0x13FB5, 0, 4), "GI_Sheet_Sel_SetM_MicGain"),
    Choice("CL_SetM_HornOut", Bit(0x13FB7, 7), kOnOff),
    Choice("CL_SetM_BATVDisp", Bit(0x13FB7, 6), kOnOff),
    Choice("CL_SetM_BERDisp", Bit(0x13FB7, 5), kOnOff),
    Choice("CL_SetM_SigMoni", Bit(0x13FB7, 4), kOnOff),
    // Which set-mode items the user may change (ID 8).
    UserEnable("CL_USetM_Backlight", 0),
    UserEnable("CL_USetM_LcdContrast", 1),
    UserEnable("CL_USetM_BeepOn", 2),
    UserEnable("CL_USetM_BeepLev", 3),
    UserEnable("CL_USetM_SqlLev", 4),
    UserEnable("CL_USetM_AfMinLev", 5),
    UserEnable("CL_USetM_AudioFilt", 6),
    UserEnable("CL_USetM_MicGain", 7),
    UserEnable("CL_USetM_VoxGain", 8),
    UserEnable("CL_USetM_VoxDelay", 9),
    UserEnable("CL_USetM_HornOut", 10),
    UserEnable("CL_USetM_BATVDisp", 11),
    UserEnable("CL_USetM_BERDisp", 12),
    UserEnable("CL_USetM_SigMoni", 13),
    // Common settings (ID 8, ID 9).
    {"CL_Comm_UserPassword", Bytes(0x168D0, 3), Edit::PackedDigits},
    {"CL_Comm_DealerPasscode", Bytes(0x168D3, 3), Edit::PackedDigits},
    Choice("CL_Comm_PwrOnPassword", Bit(0x16901, 5), kOnOff),
    Timer("CL_Comm_Tot_Timer", Byte(0x1691C), 1, 255, false),
    Timer("CL_Comm_AtResetTimer_A", Byte(0x16920), 1, 255, true),
    Timer("CL_Comm_AtResetTimer_B", Byte(0x16921), 1, 255, true),
    Timer("CL_Comm_InactiveTimer", Byte(0x16922), 1, 255, false),
    Timer("CL_Comm_Tot_PenaltyTimer", Byte(0x1691D), 1, 255, true),
    Choice("CL_Comm_Tot_ID_Out", Bit(0x168FF, 5), kOnOff),
    Choice("CL_Comm_Tot_Dtmf_ID_Out", Bit(0x168FF, 5), kOnOff),
    Choice("CL_Comm_Tot_Beep", Bit(0x168FF, 4), kOnOff),
    Choice("CL_Comm_RS232C_SPPED", Byte(0x168FC, 0, 4), "GI_Sheet_Sel_Comm_RS232C_SPEED"),
    Choice("CL_Comm_RS232C_Mode", Byte(0x168FC, 4, 2), "GI_Sheet_Sel_Comm_RS232C_Mode"),
    {"CL_Comm_CloneComment1", Bytes(0x16A89, 16), Edit::Text},
    {"CL_Comm_CloneComment2", Bytes(0x16A99, 16), Edit::Text},
    // A count of time-out periods (0..15), shown as the radio's menu shows it: " 15.000".
    Scaled("CL_Comm_Tot_Reset", Byte(0x1691E), 0, 0, 15, 1, 3),
    Timer("CL_Comm_LockoutPenaltyTimer", Byte(0x1691F), 1, 255, true),
    Choice("CL_Comm_LockoutOverride", Bit(0x168FF, 3), kOnOff),
    Choice("CL_Comm_Ctcss_ToneBurst", Bit(0x16907, 7), kOnOff),
    Choice("CL_Comm_Ctcss_ReverseBurst", Bit(0x16907, 6), kOnOff),
    Choice("CL_Comm_Ctcss_RxAfFilt", Bit(0x16907, 5), kOnOff),
    Choice("CL_Comm_Ctcss_ChMuteCont", Bit(0x16907, 4), kOnOff),
    Choice("CL_Comm_Ctcss_Backup", Bit(0x16907, 3), kOnOff),
    Choice("CL_Comm_Tactical", Bit(0x16907, 2), kOnOff),
    Choice("CL_Comm_Wide", Bit(0x16907, 1), kOnOff),
    Choice("CL_Comm_TRDataOut", Bit(0x16907, 0), kOnOff),
    Timer("CL_Comm_PwrSave_Timer1", Byte(0x16910), 1, 255, false),
    Timer("CL_Comm_PwrSave_Timer2", Byte(0x16911), 1, 255, false),
    // Set-mode access, emergency, scrambler and man-down: the free bytes after the trunked
    // key assignments (0x1693F..0x1694B), and the man-down cycle count at 0x16964.
    Choice("CL_Comm_SetModeAccess", Bit(kCommonOptions, 7), "GI_Sheet_Sel_Comm_SetModeAccess"),
    Choice("CL_Comm_Scrm_SyncCapture", Bit(kCommonOptions, 6), kOnOff),
    Choice("CL_Comm_ManDown_ON", Bit(kCommonOptions, 5), kOnOff),
    Choice("CL_Comm_Scrm_Type", Bit(kCommonOptions, 4), "GI_Sheet_Sel_Comm_ScrmType"),
    Choice("CL_Comm_EmerIn", Byte(kCommonOptions, 0, 2), "GI_Sheet_Sel_Comm_EmerIn"),
    Timer("CL_Comm_EmerTim_On", Byte(kCommonOptions + 1), 1, 255, false),
    Timer("CL_Comm_EmerTim_Off", Byte(kCommonOptions + 2), 1, 255, false),
    Timer("CL_Comm_EmerTim_Start", Byte(kCommonOptions + 3), 10, 255, true),
    Timer("CL_Comm_EmerTim_Sairen", Byte(kCommonOptions + 4), 1, 255, true),
    Setting("CL_Comm_EmerTim_ReCycle", Byte(kCommonOptions + 5), 0, 255),
    Setting("CL_Comm_Scrm_GroupCode", Byte(kCommonOptions + 6), 0, 255),
    Timer("CL_Comm_Scrm_TStartTiming", Byte(kCommonOptions + 7), 100, 255, false),
    Timer("CL_Comm_ManDown_Timer", Byte(kCommonOptions + 8), 1, 255, false),
    Timer("CL_Comm_ManDown_TS1", Byte(kCommonOptions + 9), 1, 255, true),
    Timer("CL_Comm_ManDown_TS2", Byte(kCommonOptions + 10), 1, 255, true),
    Timer("CL_Comm_ManDown_TS3", Byte(kCommonOptions + 11), 1, 255, true),
    Timer("CL_Comm_ManDown_Sairen", Byte(kCommonOptions + 12), 1, 255, true),
    Setting("CL_Comm_ManDown_ReCycle", Byte(0x16964), 0, 255),
    // Extended settings (ID 8).
    Setting("CL_Exp_BeepFreq_Low", Number(0x168DA, 2), 300, 3300, false),
    Setting("CL_Exp_BeepFreq_High", Number(0x168DC, 2), 300, 3300, false),
    Timer("CL_Exp_Emer_SwOnTimer", Byte(0x16912), 1, 255, false),
    Timer("CL_Exp_Emer_SwOffTimer", Byte(0x16913), 1, 255, false),
    Choice("CL_Exp_Ignition", Bit(0x16909, 7), kOnOff),
    Timer("CL_Exp_IgnitionTimer", Byte(0x16914), 1, 255, true),
    Choice("CL_Exp_DimIgsw", Bit(0x16909, 6), kOnOff),
    Choice("CL_Exp_RxExo_On", Bit(0x16909, 5), kOnOff),
    Timer("CL_Exp_RxExo_Delay", Byte(0x16915), 10, 255, true),
    Timer("CL_Exp_ExPttDelay", Byte(0x16916), 10, 255, true),
    Choice("CL_Exp_ToneMuteExPtt", Bit(0x16909, 4), kOnOff),
    // The user CTCSS tone in tenths of a hertz; Space opens the editor (a tone is typed, not
    // stepped through 2,400 values).
    Scaled("CL_Exp_UserCtcss", Number(0x168D6, 2), 1, 60.0, 300.0, 1, 1, true),
    Choice("CL_Exp_DtcsInv_Tx", Bit(kExpOptions, 7), kOnOff),
    Choice("CL_Exp_DtcsInv_Rx", Bit(kExpOptions, 6), kOnOff),
    Choice("CL_Exp_RxAf_Filter", Bit(kExpOptions, 5), kOnOff),
    Choice("CL_Exp_ClShift", Bit(kExpOptions, 4), kOnOff),
    Choice("CL_Exp_BattTypeChange", Bit(kExpOptions, 3), kOnOff),
    Choice("CL_Exp_BattChangeMode", Bit(kExpOptions, 2), "GI_Sheet_Sel_Exp_BattChangeMode"),
    Choice("CL_Exp_Select_ExPttFtsw", Bit(kExpOptions, 0), "GI_Sheet_Sel_Exp_ExPttFtsw"),
    Setting("CL_Exp_Emer_StartRepeat", Byte(0x168D9), 0, 255),
    Timer("CL_Exp_PSaveStartTimer_1", Byte(0x168DE), 1, 255, false),
    Timer("CL_Exp_PSaveStartTimer_2", Byte(0x168DF), 1, 255, false),
    Choice("CL_Exp_EpttFtsw_C", Byte(0x168E2, 0, 2), "GI_Sheet_Sel_Exp_EpttFtsw"),
    Choice("CL_Exp_EpttFtsw_S", Byte(0x168E2, 2, 2), "GI_Sheet_Sel_Exp_EpttFtsw"),
    // Scanning (ID 8): the timers of every scan list and how a scan starts.
    Timer("CL_ScanComm_StopTimer", Byte(0x16917), 1, 255, true),
    Timer("CL_ScanComm_StopTimerB", Byte(0x16918), 1, 255, true),
    Timer("CL_ScanComm_ResumeTimer", Byte(0x16919), 10, 255, true),
    Timer("CL_ScanComm_TalkBackTimer", Byte(0x1691A), 1, 255, true),
    Timer("CL_ScanComm_ScanTimer_Fast", Byte(0x1690A), 100, 255, false),
    Timer("CL_ScanComm_ScanTimer_Slow", Byte(0x1690B), 100, 255, false),
    Choice("CL_ScanComm_PwrOnScan", Bit(0x16908, 7), kOnOff),
    Choice("CL_ScanComm_AutoChCall_PmrOnly", Bit(0x16908, 6), kOnOff),
    Choice("CL_ScanComm_BacklitatStopScan", Bit(0x16908, 5), kOnOff),
    // Keys and display (ID 8).
    Choice("CL_KDisp_Tenkey_Select", Byte(0x16903, 0, 2), "GI_Sheet_Sel_KDisp_Tenkey"),
    Choice("CL_KDisp_HangAct_Moni", Bit(0x16904, 7), kOnOff),
    Choice("CL_KDisp_HangAct_Scan", Bit(0x16904, 6), kOnOff),
    Choice("CL_KDisp_HangAct_PrioA", Bit(0x16904, 5), kOnOff),
    Choice("CL_KDisp_AmpOnOff", Bit(0x16904, 4), kOnOff),
    Choice("CL_KDisp_OpeningBeep", Bit(0x16904, 3), kOnOff),
    Choice("CL_KDisp_PrioA_SwOn", Bit(0x16904, 2), kOnOff),
    Choice("CL_KDisp_PrioA_ClearDown", Bit(0x16904, 1), kOnOff),
    Choice("CL_KDisp_RotarySel", Byte(0x16905, 0, 2), "GI_Sheet_Sel_KDisp_Rotary"),
    Choice("CL_KDisp_DispLines", Bit(0x16905, 4), "GI_Sheet_Sel_KDisp_DispLines"),
    Choice("CL_KDisp_RfPoSel", Bit(0x16905, 5), kOnOff),
    Timer("CL_KDisp_ScrollTimer", Byte(0x16906), 10, 255, false),
    {"CL_KDisp_OpeningText", Bytes(0x16958, 12), Edit::Text},
    {"CL_KDisp_PwrSW", Byte(0x16903, 2, 2), Edit::Choice, "GI_Sheet_Sel_KDisp_PwrSW_HH", "GI_Sheet_Sel_KDisp_PwrSW",
     Alt::Mobile},
    {"CL_KDisp_PwrSW_HH", Byte(0x16903, 2, 2), Edit::Choice, "GI_Sheet_Sel_KDisp_PwrSW_HH", "GI_Sheet_Sel_KDisp_PwrSW",
     Alt::Mobile},
    Choice("CL_KDisp_LED_LP0", Byte(0x16903, 4, 2), kLed),
    Choice("CL_KDisp_LED_LP1", Byte(0x16903, 6, 2), kLed),
    Choice("CL_KDisp_LED_LP2", Byte(0x16905, 6, 2), kLed),
    Choice("CL_KDisp_RfPoBatt", Bit(0x16904, 0), kOnOff),
    Choice("CL_KDisp_MrCode", Bit(0x16905, 2), kOnOff),
    Choice("CL_KDisp_SmaKey", Bit(0x16905, 3), kOnOff),
    // MSK timing (BIIS PMR): counts, then timers in tenths of a second (dTT in hundredths),
    // and the three delays the radio shows as seconds with two decimals.
    Count("CL_Msk_TimingErr_NA", kMskTiming + 0),
    Count("CL_Msk_TimingErr_ND", kMskTiming + 1),
    Count("CL_Msk_TimingErr_NM", kMskTiming + 2),
    Count("CL_Msk_TimingErr_NR", kMskTiming + 3),
    Count("CL_Msk_TimingErr_N1", kMskTiming + 4),
    Count("CL_Msk_TimingErr_N2", kMskTiming + 5),
    Count("CL_Msk_TimingErr_K", kMskTiming + 6),
    Scaled("CL_Msk_TimingErr_TAC", Byte(kMskTiming + 7), 2, 0.01, 2.55, 1),
    Timer("CL_Msk_TimingErr_TOF", Byte(kMskTiming + 8), 10, 255, false),
    Timer("CL_Msk_TimingErr_TOI", Byte(kMskTiming + 9), 10, 255, false),
    Timer("CL_Msk_TimingErr_TWF", Byte(kMskTiming + 10), 10, 255, false),
    Timer("CL_Msk_TimingErr_TWI", Byte(kMskTiming + 11), 10, 255, false),
    Timer("CL_Msk_TimingErr_TRV", Byte(kMskTiming + 12), 10, 255, false),
    Timer("CL_Msk_TimingErr_TS1", Byte(kMskTiming + 13), 10, 255, false),
    Timer("CL_Msk_TimingErr_TS2", Byte(kMskTiming + 14), 10, 255, false),
    Timer("CL_Msk_TimingErr_TS3", Byte(kMskTiming + 15), 10, 255, false),
    Timer("CL_Msk_TimingErr_TI", Byte(kMskConfig + 0), 10, 255, false),
    Timer("CL_Msk_TimingErr_TT", Byte(kMskConfig + 1), 10, 255, false),
    Timer("CL_Msk_TimingErr_dTT", Byte(kMskConfig + 2), 100, 255, false),
    Timer("CL_Msk_TimingErr_TC", Byte(kMskConfig + 3), 10, 255, false),
    Timer("CL_Msk_TimingErr_TF", Byte(kMskConfig + 4), 10, 255, false),
    Timer("CL_Msk_TimingErr_TV", Byte(kMskConfig + 5), 10, 255, false),
    Timer("CL_Msk_TimingErr_T3", Byte(kMskConfig + 6), 10, 255, false),
    Scaled("CL_Msk_TimingErr_LetAck", Byte(kMskConfig + 7), 2, 0, 2.55, 1),
    Scaled("CL_Msk_TimingErr_LetCall", Byte(kMskConfig + 8), 2, 0, 2.55, 1),
    Choice("CL_Msk_TimingErr_BusyCheck", Bit(kMskConfig + 9, 7), kOnOff),
    // MSK configuration (BIIS PMR); the two fixed base addresses are in SignallingCells.cpp.
    Choice("CL_Msk_Cfg_Status_Send_PrioA", Bit(kMskConfig + 9, 4), kOnOff),
    Choice("CL_Msk_Cfg_Status_Send_Base", Bit(kMskConfig + 9, 3), kOnOff),
    Choice("CL_Msk_Cfg_Status_Send_On", Bit(kMskConfig + 9, 2), kOnOff),
    Choice("CL_Msk_Cfg_Status_Send_Off", Bit(kMskConfig + 9, 1), kOnOff),
    Choice("CL_Msk_Cfg_Status_Send_Dim", Bit(kMskConfig + 9, 0), kOnOff),
    Choice("CL_Msk_Cfg_Enc_PttCall", Bit(kMskConfig + 10, 7), kOnOff),
    Choice("CL_Msk_Cfg_Enc_PreEmphasis", Bit(kMskConfig + 10, 6), kOnOff),
    Choice("CL_Msk_Cfg_Enc_SyncvWord", Bit(kMskConfig + 10, 5), "GI_Sheet_Sel_MSK_SyncWord"),
    Choice("CL_Msk_Cfg_Enc_PttSideTone", Bit(kMskConfig + 10, 4), kOnOff),
    Choice("CL_Msk_Cfg_Dec_MuteMskTone", Bit(kMskConfig + 10, 3), kOnOff),
    Choice("CL_Msk_Cfg_Dec_ANI_Disp", Bit(kMskConfig + 10, 2), kOnOff),
    Choice("CL_Msk_Cfg_Etc_PttEnableAtConnect", Bit(kMskConfig + 10, 1), kOnOff),
    Scaled("CL_Msk_Cfg_Dec_BeepRepeatTimer", Byte(kMskConfig + 11), 0, 0, 60, 1, 3),
    Timer("CL_Msk_Cfg_Dec_DurationTimer", Byte(kMskConfig + 12), 1, 255, false),
    Timer("CL_Msk_Cfg_Dec_ANI_Disp_Timer", Byte(kMskConfig + 13), 1, 255, true),
    Choice("CL_Msk_Cfg_Gps_Enable", Bit(kMskGps + 0, 7), kOnOff),
    Choice("CL_Msk_Cfg_Gps_Send_Base", Bit(kMskGps + 0, 6), kOnOff),
    Choice("CL_Msk_Cfg_Gps_Auto", Bit(kMskGps + 0, 5), kOnOff),
    Choice("CL_Msk_Cfg_Gps_TimeMarker", Bit(kMskGps + 0, 4), kOnOff),
    Choice("CL_Msk_Cfg_Gps_Sentence", Byte(kMskGps + 0, 0, 2), "GI_Sheet_Sel_MSK_GpsSentence"),
    Choice("CL_Msk_Cfg_Gps_Send_Call", Bit(kMskGps + 1, 7), kOnOff),
    Choice("CL_Msk_Cfg_Gps_Send_Logoff", Bit(kMskGps + 1, 6), kOnOff),
    Choice("CL_Msk_Cfg_Gps_Send_Status", Bit(kMskGps + 1, 5), kOnOff),
    Choice("CL_Msk_Cfg_Gps_Send_Sdm", Bit(kMskGps + 1, 4), kOnOff),
    Choice("CL_Msk_Cfg_Gps_Send_Ack", Bit(kMskGps + 1, 3), kOnOff),
    Choice("CL_Msk_Cfg_Gps_Send_Emer", Bit(kMskGps + 1, 2), kOnOff),
    Choice("CL_Msk_Cfg_Gps_Send_ManDown", Bit(kMskGps + 1, 1), kOnOff),
    Timer("CL_Msk_Cfg_Gps_IntervalTimer", Number(kMskGps + 4, 2), 1, 3600, true),
    // Digital (P25) options (ID 37 at 0x1943E; the own unit identifier is in DigitalCells.cpp).
    Choice("CL_Digi_Config_Grobal", Bit(kDigital + 0, 7), kOnOff),
    Choice("CL_Digi_Config_Beep", Bit(kDigital + 0, 6), kOnOff),
    Choice("CL_Digi_Config_BeepG", Bit(kDigital + 0, 5), kOnOff),
    Choice("CL_Digi_Config_Emer_Beep", Bit(kDigital + 0, 4), kOnOff),
    Choice("CL_Digi_Config_ID_Disp", Bit(kDigital + 0, 3), kOnOff),
    Scaled("CL_Digi_Config_Emer_Tans", Byte(kDigital + 4), 0, 0, 60, 1, 3),
    Timer("CL_Digi_Config_SS_Wait", Byte(kDigital + 5), 10, 255, false),
    Timer("CL_Digi_Config_FSSP_Wait", Byte(kDigital + 6), 10, 255, false),
    Timer("CL_Digi_Config_T_ACK_Wait", Byte(kDigital + 7), 10, 255, false),
    Timer("CL_Digi_Config_T_LONG_Wait", Byte(kDigital + 8), 10, 255, false),
    Timer("CL_Digi_Config_T_SHORT_Wait", Byte(kDigital + 9), 10, 255, false),
    {"CL_Digi_Config_Emer_Text", Bytes(kDigital + 10, 12), Edit::Text},
    Choice("CL_Digi_Ind_Op_Idmr", Bit(kDigital + 22, 7), kOnOff),
    Choice("CL_Digi_Ind_Op_Edit", Bit(kDigital + 22, 6), kOnOff),
    Choice("CL_Digi_Ind_Op_Disp_RecieveUId", Bit(kDigital + 22, 5), kOnOff),
    Setting("CL_Digi_Ind_Op_Enc_Min", Byte(kDigital + 23), 0, 255, false),
    Setting("CL_Digi_Ind_Op_Enc_Max", Byte(kDigital + 24), 0, 255, false),
    Timer("CL_Digi_Grp_Op_Hang", Byte(kDigital + 25), 1, 255, true),
    Setting("CL_Digi_Grp_Op_Pre_Len", Byte(kDigital + 26), 0, 255, false),
    Choice("CL_Digi_Grp_Op_Strapped", Bit(kDigital + 27, 7), kOnOff),
    Choice("CL_Digi_Grp_Op_Disp_Recieve", Bit(kDigital + 27, 6), kOnOff),
    Choice("CL_Digi_Grp_Op_Disp_RecieveUId", Bit(kDigital + 27, 5), kOnOff),
    Choice("CL_Digi_Grp_Op_Disp_Ptt", Bit(kDigital + 27, 4), kOnOff),
    Setting("CL_Digi_Grp_Op_Disp_Mode", Byte(kDigital + 27, 0, 2), 0, 3),
    // Five-tone common settings: record 0 of the receive-code table, which no code uses.
    Timer("CL_5TRx_LinkATimer", Byte(kFiveTone + 0), 10, 255, true),
    Timer("CL_5TRx_IdDecodeTimer", Byte(kFiveTone + 1), 1, 255, true),
    Timer("CL_5TRx_ExoTimer", Byte(kFiveTone + 2), 1, 255, true),
    Scaled("CL_5TRx_BeepRepeatTimer", Byte(kFiveTone + 3), 0, 0, 60, 1, 3),
    Timer("CL_5TRx_AutoTxTimer", Byte(kFiveTone + 4), 1, 255, true),
    Timer("CL_5TTx_LongToneTimer", Byte(kFiveTone + 5), 10, 255, false),
    Timer("CL_5TTx_LinkRTimer", Byte(kFiveTone + 6), 10, 255, true),
    Timer("CL_5TTx_Link1Timer", Byte(kFiveTone + 7), 10, 255, true),
    Timer("CL_5TTx_Link2Timer", Byte(kFiveTone + 8), 10, 255, true),
    Timer("CL_5TTx_LeadOutDelayTimer", Byte(kFiveTone + 9), 100, 255, true),
    Timer("CL_5TTx_AbcDecTimer", Byte(kFiveTone + 10), 1, 255, true),
    Choice("CL_5TTx_DispDigit", Bit(kFiveTone + 11, 7), kOnOff),
    Choice("CL_5TTx_PTTCallIna", Bit(kFiveTone + 11, 6), kOnOff),
    ToneDigit("CL_5TTx_DispDigit1", 0),
    ToneDigit("CL_5TTx_DispDigit2", 1),
    ToneDigit("CL_5TTx_DispDigit3", 2),
    ToneDigit("CL_5TTx_DispDigit4", 3),
    ToneDigit("CL_5TTx_DispDigit5", 4),
    ToneDigit("CL_5TTx_DispDigit6", 5),
    ToneDigit("CL_5TTx_DispDigit7", 6),
    ToneDigit("CL_5TTx_DispDigit8", 7),
    ToneDigit("CL_5TTx_DispDigit9", 8),
    ToneDigit("CL_5TTx_DispDigit0", 9),
    Choice("CL_5TTx_SpTone_Group", Byte(kFiveTone + 17, 4, 4), kToneDigits),
    Choice("CL_5TTx_SpTone_Repeat", Byte(kFiveTone + 17, 0, 4), kToneDigits),
    Choice("CL_5TTx_SpTone_Link2", Byte(kFiveTone + 18, 4, 4), kToneDigits),
    // Two-tone common settings: the timers after the transmit tone pairs, the transmit text
    // in the rest of the five-tone block.
    Scaled("CL_2T_NotoneTimer", Byte(kTwoTone + 0), 2, 0.02, 0.3, 2),
    Timer("CL_2T_GroupTimer", Byte(kTwoTone + 1), 10, 255, false),
    Timer("CL_2T_ExoTimer", Byte(kTwoTone + 2), 1, 255, true),
    Scaled("CL_2T_BeepRepeatTimer", Byte(kTwoTone + 3), 0, 0, 60, 1, 3),
    Timer("CL_2T_AutoTxTimer", Byte(kTwoTone + 4), 1, 255, true),
    Timer("CL_2T_1st_Period", Byte(kTwoTone + 5), 10, 255, false),
    Timer("CL_2T_2nd_Period", Byte(kTwoTone + 6), 10, 255, false),
    {"CL_2T_TxText", Bytes(kFiveTone + 19, 12), Edit::Text},
    // User-tone common settings: bytes of the user-tone structure between the tone windows
    // and the two-tone options.
    Choice("CL_UTone_Auto", Bit(kUserTone + 0, 7), kOnOff),
    Scaled("CL_UTone_TonePeriod", Byte(kUserTone + 1), 3, 0, 0.255, 1),
    Scaled("CL_UTone_NotoneTimer", Byte(kUserTone + 2), 2, 0.02, 0.3, 2),
    Timer("CL_UTone_Length", Byte(kUserTone + 3), 10, 255, false),
    // Factory settings (the radio's own bytes).
    Scaled("CL_Maker_IfFreq", Number(0x10, 4, true), 6, -99.975, 99.975, 25000),
    Scaled("CL_Maker_Pll_Reference", Number(0x14, 4), 6, 0, 99.975, 25000),
    Choice("CL_Maker_Pll_Type", Byte(0x0B, 0, 2), "GI_Sheet_Sel_Maker_PllType"),
    Choice("CL_Maker_Dtcs_TxPolar", Bit(0x0B, 6), "GI_Sheet_Sel_Maker_DtcsPolar"),
    Choice("CL_Maker_Dtcs_RxPolar", Bit(0x0B, 5), "GI_Sheet_Sel_Maker_DtcsPolar"),
    // The program's factory settings: EEPROM header bytes kMaker.. (after the PLL values,
    // before the adjustment values at 0x50), which only a maker-mode clone write sends.
    Choice("CL_Maker_SqlDelay_Op", Bit(kMaker, 7), kOnOff),
    Choice("CL_Maker_CtcssDec_PS", Bit(kMaker, 6), kOnOff),
    Choice("CL_Maker_Digital_TxPolar", Bit(kMaker, 5), "GI_Sheet_Sel_Maker_DtcsPolar"),
    Choice("CL_Maker_Digital_RxPolar", Bit(kMaker, 4), "GI_Sheet_Sel_Maker_DtcsPolar"),
    Choice("CL_Maker_SetModeAccess", Bit(kMaker, 3), "GI_Sheet_Sel_Comm_SetModeAccess"),
    Choice("CL_Maker_PdPol", Bit(kMaker, 2), "GI_Sheet_Sel_Maker_DtcsPolar"),
    Choice("CL_Maker_ClShift", Bit(kMaker, 1), kOnOff),
    Choice("CL_Maker_Dtcs_Decode", Bit(kMaker, 0), "GI_Sheet_Sel_Maker_DtcsDecode"),
    Choice("CL_Maker_MchPitch", Byte(kMaker + 1, 0, 2), "GI_Sheet_Sel_Maker_MchPitch"),
    Timer("CL_Maker_SqlDelay_ResetTimer", Byte(kMaker + 2), 10, 255, true),
    Timer("CL_Maker_Sql_SigDetTimer", Byte(kMaker + 3), 1000, 255, false),
    Timer("CL_Maker_Sql_NoiseDetTimer", Byte(kMaker + 4), 1000, 255, false),
    Timer("CL_Maker_CtcssTone_Burst", Byte(kMaker + 5), 1000, 255, false),
    Timer("CL_Maker_CtcssDec_Attack", Byte(kMaker + 6), 1000, 255, false),
    Timer("CL_Maker_CtcssDec_Release", Byte(kMaker + 7), 1000, 255, false),
    Timer("CL_Maker_PwrOffTimer", Byte(kMaker + 8), 10, 255, true),
    Timer("CL_Maker_ON_Timer1", Byte(kMaker + 9), 1000, 255, false),
    Timer("CL_Maker_ON_Timer2", Byte(kMaker + 10), 1000, 255, false),
    Timer("CL_Maker_Pll_TxFastTimer", Byte(kMaker + 11), 1000, 255, false),
    Timer("CL_Maker_Pll_RxFastTimer", Byte(kMaker + 12), 1000, 255, false),
    Timer("CL_Maker_Pll_TxFastTimer2", Byte(kMaker + 13), 1000, 255, false),
    Timer("CL_Maker_Pll_RxFastTimer2", Byte(kMaker + 14), 1000, 255, false),
    Timer("CL_Maker_MuteTimer_Tx", Byte(kMaker + 15), 1000, 255, false),
    Timer("CL_Maker_MuteTimer_Rx", Byte(kMaker + 16), 1000, 255, false),
    Scaled("CL_Maker_VcoControl", Number(kMaker + 17, 2), 1, 0, 799.9, 1, 4),
    Setting("CL_Maker_VcoOutput", Byte(kMaker + 19), 0, 255),
    // Key assignments (ID 8): conventional, then trunked operation.
    Key("CL_KDisp_Key_Conv_RightUp", kConvKeys + 0),
    Key("CL_KDisp_Key_Conv_RightDn", kConvKeys + 1),
    Key("CL_KDisp_Key_Conv_LeftUp", kConvKeys + 2),
    Key("CL_KDisp_Key_Conv_LeftDn", kConvKeys + 3),
    Key("CL_KDisp_Key_Conv_DialCw", kConvKeys + 4),
    Key("CL_KDisp_Key_Conv_DialCcw", kConvKeys + 5),
    Key("CL_KDisp_Key_Conv_P0", kConvKeys + 6),
    Key("CL_KDisp_Key_Conv_P1", kConvKeys + 7),
    Key("CL_KDisp_Key_Conv_P2", kConvKeys + 8),
    Key("CL_KDisp_Key_Conv_P3", kConvKeys + 9),
    Key("CL_KDisp_Key_Conv_P4", kConvKeys + 10),
    Key("CL_KDisp_Key_Conv_Opf0", kConvKeys + 11),
    Key("CL_KDisp_Key_Conv_Opf1", kConvKeys + 12),
    Key("CL_KDisp_Key_Conv_Opf2", kConvKeys + 13),
    Key("CL_KDisp_Key_SmTr_RightUp", kSmTrKeys + 0),
    Key("CL_KDisp_Key_SmTr_RightDn", kSmTrKeys + 1),
    Key("CL_KDisp_Key_SmTr_LeftUp", kSmTrKeys + 2),
    Key("CL_KDisp_Key_SmTr_LeftDn", kSmTrKeys + 3),
    Key("CL_KDisp_Key_SmTr_DialCw", kSmTrKeys + 4),
    Key("CL_KDisp_Key_SmTr_DialCcw", kSmTrKeys + 5),
    Key("CL_KDisp_Key_SmTr_P0", kSmTrKeys + 6),
    Key("CL_KDisp_Key_SmTr_P1", kSmTrKeys + 7),
    Key("CL_KDisp_Key_SmTr_P2", kSmTrKeys + 8),
    Key("CL_KDisp_Key_SmTr_P3", kSmTrKeys + 9),
    Key("CL_KDisp_Key_SmTr_P4", kSmTrKeys + 10),
    Key("CL_KDisp_Key_SmTr_Opf0", kSmTrKeys + 11),
    Key("CL_KDisp_Key_SmTr_Opf1", kSmTrKeys + 12),
    Key("CL_KDisp_Key_SmTr_Opf2", kSmTrKeys + 13),
};

std::string_view ListOf(const SettingCell& cell, int modelKind) {
    const bool alt = (cell.alt == Alt::Mobile && modelKind >= 4) || (cell.alt == Alt::Biis && (modelKind & 3) == 3);
    return alt ? cell.altList : cell.list;
}

// --- The editors that need more than one call ------------------------------------------------

// Six function codes carry a high/low option in a bit of the key-option byte: 0x30 and 0x33
// bit 5, 0x31 and 0x34 bit 6, 0x32 and 0x35 bit 7. Other codes have none (0x36..0x3B belong
// to an option group without a stored bit, so there is nothing to show or pick for them).
std::optional<std::uint8_t> OptionBitOf(std::int64_t code) {
    if (code < 0x30 || code > 0x35) return std::nullopt;
    return static_cast<std::uint8_t>(5 + (code - 0x30) % 3);
}

bool KeyFunction(cmcEeprom& image, cmcCellCapsule& r, CellResult& result, const SettingCell& cell,
                 std::string_view list, std::int32_t& code) {
    bool changed = false;
    // The second popup's pick: the option of the code the key has now.
    if (r.mode == CellMode::Pick && r.picked && r.picked->key.id == kFlexKeyOpt) {
        if (const auto bit = OptionBitOf(code)) {
            const Field option = Bit(settings::kKeyOptions, *bit);
            std::int32_t value = static_cast<std::int32_t>(settings::ReadField(image, option));
            CellResult ignored = CellResult::None;
            if (editors::EditChoice(r, ignored, value, settings::kKeyOptionList, kFlexKeyOpt) && value >= 0 &&
                value <= 1) {
                settings::WriteField(image, option, value);
                changed = true;
            }
        }
    }
    const bool pickedFunction = r.mode == CellMode::Pick && r.picked && r.picked->key.id == kFlex0;
    if (editors::EditChoice(r, result, code, list, kFlex0) && code >= 0 && code <= 255) {
        settings::WriteField(image, cell.field, code);
        changed = true;
    }
    if (const auto bit = OptionBitOf(code)) {
        const bool high = (image.GetByte(settings::kKeyOptions) >> *bit) & 1;
        editors::detail::Show(r, r.displayText + (high ? " /H" : " /L"));
        // Picking a code with an option asks for the option at once.
        if (pickedFunction && r.sheet &&
            r.sheet->OpenChoiceList(std::string(settings::kKeyOptionList), kFlexKeyOpt, high ? 1 : 0)) {
            result = CellResult::PopupOpened;
        }
    }
    return changed;
}

// Shows the stored value again after an edit that could not be stored: the editor runs
// once more as a draw, so that its text, and nothing else, is the stored value's.
template <typename Show>
void ShowStored(cmcCellCapsule& r, Show show) {
    const CellMode mode = r.mode;
    r.mode = CellMode::Draw;
    CellResult ignored = CellResult::None;
    show(ignored);
    r.mode = mode;
}

// The beep level: 0..15, and 100 and above with bit 6 set (the radio's "level + 100" scale).
bool BeepLevel(cmcEeprom& image, cmcCellCapsule& r, CellResult& result, const SettingCell& cell) {
    const std::uint8_t byte = image.GetByte(cell.field.address);
    std::int32_t value = (byte & 0x0F) + 100 * ((byte >> 6) & 1);
    if (!editors::EditChoice(r, result, value, cell.list, kFlex0)) return false;
    // Only values the byte can hold are stored; anything else in a list is an overlay fault.
    const std::int32_t level = value % 100, high = value / 100;
    if (value < 0 || level > 15 || high > 1) {
        ShowStored(r, [&](CellResult& ignored) {
            std::int32_t shown = (byte & 0x0F) + 100 * ((byte >> 6) & 1);
            editors::EditChoice(r, ignored, shown, cell.list, kFlex0);
        });
        return false;
    }
    image.SetByte(cell.field.address, static_cast<std::uint8_t>((byte & ~0x4F) | (high << 6) | level));
    return true;
}

bool PackedDigits(cmcEeprom& image, cmcCellCapsule& r, CellResult& result, const SettingCell& cell) {
    const int digits = 2 * cell.field.bytes;
    std::array<std::uint8_t, 8> slots{};
    for (int i = 0; i < digits; ++i) {
        const std::uint8_t byte = image.GetByte(cell.field.address + i / 2);
        slots[static_cast<std::size_t>(i)] = i % 2 == 0 ? byte >> 4 : byte & 0x0F;
    }
    if (!editors::EditDigits(r, result, std::span(slots).first(static_cast<std::size_t>(digits)), false)) return false;
    for (int i = 0; i < cell.field.bytes; ++i) {
        image.SetByte(cell.field.address + i,
                      static_cast<std::uint8_t>((slots[2 * i] << 4) | (slots[2 * i + 1] & 0x0F)));
    }
    return true;
}

bool Text(cmcEeprom& image, cmcCellCapsule& r, CellResult& result, const SettingCell& cell) {
    std::array<std::uint8_t, 32> text{};
    const auto field = std::span(text).first(static_cast<std::size_t>(cell.field.bytes));
    image.ReadBlock(cell.field.address, field.data(), cell.field.bytes);
    if (!editors::EditText(r, result, field)) return false;
    image.WriteBlock(cell.field.address, field.data(), cell.field.bytes);
    return true;
}

// --- The handler -----------------------------------------------------------------------------

// The editors of a plain number field: the value is the field's, read and written here.
bool EditNumber(CellContext& c, cmcCellCapsule& r, CellResult& result, const SettingCell& cell, std::int32_t& value) {
    switch (cell.edit) {
        case Edit::Choice:
            return editors::EditChoice(r, result, value, ListOf(cell, c.ModelKind()), kFlex0);
        case Edit::Setting:
            return editors::EditSetting(r, result, value,
                                        {.min = static_cast<std::int32_t>(cell.min),
                                         .max = static_cast<std::int32_t>(cell.max),
                                         .step = cell.step,
                                         .wrap = cell.wrap});
        case Edit::Timer:
            return editors::EditTimer(r, result, value,
                                      {.unitsPerSecond = cell.units,
                                       .min = static_cast<std::int32_t>(cell.min),
                                       .max = static_cast<std::int32_t>(cell.max),
                                       .offAllowed = cell.offAllowed,
                                       .trimZeros = 2});  // " 30.0" s, " 2.5" s
        case Edit::Scaled:
            return editors::EditScaled(r, result, value,
                                       {.decimals = cell.decimals,
                                        .kept = cell.kept < 0 ? cell.decimals : cell.kept,
                                        .min = cell.min,
                                        .max = cell.max,
                                        .step = cell.step,
                                        .spaceOpensEditor = cell.spaceOpens});
        default:
            return false;
    }
}

bool Fits(const Field& field, std::int32_t value) {
    if (field.isSigned) return true;
    const std::uint32_t mask = field.width >= 32 ? 0xFFFFFFFFu : (1u << field.width) - 1;
    return value >= 0 && static_cast<std::uint32_t>(value) <= mask;
}

CellResult SettingField(CellContext& c, cmcCellCapsule& r, std::int32_t index) {
    const SettingCell& cell = kCells[index];
    cmcEeprom& image = c.Image();
    if (!image.IsValidIndex(cell.field.address) || !image.IsValidIndex(cell.field.address + cell.field.bytes - 1)) {
        return CellResult::None;
    }
    CellResult result = CellResult::None;
    bool changed = false;
    switch (cell.edit) {
        case Edit::KeyFunction: {
            std::int32_t code = static_cast<std::int32_t>(settings::ReadField(image, cell.field));
            changed = KeyFunction(image, r, result, cell, ListOf(cell, c.ModelKind()), code);
            break;
        }
        case Edit::BeepLevel:
            changed = BeepLevel(image, r, result, cell);
            break;
        case Edit::PackedDigits:
            changed = PackedDigits(image, r, result, cell);
            break;
        case Edit::Text:
            changed = Text(image, r, result, cell);
            break;
        default: {
            const std::int32_t stored = static_cast<std::int32_t>(settings::ReadField(image, cell.field));
            std::int32_t value = stored;
            changed = EditNumber(c, r, result, cell, value);
            if (changed && !Fits(cell.field, value)) {
                // A list item wider than the field would spill into its neighbours: it is
                // not stored, and the cell goes on showing what the image holds.
                ShowStored(r, [&](CellResult& ignored) {
                    std::int32_t shown = stored;
                    EditNumber(c, r, ignored, cell, shown);
                });
                changed = false;
            } else if (changed) {
                settings::WriteField(image, cell.field, value);
            }
            break;
        }
    }
    if (changed) r.changeFlags |= kChangeImage;
    return result;
}

consteval std::array<CellRow, std::size(kCells)> MakeRows() {
    std::array<CellRow, std::size(kCells)> rows{};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const CellId id = CellIdOf(kCells[i].name);
        rows[i] = {id, id, SettingField, static_cast<std::int32_t>(i), false};
    }
    return rows;
}
constexpr auto kRows = MakeRows();

}  // namespace

std::span<const CellRow> SettingsCellRows() {
    return kRows;
}

std::vector<std::int32_t> settings::BytesOf(CellId id) {
    std::vector<std::int32_t> bytes;
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        if (kRows[i].first != id) continue;
        const SettingCell& cell = kCells[i];
        for (int b = 0; b < cell.field.bytes; ++b) bytes.push_back(cell.field.address + b);
        if (cell.edit == Edit::KeyFunction) bytes.push_back(settings::kKeyOptions);
    }
    return bytes;
}
