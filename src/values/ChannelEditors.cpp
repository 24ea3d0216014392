// Editors of the frequencies and tone squelch settings of a loaded channel record.

#include "overlay/Colours.h"
#include "overlay/cmcCellObj.h"
#include "overlay/cmcFCache.h"
#include "overlay/cmcGTex.h"
#include "values/EditorKeys.h"
#include "values/Editors.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace editors {

using namespace detail;

namespace {

// The choices of a tone setting: the CTCSS tones by number, "off" and the digital code.
constexpr std::string_view kToneList = "GI_Sheet_Sel_Mch_CTone";
// The names a technician types for the CTCSS tones, one line per tone number.
constexpr std::string_view kCtcssNames = "GI_AppItem_Ctcss";
constexpr std::int32_t kToneOff = 52;
constexpr std::int32_t kToneDigital = 53;
constexpr CellId kFlex0 = CellIdOf("Flex0");
constexpr CellId kFlexDtcs = CellIdOf("FlexDtcs");  // the list's digital-code choice
// The code the digital squelch text starts from when the setting is not digital yet.
constexpr std::uint16_t kFirstDtcsCode = 023;

// An inhibited transmit shows its frequency in dark cyan.
constexpr std::uint32_t kInhibitedColour = ColourOf("clTeal");
constexpr std::int64_t kTypedHzLimit = 799'999'999;

struct FrequencyFields {
    Fld receive, transmit;
    bool hasInhibit;
};

// Channels and repeaters carry the same pair of frequencies.
FrequencyFields FrequencyFieldsOf(const RecordAccessor& record) {
    if (record.kind == 22) return {Fld::Rpt_FreqR, Fld::Rpt_FreqT, false};
    return {Fld::Mch_FreqR, Fld::Mch_FreqT, true};
}

std::string FrequencyText(std::uint32_t hz) {
    char text[24];
    std::snprintf(text, sizeof text, "%u.%06u", hz / 1'000'000u, hz % 1'000'000u);
    return text;
}

// The typed frequency in Hz on the raster, or nothing when it has no raster point.
std::optional<std::uint32_t> TypedFrequency(std::string_view text) {
    const auto mhz = ParseTypedNumber(text, ".");
    if (!mhz) return std::nullopt;
    const double hz = std::clamp(*mhz * 1'000'000.0 + 0.5, 0.0, static_cast<double>(kTypedHzLimit) + 0.5);
    const std::int64_t snapped = SnapFrequency(static_cast<std::int64_t>(hz));
    if (snapped <= 0) return std::nullopt;
    return static_cast<std::uint32_t>(std::min<std::int64_t>(snapped, RecordAccessor::kMaxFrequency));
}

}  // namespace

