// The numeric editors: adjustment values, settings, decimal numbers, timers, minutes and
// seconds, padded numbers and the bar. Every editor runs the same three steps on one call:
// apply a committed text, step the value for a stepping key, show the value; then a key that
// asks for the in-place editor opens it on the text just shown.

#include "overlay/cmcGTex.h"
#include "values/Editors.h"
#include "values/KeyCodes.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace editors {

namespace {

using Int = std::int64_t;  // wide enough for every typed number times its scale

// What a key asks of an editor.
enum class KeyUse { None, Up, Down, Type, Open, OpenCleared, OpenAfterPoint, Execute };

// The keys of one editor: what Space, Backspace, Enter and the arrows do, and which
// characters besides the digits start typing.
struct KeyPlan {
    KeyUse space = KeyUse::Up;
    KeyUse backspace = KeyUse::Down;
    KeyUse enter = KeyUse::Open;
    KeyUse left = KeyUse::None;
    KeyUse right = KeyUse::None;
    std::string_view typing;
};

KeyUse UseOf(const cmcCellCapsule& request, const KeyPlan& plan) {
    if (request.mode != CellMode::Action) return KeyUse::None;
    const std::int32_t key = request.key;
    switch (key) {
        case cellkey::kSpace:
            return plan.space;
        case cellkey::kBackspace:
            return plan.backspace;
        case cellkey::kEnter:
        case cellkey::kDoubleClick:
            return plan.enter;
        case cellkey::VirtualKey(cellkey::vk::kLeft):
            return plan.left;
        case cellkey::VirtualKey(cellkey::vk::kRight):
            return plan.right;
        default:
            break;
    }
    if (key >= '0' && key <= '9') return KeyUse::Type;
    if (key > cellkey::kSpace && key < 127 && plan.typing.find(static_cast<char>(key)) != std::string_view::npos) {
        return KeyUse::Type;
    }
    return KeyUse::None;
}

bool Steps(KeyUse use) {
    return use == KeyUse::Up || use == KeyUse::Down;
}

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

void OpenEditor(cmcCellCapsule& request, CellResult& result, std::string text, std::int32_t start,
                std::int32_t length) {
    request.editText = std::move(text);
    request.editStart = start;
    request.editLength = length;
    result = CellResult::StartEdit;
}

// Runs the part of a key that follows the display: open the editor, start typing, or ask
// the cell's procedure to run. Steps were applied before the value was shown.
void FollowKey(cmcCellCapsule& request, CellResult& result, KeyUse use) {
    switch (use) {
        case KeyUse::Type:
            OpenEditor(request, result, std::string(1, static_cast<char>(request.key)), 1, 0);
            break;
        case KeyUse::Open: {
            std::string text = Trimmed(request.displayText);
            const auto length = static_cast<std::int32_t>(text.size());
            OpenEditor(request, result, std::move(text), 0, length);
            break;
        }
        case KeyUse::OpenCleared:
            OpenEditor(request, result, {}, 0, 0);
            break;
        case KeyUse::OpenAfterPoint: {
            std::string text = Trimmed(request.displayText);
            const auto point = text.find('.');
            const auto caret = static_cast<std::int32_t>(point == std::string::npos ? text.size() : point + 1);
            OpenEditor(request, result, std::move(text), caret, 0);
            break;
        }
        case KeyUse::Execute:
            request.execute = true;
            break;
        default:
            break;
    }
}

void Show(cmcCellCapsule& request, std::string text) {
    request.displayText = std::move(text);
    request.editStart = 0;
    request.editLength = static_cast<std::int32_t>(request.displayText.size());
}

Int Clamp(Int v, Int lo, Int hi) {
    return std::max(lo, std::min(hi, v));
}

// Clamps in place; true when the value had to move.
bool ClampInto(std::int32_t& value, Int lo, Int hi) {
    const auto clamped = static_cast<std::int32_t>(Clamp(value, lo, hi));
    if (clamped == value) return false;
    value = clamped;
    return true;
}

// One step of `delta` within [lo, hi]. Past an end the value wraps to the other end (only in
// the direction of travel) or stays at the end; it is then rounded down to a multiple of
// `multiple`, unless that would leave the range or move the value against the key (a range
// whose ends are no multiples of the step: Left from 4 over 3..255 by 5 gives 3, not 0).
Int Step(Int v, Int delta, Int lo, Int hi, bool wrap, Int multiple = 1) {
    Int n = v + delta;
    if (n > hi) n = wrap && delta > 0 ? lo : hi;
    if (n < lo) n = wrap && delta < 0 ? hi : lo;
    const Int rounded = n / multiple * multiple;
    if (rounded < lo || rounded > hi || (delta > 0 ? rounded < v : rounded > v)) return n;
    return rounded;
}

Int Delta(KeyUse use, Int step) {
    return use == KeyUse::Up ? step : -step;
}

Int RoundHalfAway(double x) {
    return std::llround(x);
}

// A typed number as a whole number, rounded half away from zero; nothing when the committed
// text holds no number.
std::optional<Int> CommittedWhole(const cmcCellCapsule& request) {
    if (request.mode != CellMode::SetText) return std::nullopt;
    const auto number = ParseTypedNumber(request.editText);
    if (!number) return std::nullopt;
    return RoundHalfAway(*number);
}

Int PowerOfTen(int n) {
    Int p = 1;
    for (int i = 0; i < n; ++i) p *= 10;
    return p;
}

// Removes up to `count` trailing '0'; a '.' that becomes the last character goes too and
// ends the trimming, so "10.000" never loses a zero of its whole part.
void TrimTrailingZeros(std::string& text, int count) {
    for (int i = 0; i < count && !text.empty() && text.back() == '0'; ++i) {
        text.pop_back();
        if (!text.empty() && text.back() == '.') {
            text.pop_back();
            return;
        }
    }
}

template <typename... Args>
std::string Format(const char* format, Args... args) {
    char buffer[64];
    const int n = std::snprintf(buffer, sizeof buffer, format, args...);
    return std::string(buffer, static_cast<std::size_t>(std::clamp(n, 0, static_cast<int>(sizeof buffer) - 1)));
}

std::string TypingMinus(Int min) {
    return min < 0 ? "-" : "";
}

// EditNumber and EditSetting: everything but the keys and the clamp-first rule.
struct PlainNumber {
    Int min, max, offset, step;

