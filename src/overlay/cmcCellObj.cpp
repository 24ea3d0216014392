#include "overlay/cmcCellObj.h"

#include "platform/FatalStop.h"
#include "overlay/CodePage.h"
#include "overlay/TextNumber.h"
#include "overlay/cmcGTex.h"

#include <algorithm>
#include <string>

namespace {

constexpr std::string_view kCounterError = "Ch No. Error";
constexpr std::string_view kCounterEscapeError = "Illegal Ch No.";

// Drops each backslash and keeps the character after it.
std::string Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '\\') {
            ++i;
            if (i >= text.size()) break;
        }
        const std::size_t n = CharLength(text, i);
        out.append(text.substr(i, n));
        i += n;
    }
    return out;
}

std::int32_t WrappingAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// "@ch" and exactly one digit: the counter's slot. A malformed reference, or one where the
// sheet provides no counters, is fatal.
std::int32_t& Counter(const cmcCellObj& cell, std::string_view ref) {
    const bool wellFormed =
        ref.size() >= 4 && ref.substr(0, 3) == "@ch" && IsDigit(ref[3]) && (ref.size() == 4 || !IsDigit(ref[4]));
    if (!wellFormed || !cell.counters) platform::fatalStop(kCounterError);
    return (*cell.counters)[static_cast<std::size_t>(ref[3] - '0')];
}

void ApplyMarkupAt(cmcCellObj& cell, std::string_view markup, int& models);

// "%" category "." identifier ["[" index "]"] [":" parameter]
void ApplyBinding(cmcCellObj& cell, std::string_view binding) {
    // The category part is there only when the first '.' is not escaped.
    bool afterBackslash = false;
    for (std::size_t i = 0; i < binding.size(); i += CharLength(binding, i)) {
        const bool single = CharLength(binding, i) == 1;
        if (single && binding[i] == '.') {
            if (!afterBackslash) {
                cell.key.category = CategoryFromName(binding.substr(0, i));
                binding.remove_prefix(i + 1);
            }
            break;
        }
        afterBackslash = single && binding[i] == '\\';
    }

    const std::size_t idEnd = FindChar(binding, "[:");
    cell.key.id = CellIdFromName(binding.substr(0, idEnd));
    if (idEnd == std::string_view::npos) return;

    std::size_t colon = idEnd;
    if (binding[idEnd] == '[') {
        const std::size_t close = FindChar(binding, "]", idEnd + 1);
        const std::string_view index =
            binding.substr(idEnd + 1, close == std::string_view::npos ? close : close - idEnd - 1);
        cell.key.index = !index.empty() && index.front() == '@' ? Counter(cell, index) : ParseNumber(index);
        colon = close == std::string_view::npos ? close : FindChar(binding, ":", close);
    }
    if (colon != std::string_view::npos) cell.parameter = Unescape(binding.substr(colon + 1));
}

// "@chN++" or "@chN=number".
void ApplyCounterGroup(cmcCellObj& cell, std::string_view group) {
    std::int32_t& counter = Counter(cell, group);
    std::string_view rest = group.substr(4);
    if (rest.substr(0, 2) == "++") {
        counter = WrappingAdd(counter, 1);
        return;
    }
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    if (!rest.empty() && rest.front() == '=') counter = ParseNumber(rest.substr(1));
}

bool TakePrefix(std::string_view& text, std::string_view prefix) {
    if (text.substr(0, prefix.size()) != prefix) return false;
    text.remove_prefix(prefix.size());
    return true;
}