std::int64_t SnapFrequency(std::int64_t hz) {
    if (hz < 0) return -1;
    std::int64_t precision = 1;
    while (precision <= 10'000 && hz % (10 * precision) == 0) precision *= 10;
    for (std::int64_t r = hz - hz % 100'000; r <= hz + precision - 1; r += 625)
        if (r >= hz && (r % 2500 == 0 || r % 3125 == 0)) return r;
    return -1;
}

bool EditFrequency(cmcCellCapsule& r, CellResult& result, RecordAccessor& record, bool transmit) {
    const FrequencyFields f = FrequencyFieldsOf(record);
    const Fld field = transmit ? f.transmit : f.receive;
    const std::uint32_t receiveBefore = record.get(f.receive);
    const std::uint32_t transmitBefore = record.get(f.transmit);

    bool changed = false;
    if (r.mode == CellMode::SetText) {
        if (const auto hz = TypedFrequency(r.editText)) {
            changed = *hz != record.get(field);
            record.set(field, *hz);
            if (!transmit) {
                if (!record.valid()) changed = true;
                record.status |= RecordAccessor::kStatusValid;
                // A simplex channel stays simplex when its receive frequency moves.
                if (receiveBefore == transmitBefore) record.set(f.transmit, *hz);
            }
        }
    }
    const std::uint32_t hz = std::min(record.get(field), RecordAccessor::kMaxFrequency);
    record.set(field, hz);

    const bool blank = !record.valid();
    const std::string text = blank ? std::string() : FrequencyText(hz);
    const std::int32_t key = ActionKey(r);
    const bool sameAsReceive = record.get(f.transmit) == record.get(f.receive);
    Show(r, transmit && !blank && sameAsReceive ? std::string("<-") : text);
    if (transmit && f.hasInhibit && record.get(Fld::Mch_TxInh) != 0) r.fontColour = kInhibitedColour;

    if (IsEnter(key) || IsStep(key)) {
        OpenEditorOn(r, result, text);
    } else if (key == '.') {
        const auto point = text.find('.');
        if (point == std::string::npos) {
            StartTyping(r, result, key);
        } else {
            OpenEditor(r, result, text, static_cast<std::int32_t>(point + 1), 0);
        }
    } else if (key == '=' && transmit) {
        const std::string receive = FrequencyText(record.get(f.receive));
        OpenEditor(r, result, receive, 0, static_cast<std::int32_t>(receive.size()));
    } else if (IsDigit(key)) {
        StartTyping(r, result, key);
    }
    return changed;
}

namespace {

struct ToneFields {
    Fld receive, transmit;
};

// Channels and the continuous tone pairs carry a receive and a transmit tone setting.
ToneFields ToneFieldsOf(const RecordAccessor& record) {
    if (record.kind == 8) return {Fld::CTone_RX, Fld::CTone_TX};
    return {Fld::Mch_CTone_R, Fld::Mch_CTone_T};
}

// The two settings mean the same squelch (the bits the editor does not own aside).
bool SameSquelch(const ToneSetting& a, const ToneSetting& b) {
    return a.on == b.on && a.digital == b.digital && (!a.digital || a.inverted == b.inverted) && a.code == b.code;
}

// The choice of the tone list a setting stands for.
std::int32_t ToneIndex(const ToneSetting& t) {
    if (t.digital) return kToneDigital;
    return t.on ? t.code : kToneOff;
}

void SetCtcss(ToneSetting& t, std::int32_t index) {
    t.digital = false;
    t.inverted = false;  // the polarity means something only to a digital code
    t.on = index != kToneOff;
    t.code = static_cast<std::uint16_t>(t.on ? index : 0);
}

void SetDtcs(ToneSetting& t, std::uint16_t code, bool inverted) {
    t.on = true;
    t.digital = true;
    t.inverted = inverted;
    t.code = code & 0x1FF;
}

std::string DtcsText(std::uint16_t code, bool inverted) {
    char text[8];
    std::snprintf(text, sizeof text, "%d%d%d%c", (code >> 6) & 7, (code >> 3) & 7, code & 7, inverted ? 'i' : 'N');
    return text;
}

std::string ToneText(const ToneSetting& t) {
    if (t.digital) return DtcsText(t.code, t.inverted);
    return SelectionText(kToneList, kFlex0, ToneIndex(t));
}

// The names of the CTCSS tones, by tone number.
std::vector<std::string> CtcssNames() {
    std::vector<std::string> names;
    for (int line = 0;; ++line) {
        std::string name = GTex().GetLine(kCtcssNames, line);
        if (!name.empty() && name[0] == '#') break;
        names.push_back(Upper(Trim(name)));
    }
    return names;
}

// A typed tone: three octal digits and 'I' or 'N' set a digital code; otherwise the text
// names a CTCSS tone (a unique name it begins, or the first when it is longer than one
// character), or one of the list's own choices ("Off").
bool ApplyTypedTone(ToneSetting& t, std::string_view typed) {
    const std::string text = Upper(Trim(typed));
    auto octal = [](char c) { return c >= '0' && c <= '7'; };
    if ((text.size() == 3 || (text.size() == 4 && (text[3] == 'I' || text[3] == 'N'))) && octal(text[0]) &&
        octal(text[1]) && octal(text[2])) {
        const auto code = static_cast<std::uint16_t>(((text[0] - '0') << 6) | ((text[1] - '0') << 3) | (text[2] - '0'));
        SetDtcs(t, code, text.size() == 4 && text[3] == 'I');
        return true;
    }
    if (text.empty()) return false;
    const std::vector<std::string> names = CtcssNames();
    std::optional<std::int32_t> first;
    int matches = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i].empty() || names[i].compare(0, text.size(), text) != 0) continue;
        if (names[i] == text) {  // an exact name wins over the names it begins
            first = static_cast<std::int32_t>(i);
            matches = 1;
            break;
        }
        if (!first) first = static_cast<std::int32_t>(i);
        ++matches;
    }
    if (first && (matches == 1 || text.size() > 1)) {
        SetCtcss(t, *first);
        return true;
    }
    for (const SelectionEntry& item : FCache().List(kToneList, kFlex0).byColumn) {
        if (Upper(Trim(item.text)) == text && item.value != kToneDigital) {
            SetCtcss(t, item.value);
            return true;
        }
    }
    return false;
}