    bool Commit(const cmcCellCapsule& request, std::int32_t& value) const {
        const auto typed = CommittedWhole(request);
        if (!typed) return false;
        Int n = *typed - offset;
        if (step != 1) n = RoundHalfAway(static_cast<double>(n) / static_cast<double>(step)) * step;
        value = static_cast<std::int32_t>(Clamp(n, min, max));
        return true;
    }
    std::string Text(std::int32_t value) const { return std::to_string(value + offset); }
};

Int AtLeastOne(Int n) {
    return std::max<Int>(1, n);
}

}  // namespace

std::optional<double> ParseTypedNumber(std::string_view text, std::string_view allowed) {
    std::string kept;
    for (const char c : text) {
        if ((c >= '0' && c <= '9') || allowed.find(c) != std::string_view::npos) kept += c;
    }
    if (kept.size() > 8) kept.resize(9);
    if (kept.find_first_of("0123456789") == std::string::npos) return std::nullopt;
    double number = 0;
    const auto [end, error] = std::from_chars(kept.data(), kept.data() + kept.size(), number);
    if (error != std::errc() || end == kept.data()) return std::nullopt;
    return number;
}

bool EditNumber(cmcCellCapsule& request, CellResult& result, std::int32_t& value, const NumberSpec& spec) {
    const PlainNumber number{spec.min, spec.max, spec.displayOffset, AtLeastOne(spec.step)};
    bool changed = number.Commit(request, value);
    if (spec.clampFirst) changed |= ClampInto(value, spec.min, spec.max);

    const std::string minus = TypingMinus(spec.min);
    const KeyPlan plan{.space = KeyUse::None,
                       .backspace = KeyUse::None,
                       .enter = spec.enterExecutes ? KeyUse::Execute : KeyUse::Open,
                       .left = KeyUse::Down,
                       .right = KeyUse::Up,
                       .typing = minus};
    const KeyUse use = UseOf(request, plan);
    if (Steps(use)) {
        value = static_cast<std::int32_t>(Step(value, Delta(use, number.step), spec.min, spec.max, false, number.step));
        changed = true;
    }
    Show(request, spec.displayOverride ? *spec.displayOverride : number.Text(value));
    FollowKey(request, result, use);
    return changed;
}

