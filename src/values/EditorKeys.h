#pragma once
// What every value editor does the same way: show a text with all of it selected, open
// the in-place editor on a text, start typing with the key's character, and read a typed
// number. Kept inline and private to the editors (values/Editors.h is their interface).

#include "values/KeyCodes.h"
#include "values/cmcCellCapsule.h"

#include <charconv>
#include <optional>
#include <string>
#include <string_view>

namespace editors::detail {

// Keys count only when the request is an action on the cell (not a draw or a commit).
inline std::int32_t ActionKey(const cmcCellCapsule& r) { return r.mode == CellMode::Action ? r.key : cellkey::kNone; }

inline bool IsEnter(std::int32_t key) { return key == cellkey::kEnter || key == cellkey::kDoubleClick; }
inline bool IsStep(std::int32_t key) { return key == cellkey::kSpace || key == cellkey::kBackspace; }
inline bool IsDigit(std::int32_t key) { return key >= '0' && key <= '9'; }
inline bool IsHexLetter(std::int32_t key) { return (key >= 'a' && key <= 'f') || (key >= 'A' && key <= 'F'); }
inline bool IsPrintable(std::int32_t key) { return key >= 32 && key <= 126; }

inline std::string_view Trim(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

inline std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// The display text, all of it selected.
inline void Show(cmcCellCapsule& r, std::string text) {
    r.displayText = std::move(text);
    r.editStart = 0;
    r.editLength = static_cast<std::int32_t>(r.displayText.size());
}

// Asks the owner to open the in-place editor on `text` with this selection.
inline void OpenEditor(cmcCellCapsule& r, CellResult& result, std::string text, std::int32_t start,
                       std::int32_t length) {
    r.editText = std::move(text);
    r.editStart = start;
    r.editLength = length;
    result = CellResult::StartEdit;
}

// Enter: the editor opens on the text without its surrounding spaces, all of it selected.
inline void OpenEditorOn(cmcCellCapsule& r, CellResult& result, std::string_view text) {
    const std::string_view trimmed = Trim(text);
    OpenEditor(r, result, std::string(trimmed), 0, static_cast<std::int32_t>(trimmed.size()));
}

// A character key replaces the text with that character, the caret after it.
inline void StartTyping(cmcCellCapsule& r, CellResult& result, std::int32_t key) {
    OpenEditor(r, result, std::string(1, static_cast<char>(key)), 1, 0);
}

}  // namespace editors::detail