void ApplyGroup(cmcCellObj& cell, std::string_view group, int& models) {
    std::string_view arg = group;
    if (TakePrefix(arg, "$")) {
        if (++models > kMaxModelsPerCell) {
            platform::fatalStop(platform::formatOne("Cannot use the specified cell model.\n'%s'", arg));
        }
        // Models always come from the application's overlay, even for a sheet read from
        // a fragment.
        const std::string model = GTex().GetLine("CellModel_" + std::string(arg), 0);
        ApplyMarkupAt(cell, model, models);
    } else if (TakePrefix(arg, "Color=")) {
        if (auto colour = ParseColour(arg)) cell.colour = *colour;
    } else if (TakePrefix(arg, "Font=")) {
        if (!cell.font) {
            cell.font = cell.baseModel && cell.baseModel->font ? *cell.baseModel->font : cmcFont{};
        }
        ApplyFont(arg, *cell.font);
    } else if (TakePrefix(arg, "%")) {
        ApplyBinding(cell, arg);
    } else if (group.front() == '@') {
        ApplyCounterGroup(cell, group);
    } else if (TakePrefix(arg, "ImageIndex=")) {
        cell.imageIndex = ParseNumber(arg);
    } else if (TakePrefix(arg, "PopupMenu=")) {
        cell.popupMenu = std::string(arg);
    } else if (TakePrefix(arg, "Flag")) {
        if (arg.size() == 3 && arg[0] >= '0' && arg[0] < '0' + cmcCellObj::kUserFlags && arg[1] == '=' &&
            (arg[2] == '0' || arg[2] == '1')) {
            cell.userFlags[static_cast<std::size_t>(arg[0] - '0')] = arg[2] == '1';
        }
    }
}

struct FlagChar {
    char c;
    bool cmcCellObj::*flag;
};
constexpr FlagChar kFlagChars[] = {
    {'W', &cmcCellObj::autoWidth},  {'H', &cmcCellObj::autoHeight}, {'+', &cmcCellObj::continuesLeft},
    {'B', &cmcCellObj::bottomLine}, {'S', &cmcCellObj::selectable}, {'T', &cmcCellObj::rowTracking},
};

template <typename Align>
struct AlignChar {
    char c;
    Align align;
};
constexpr AlignChar<cmcCellObj::HAlign> kHAlignChars[] = {
    {'<', cmcCellObj::HAlign::Left}, {'^', cmcCellObj::HAlign::Centre}, {'>', cmcCellObj::HAlign::Right}};
constexpr AlignChar<cmcCellObj::VAlign> kVAlignChars[] = {
    {'~', cmcCellObj::VAlign::Top}, {'-', cmcCellObj::VAlign::Middle}, {'_', cmcCellObj::VAlign::Bottom}};

// Alignments are three exclusive flags per axis: setting one chooses it, clearing the one
// that is chosen goes back to the default (left, top).
template <typename Align, std::size_t N>
bool ApplyAlign(const AlignChar<Align> (&table)[N], char c, bool set, Align& current) {
    for (const auto& a : table) {
        if (a.c != c) continue;
        if (set) {
            current = a.align;
        } else if (current == a.align) {
            current = Align{};
        }
        return true;
    }
    return false;
}

void ApplyFlag(cmcCellObj& cell, char c, bool set) {
    for (const FlagChar& f : kFlagChars) {
        if (f.c == c) {
            cell.*f.flag = set;
            return;
        }
    }
    if (!ApplyAlign(kHAlignChars, c, set, cell.hAlign)) ApplyAlign(kVAlignChars, c, set, cell.vAlign);
}

void ApplyMarkupAt(cmcCellObj& cell, std::string_view markup, int& models) {
    bool negate = false;
    for (std::size_t i = 0; i < markup.size();) {
        const char c = markup[i];
        if (IsLeadByte(c)) {
            i += CharLength(markup, i);
        } else if (c == '\\') {
            i += 2;
        } else if (c == '(') {
            const std::size_t end = std::min(FindUnescaped(markup, ')', i + 1), markup.size());
            const std::string_view group = markup.substr(i + 1, end - i - 1);
            if (!group.empty()) ApplyGroup(cell, group, models);
            i = end + 1;
        } else if (c == '!') {
            negate = true;
            ++i;
            continue;
        } else {
            ApplyFlag(cell, c, !negate);
            ++i;
        }
        negate = false;
    }
}

bool IsTrimmed(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u <= 0x20 || u == 0x7F;
}