// The digital code is chosen by typing it: the editor opens on the code, all selected.
void OpenDtcsEditor(cmcCellCapsule& r, CellResult& result, const ToneSetting& t) {
    const std::string text = t.digital ? DtcsText(t.code, t.inverted) : DtcsText(kFirstDtcsCode, false);
    OpenEditor(r, result, text, 0, static_cast<std::int32_t>(text.size()));
}

}  // namespace

bool EditTone(cmcCellCapsule& r, CellResult& result, RecordAccessor& record, bool transmit) {
    const ToneFields f = ToneFieldsOf(record);
    const Fld field = transmit ? f.transmit : f.receive;
    const bool wereSame = SameSquelch(record.tone(f.receive), record.tone(f.transmit));
    const ToneSetting before = record.tone(field);
    ToneSetting t = before;
    const std::int32_t key = ActionKey(r);

    bool openDtcs = false;
    if (r.mode == CellMode::Pick && r.picked) {
        if (r.picked->key.id == kFlexDtcs || (r.picked->key.id == kFlex0 && r.picked->key.index == kToneDigital)) {
            openDtcs = true;
        } else if (r.picked->key.id == kFlex0) {
            SetCtcss(t, r.picked->key.index);
        }
    } else if (r.mode == CellMode::SetText) {
        ApplyTypedTone(t, r.editText);
    } else if (IsStep(key)) {
        if (t.digital) {
            t.inverted = !t.inverted;
        } else {
            const std::int32_t next = SelectionStep(kToneList, kFlex0, ToneIndex(t), key == cellkey::kSpace ? 1 : -1);
            if (next == kToneDigital) {
                openDtcs = true;
            } else {
                SetCtcss(t, next);
            }
        }
    }

    const bool changed = t.ToRaw() != before.ToRaw();
    if (changed) {
        record.setTone(field, t);
        if (!transmit && wereSame) {
            ToneSetting follower = record.tone(f.transmit);
            follower.on = t.on;
            follower.digital = t.digital;
            follower.inverted = t.inverted;
            follower.code = t.code;
            record.setTone(f.transmit, follower);
        }
    }

    const bool sameAsReceive = SameSquelch(record.tone(f.receive), record.tone(f.transmit));
    Show(r, transmit && t.on && sameAsReceive ? std::string("<-") : ToneText(t));

    if (openDtcs) {
        OpenDtcsEditor(r, result, t);
    } else if (IsEnter(key)) {
        if (r.sheet && r.sheet->OpenChoiceList(std::string(kToneList), kFlex0, ToneIndex(t))) {
            result = CellResult::PopupOpened;
        } else {
            OpenEditorOn(r, result, ToneText(t));
        }
    } else if (key > cellkey::kSpace && key <= 126) {
        StartTyping(r, result, key);
    }
    return changed;
}

}  // namespace editors