bool EditSetting(cmcCellCapsule& request, CellResult& result, std::int32_t& value, const SettingSpec& spec) {
    const PlainNumber number{spec.min, spec.max, spec.displayOffset, AtLeastOne(spec.step)};
    bool changed = number.Commit(request, value);
    // A setting is never shown outside its range: an image byte beyond it is brought to the
    // nearest end, and the caller stores that.
    changed |= ClampInto(value, spec.min, spec.max);

    const std::string minus = TypingMinus(spec.min);
    const KeyUse use = UseOf(request, KeyPlan{.typing = minus});
    if (Steps(use)) {
        value =
            static_cast<std::int32_t>(Step(value, Delta(use, number.step), spec.min, spec.max, spec.wrap, number.step));
        changed = true;
        ClampInto(value, spec.min, spec.max);
    }
    Show(request, number.Text(value));
    FollowKey(request, result, use);
    return changed;
}

bool EditSettingByte(cmcCellCapsule& request, CellResult& result, std::uint8_t& value, const SettingSpec& spec) {
    std::int32_t working = value;
    if (!EditSetting(request, result, working, spec)) return false;
    value = static_cast<std::uint8_t>(Clamp(working, 0, 255));
    return true;
}

bool EditScaled(cmcCellCapsule& request, CellResult& result, std::int32_t& value, const ScaledSpec& spec) {
    const Int scale = PowerOfTen(spec.decimals);
    const Int minI = RoundHalfAway(spec.min * static_cast<double>(scale));
    const Int maxI = RoundHalfAway(spec.max * static_cast<double>(scale));
    const Int step = AtLeastOne(spec.step);

    bool changed = false;
    if (request.mode == CellMode::SetText) {
        if (const auto typed = ParseTypedNumber(request.editText)) {
            Int t = RoundHalfAway(*typed * static_cast<double>(scale));
            t -= t % step;
            value = static_cast<std::int32_t>(Clamp(t, minI, maxI));
            changed = true;
        }
    }

    const KeyUse open = spec.clearOnEnter ? KeyUse::OpenCleared : KeyUse::Open;
    const bool spaceSteps = spec.stepKeys && !spec.spaceOpensEditor;
    KeyUse use = UseOf(request, KeyPlan{.space = spaceSteps ? KeyUse::Up : open,
                                        .backspace = spec.stepKeys ? KeyUse::Down : KeyUse::None,
                                        .enter = open,
                                        .typing = "-."});
    if (use == KeyUse::Type && request.key == '.') use = KeyUse::OpenAfterPoint;
    if (Steps(use)) {
        value = static_cast<std::int32_t>(Step(value, Delta(use, step), minI, maxI, true));
        changed = true;
    }

    // The whole part keeps the sign of a value between -1 and 0, which "%3d" of 0 would lose.
    const int kept = std::max(1, spec.kept);
    const Int whole = value / scale;
    Int fraction = std::abs(value % scale);
    fraction = kept >= spec.decimals ? fraction * PowerOfTen(kept - spec.decimals)
                                     : fraction / PowerOfTen(spec.decimals - kept);
    const std::string wholeText = value < 0 && whole == 0 ? "-0" : std::to_string(whole);
    std::string text = Format("%3s.%0*lld", wholeText.c_str(), kept, static_cast<long long>(fraction));
    TrimTrailingZeros(text, spec.trimZeros);
    Show(request, std::move(text));
    FollowKey(request, result, use);
    return changed;
}

