#pragma once
// The value editors. The cell value routine never formats or parses a value itself: for
// every editable cell it calls one of these with the value, its range and its list or
// format. Each editor, in one call,
//   1. applies a committed edit: the in-place editor's text when the request's mode is
//      SetText, a choice picked from a popup list when it is Pick (`request.picked`);
//   2. writes the display text, and selects all of it (editStart 0, editLength its length);
//   3. interprets the request's key, only in Action mode: steps the value, or sets `result`
//      to StartEdit (the owner opens the in-place editor on `request.editText` with the
//      selection editStart/editLength) or to PopupOpened (a choice list was opened).
// It returns true when it changed the value; the caller writes the value back.
//
// Shared key rules: a key that starts typing opens the editor; a character key replaces
// the text with that character and puts the caret after it; Enter opens the editor on the
// display text with surrounding spaces removed. Space and Backspace step up and down,
// except in EditNumber, where the Right and Left arrows do.
// Typed numbers: only decimal digits and the characters an editor allows are kept; more
// than 8 remaining characters are cut after the ninth; the rest is read as a decimal number.

#include "image/RecordAccessor.h"
#include "overlay/CellNames.h"
#include "values/cmcCellCapsule.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace editors {

// --- Numbers (NumberEditors.cpp) ----------------------------------------------------------

struct NumberSpec {
    std::int32_t min = 0, max = 255;
    std::int32_t displayOffset = 0;
    std::int32_t step = 1;
    bool enterExecutes = false;   // Enter reports an execute request instead of typing
    bool clampFirst = false;
    std::optional<std::string> displayOverride{};  // {} lets callers name only the fields they set
};
// Adjustment values: Left/Right arrows step (the routine passes step 5 while Shift is held).
// With `enterExecutes`, Enter opens no editor but sets `request.execute`: the cell's
// procedure is to start.
bool EditNumber(cmcCellCapsule& request, CellResult& result, std::int32_t& value, const NumberSpec& spec);

struct SettingSpec {
    std::int32_t min = 0, max = 255;
    std::int32_t displayOffset = 0;
    std::int32_t step = 1;
    bool wrap = true;  // a step past one end gives the other; else it stays at the end
};
bool EditSetting(cmcCellCapsule& request, CellResult& result, std::int32_t& value, const SettingSpec& spec);
bool EditSettingByte(cmcCellCapsule& request, CellResult& result, std::uint8_t& value, const SettingSpec& spec);

struct ScaledSpec {
    int decimals = 0;   // the value is in units of 10^-decimals
    int kept = 1;       // digits shown after the point
    double min = 0, max = 0;
    std::int32_t step = 1;
    bool stepKeys = true;        // Space/Backspace step (else they open the editor)
    bool spaceOpensEditor = false;
    int trimZeros = 0;           // trailing zeros removed from the text
    bool clearOnEnter = false;
};
bool EditScaled(cmcCellCapsule& request, CellResult& result, std::int32_t& value, const ScaledSpec& spec);

struct TimerSpec {
    std::int32_t unitsPerSecond = 10;
    std::int32_t min = 0, max = 255;
    bool offAllowed = false;  // 0 shows GI_AppInd_TimerOff; "off" typed stores 0
    int trimZeros = 0;
};
bool EditTimer(cmcCellCapsule& request, CellResult& result, std::int32_t& value, const TimerSpec& spec);

// Minutes and seconds in steps of `secondsPerStep`.
bool EditMinSec(cmcCellCapsule& request, CellResult& result, std::int32_t& value, std::int32_t minSeconds,
                std::int32_t maxSeconds, std::int32_t secondsPerStep);

bool EditPaddedNumber(cmcCellCapsule& request, CellResult& result, std::int32_t& value, int digits, std::int32_t min,
                      std::int32_t max, bool noPadding = false);

// "[" k '#' (20 - k) '-' "]" with k = (value - min) * 20 / (max - min).
void ShowBar(cmcCellCapsule& request, std::int32_t value, std::int32_t min, std::int32_t max);

// Reads a typed number as the editors do: the characters kept are digits and `allowed`;
// nothing when no digit remains.
std::optional<double> ParseTypedNumber(std::string_view text, std::string_view allowed = ".-");

// --- Texts and digit strings (TextEditors.cpp) ---------------------------------------------

bool EditText(cmcCellCapsule& request, CellResult& result, std::span<std::uint8_t> field);
// A record's name of `length` characters, space-padded (a channel's or a bank's).
bool EditName(cmcCellCapsule& request, CellResult& result, std::string& name, std::size_t length);
// One value per slot, shown through "0123456789ABCDEF".
bool EditDigits(cmcCellCapsule& request, CellResult& result, std::span<std::uint8_t> digits, bool hex);
// An integer shown as `digits` nibbles, most significant first.
bool EditHexDigits(cmcCellCapsule& request, CellResult& result, std::uint32_t& value, int digits, bool hex);
// A radio or talk-group identifier in one of its two views: `hexDigits` hexadecimal
// digits, or a decimal number 0..highest padded to `decimalDigits`.
struct IdentifierView {
    int hexDigits;
    int decimalDigits;
    std::uint32_t highest;
    bool decimal;
};
bool EditIdentifier(cmcCellCapsule& request, CellResult& result, std::uint32_t& value, const IdentifierView& view);
// Up to `maxDigits` DTMF digits packed two per byte (high nibble first), with a length byte.
bool EditDtmf(cmcCellCapsule& request, CellResult& result, std::span<std::uint8_t> packed, std::uint8_t& length,
              int maxDigits);
// A five-tone code: one digit value per slot (0..15, shown through "0123456789ABCDE*") and
// its digit count. Typed: digits, A..E in either case and '*'; an empty text clears it.
bool EditFiveTone(cmcCellCapsule& request, CellResult& result, std::span<std::uint8_t> digits, std::uint8_t& length);
// Bits first..last of a bit set, one character per bit.
bool EditBits(cmcCellCapsule& request, CellResult& result, std::uint32_t& bits, int first, int last);

// --- Choices (ChoiceEditor.cpp) -------------------------------------------------------------

// A value shown and chosen through the named selection list `listSheet` (cells bound to
// `listKind`): Space/Backspace step through the list, Enter opens it as a popup at the
// cell (through the sheet's services) and sets `result` to PopupOpened, a pick stores the
// picked item's number. With `typed`, a typed text selects the item whose caption matches.
bool EditChoice(cmcCellCapsule& request, CellResult& result, std::int32_t& value, std::string_view listSheet,
                CellId listKind, bool typed = false);
bool EditChoiceByte(cmcCellCapsule& request, CellResult& result, std::uint8_t& value, std::string_view listSheet,
                    CellId listKind, bool typed = false);

// --- Channel records (ChannelEditors.cpp) -----------------------------------------------

// The raster a typed frequency snaps to: the first multiple of 2500 or 3125 Hz at or
// above `hz` within the precision it was typed with; -1 when there is none.
std::int64_t SnapFrequency(std::int64_t hz);
// Receive (`transmit` false) or transmit frequency of the loaded channel record.
bool EditFrequency(cmcCellCapsule& request, CellResult& result, RecordAccessor& record, bool transmit);
// Tone squelch (CTCSS or DTCS) of one direction of the loaded channel record.
bool EditTone(cmcCellCapsule& request, CellResult& result, RecordAccessor& record, bool transmit);

}  // namespace editors