// "\(@chN+k)": the counter's value plus k, at most six characters.
std::size_t AppendCounterEscape(const cmcCellObj& cell, std::string_view text, std::size_t from, std::string& out) {
    const std::size_t close = FindChar(text, ")", from);
    if (close == std::string_view::npos) platform::fatalStop(kCounterEscapeError);
    const std::string_view inner = text.substr(from, close - from);
    const std::int32_t counter = Counter(cell, inner);
    std::string_view rest = inner.substr(4);
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    const std::int32_t add = !rest.empty() && rest.front() == '+' ? ParseNumber(rest.substr(1)) : 0;
    out += std::to_string(WrappingAdd(counter, add)).substr(0, 6);
    return close + 1;
}

void ApplyContent(cmcCellObj& cell, std::string_view text) {
    while (!text.empty() && IsTrimmed(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsTrimmed(text.back())) text.remove_suffix(1);

    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] != '\\') {
            const std::size_t n = CharLength(text, i);
            out.append(text.substr(i, n));
            i += n;
            continue;
        }
        if (++i >= text.size()) break;  // a lone backslash at the end
        switch (text[i]) {
            case 'n':
            case 'N':
                out += '\n';
                ++i;
                break;
            case '_':
                out += ' ';
                ++i;
                break;
            case '(':
                i = AppendCounterEscape(cell, text, i + 1, out);
                break;
            default: {
                const std::size_t n = CharLength(text, i);
                out.append(text.substr(i, n));
                i += n;
            }
        }
    }
    if (out.empty()) {
        cell.content.reset();
    } else {
        cell.content = std::move(out);
    }
}

// The counters belong to the cell only while it is parsed, even when a fatal stop's
// presenter leaves by an exception (as under the fuzzer).
struct CountersWhileParsing {
    CountersWhileParsing(cmcCellObj& c, CellCounters* counters) : cell(c) { cell.counters = counters; }
    ~CountersWhileParsing() { cell.counters = nullptr; }
    cmcCellObj& cell;
};

}  // namespace

void cmcCellObj::ResetTo(const cmcCellObj* base) {
    if (base == this) {
        font.reset();
        popupMenu.reset();
        return;
    }
    if (base) {
        *this = *base;
        font.reset();
        popupMenu.reset();
    } else {
        *this = cmcCellObj{};
    }
    baseModel = base;
    counters = nullptr;
}

const std::string* cmcCellObj::PopupMenuName() const {
    // Base models form a short chain (a cell and its sheet's basic cell); the bound only
    // guards against a cell made its own model.
    int steps = 0;
    for (const cmcCellObj* c = this; c && steps < 64; c = c->baseModel, ++steps) {
        if (c->popupMenu) return &*c->popupMenu;
    }
    return nullptr;
}

CellSplit SplitCell(std::string_view row) {
    const std::size_t bar = FindUnescaped(row, '|');
    if (bar == std::string_view::npos) return {row, row.substr(row.size())};
    return {row.substr(0, bar), row.substr(bar + 1)};
}

std::string_view ParseCell(cmcCellObj& cell, std::string_view text, CellCounters* counters, const cmcCellObj* base,
                           bool layoutOnly) {
    const CellSplit split = SplitCell(text);
    cell.ResetTo(base);
    if (layoutOnly) return split.rest;

    // Everything between braces is markup, everything else content; braces cannot be
    // escaped, so they switch even after a backslash.
    std::string markup, content;
    bool inMarkup = false;
    for (std::size_t i = 0; i < split.cell.size();) {
        const char c = split.cell[i];
        const std::size_t n = CharLength(split.cell, i);
        if (n == 1 && c == '{') {
            inMarkup = true;
        } else if (n == 1 && c == '}') {
            inMarkup = false;
        } else {
            (inMarkup ? markup : content).append(split.cell.substr(i, n));
        }
        i += n;
    }

    CountersWhileParsing parsing(cell, counters);
    int models = 0;
    ApplyMarkupAt(cell, markup, models);
    ApplyContent(cell, content);
    return split.rest;
}

void ApplyMarkup(cmcCellObj& cell, std::string_view markup) {
    int models = 0;
    ApplyMarkupAt(cell, markup, models);
}