bool EditTimer(cmcCellCapsule& request, CellResult& result, std::int32_t& value, const TimerSpec& spec) {
    const Int perSecond = AtLeastOne(spec.unitsPerSecond);
    bool changed = false;
    if (request.mode == CellMode::SetText) {
        // "off" in any letter case, spaces and other characters aside.
        std::string letters;
        for (const char c : request.editText) {
            if ((c >= '0' && c <= '9') || std::string_view(".-ofOF").find(c) != std::string_view::npos) letters += c;
        }
        const bool off = letters.size() >= 2 && (letters[0] | 0x20) == 'o' && (letters[1] | 0x20) == 'f';
        if (off && spec.offAllowed) {
            value = 0;
            changed = true;
        } else if (const auto typed = ParseTypedNumber(request.editText)) {
            value = static_cast<std::int32_t>(
                Clamp(static_cast<Int>((*typed + 0.0005) * static_cast<double>(perSecond)), spec.min, spec.max));
            changed = true;
        }
    }

    const KeyUse use = UseOf(request, KeyPlan{.typing = ".oO"});
    if (Steps(use)) {
        value = static_cast<std::int32_t>(Step(value, Delta(use, 1), spec.min, spec.max, true));
        changed = true;
    }

    if (request.key == cellkey::kNone && spec.offAllowed && value == 0) {
        Show(request, GTex().GetLine("GI_AppInd_TimerOff", 0));
    } else {
        std::string text = Format("%3lld.%03lld", static_cast<long long>(value / perSecond),
                                  static_cast<long long>(Int{value} * 1000 / perSecond % 1000));
        TrimTrailingZeros(text, spec.trimZeros);
        Show(request, std::move(text));
    }
    FollowKey(request, result, use);
    return changed;
}

bool EditMinSec(cmcCellCapsule& request, CellResult& result, std::int32_t& value, std::int32_t minSeconds,
                std::int32_t maxSeconds, std::int32_t secondsPerStep) {
    const Int q = std::clamp<Int>(secondsPerStep, 1, 60);
    const Int perMinute = 60 / q;
    const Int lo = minSeconds / q, hi = maxSeconds / q;

    bool changed = false;
    if (request.mode == CellMode::SetText) {
        std::string kept;
        for (const char c : request.editText) {
            if ((c >= '0' && c <= '9') || c == ':') kept += c;
        }
        kept.resize(std::min<std::size_t>(kept.size(), 5));  // "mm:ss"
        if (kept.find_first_of("0123456789") != std::string::npos) {
            const auto colon = kept.find(':');
            const auto number = [](std::string_view digits) {
                Int n = 0;
                std::from_chars(digits.data(), digits.data() + digits.size(), n);
                return n;
            };
            const Int minutes = number(std::string_view(kept).substr(0, colon));
            const Int seconds = colon == std::string::npos ? 0 : number(std::string_view(kept).substr(colon + 1));
            // Half a step or more rounds up; a whole number of steps never does (with one
            // second per step half a step is 0, and every time would gain a second).
            const Int rest = seconds % q;
            const Int steps = seconds / q + perMinute * minutes + (rest != 0 && rest >= q / 2 ? 1 : 0);
            value = static_cast<std::int32_t>(Clamp(steps, lo, hi));
            changed = true;
        }
    }

    const KeyUse use = UseOf(request, KeyPlan{.typing = ":"});
    if (Steps(use)) {
        value = static_cast<std::int32_t>(Step(value, Delta(use, 1), lo, hi, true));
        changed = true;
    }
    Show(request, Format("%2lld:%02lld", static_cast<long long>(value / perMinute),
                         static_cast<long long>(q * (value % perMinute))));
    FollowKey(request, result, use);
    return changed;
}

bool EditPaddedNumber(cmcCellCapsule& request, CellResult& result, std::int32_t& value, int digits, std::int32_t min,
                      std::int32_t max, bool noPadding) {
    bool changed = false;
    if (const auto typed = CommittedWhole(request); typed && *typed >= min && *typed <= max) {
        value = static_cast<std::int32_t>(*typed);
        changed = true;
    }

    const std::string minus = TypingMinus(min);
    const KeyUse use = UseOf(request, KeyPlan{.typing = minus});
    if (Steps(use)) {
        value = static_cast<std::int32_t>(Step(value, Delta(use, 1), min, max, true));
        changed = true;
    }
    Show(request, Format("%0*d", noPadding ? 0 : std::clamp(digits, 0, 32), value));
    FollowKey(request, result, use);
    return changed;
}

void ShowBar(cmcCellCapsule& request, std::int32_t value, std::int32_t min, std::int32_t max) {
    constexpr Int kWidth = 20;
    // A value outside the range shows an empty or a full bar.
    const Int filled = max > min ? Clamp((Int{value} - min) * kWidth / (Int{max} - min), 0, kWidth) : 0;
    Show(request, "[" + std::string(static_cast<std::size_t>(filled), '#') +
                      std::string(static_cast<std::size_t>(kWidth - filled), '-') + "]");
}

}  // namespace editors
