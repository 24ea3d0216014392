// The choice editor: a value shown and chosen through a named selection list.

#include "overlay/cmcCellObj.h"
#include "overlay/cmcFCache.h"
#include "values/EditorKeys.h"
#include "values/Editors.h"

#include <cmath>
#include <limits>

namespace editors {

using namespace detail;

namespace {

// The number a caption stands for, when all of it is one (" 2.5" or "10"; not "2 min").
std::optional<double> CaptionNumber(std::string_view caption) {
    const std::string_view t = Trim(caption);
    double value = 0;
    const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (error != std::errc{} || end != t.data() + t.size() || t.empty()) return std::nullopt;
    return value;
}

// The choice a typed text names: the first item whose caption matches it, letter case
// aside; else, among items whose captions are numbers, the one nearest the typed number.
std::optional<std::int32_t> TypedChoice(std::string_view text, std::string_view listSheet, CellId listKind) {
    const auto& items = FCache().List(listSheet, listKind).byColumn;
    const std::string typed = Upper(Trim(text));
    if (typed.empty()) return std::nullopt;
    for (const SelectionEntry& item : items)
        if (Upper(Trim(item.text)) == typed) return item.value;
    const auto number = ParseTypedNumber(typed);
    if (!number) return std::nullopt;
    std::optional<std::int32_t> nearest;
    double distance = std::numeric_limits<double>::infinity();
    for (const SelectionEntry& item : items) {
        const auto caption = CaptionNumber(item.text);
        if (caption && std::fabs(*caption - *number) < distance) {
            distance = std::fabs(*caption - *number);
            nearest = item.value;
        }
    }
    return nearest;
}

}  // namespace

bool EditChoice(cmcCellCapsule& r, CellResult& result, std::int32_t& value, std::string_view listSheet,
                CellId listKind, bool typed) {
    const std::int32_t before = value;
    if (r.mode == CellMode::Pick && r.picked && r.picked->key.id == listKind) {
        value = r.picked->key.index;
    } else if (r.mode == CellMode::SetText && typed) {
        if (const auto choice = TypedChoice(r.editText, listSheet, listKind)) value = *choice;
    }

    const std::int32_t key = ActionKey(r);
    if (key == cellkey::kSpace) {
        value = SelectionStep(listSheet, listKind, value, +1);
    } else if (key == cellkey::kBackspace) {
        value = SelectionStep(listSheet, listKind, value, -1);
    }
    Show(r, SelectionText(listSheet, listKind, value));

    if (IsEnter(key)) {
        if (r.sheet && r.sheet->OpenChoiceList(std::string(listSheet), listKind, value)) {
            result = CellResult::PopupOpened;
        } else if (typed) {
            // Where no list can be shown (a printout, a sheet without popups) the typed
            // form still lets the choice be written.
            OpenEditorOn(r, result, r.displayText);
        }
    } else if (typed && key > cellkey::kSpace && key <= 126) {
        StartTyping(r, result, key);
    }
    return value != before;
}

bool EditChoiceByte(cmcCellCapsule& r, CellResult& result, std::uint8_t& value, std::string_view listSheet,
                    CellId listKind, bool typed) {
    std::int32_t working = value;
    if (!EditChoice(r, result, working, listSheet, listKind, typed)) return false;
    // A list of a byte setting holds byte values only; anything else is not stored.
    if (working < 0 || working > 255) return false;
    value = static_cast<std::uint8_t>(working);
    return true;
}

}  // namespace editors
