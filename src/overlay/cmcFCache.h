#pragma once
// Selection lists: the choices of a value, written as the cells of a selection sheet.
// Every cell of S + "_Cells" bound to identifier K is one choice: its index is the value,
// its parameter text (or else its content) the text. SelectionText turns a value into its
// text; SelectionStep moves through the choices in reading order, column by column.
// A list is built at its first use and kept for the rest of the run.

#include "overlay/CellNames.h"
#include "overlay/cmcHash.h"
#include "platform/Installed.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct SelectionEntry {
    std::int32_t row;
    std::int32_t column;
    std::int32_t value;
    std::string text;
};

struct SelectionList {
    std::vector<SelectionEntry> byValue;   // ascending; equal values in reading order
    std::vector<SelectionEntry> byColumn;  // column by column, each from the top
};

// The table of built lists, keyed by "S#K".
class cmcHash2 : public cmcHashTable<SelectionList> {
public:
    explicit cmcHash2(std::uint32_t buckets = 0) : cmcHashTable(buckets, "Overlapped Hash2 table.") {}
};

class cmcFCache {
public:
    // The list of sheet S for identifier K, read from the global store at its first use.
    const SelectionList& List(std::string_view sheet, CellId id);

    // The text of a value, or "error" when it is no choice of the list.
    std::string Text(std::string_view sheet, CellId id, std::int32_t value);
    // The value `step` choices away from `value`, column by column; past the last choice it
    // wraps to the first, before the first to the last. A value that is no choice gives
    // the first choice (and an empty list gives the value back).
    std::int32_t Step(std::string_view sheet, CellId id, std::int32_t value, std::int32_t step);

private:
    cmcHash2 lists_;
};

// The process-wide registry, and a scope that installs another one (for tests).
cmcFCache& FCache();

using ScopedFCache = platform::ScopedInstall<cmcFCache>;

std::string SelectionText(std::string_view sheet, CellId id, std::int32_t value);
std::int32_t SelectionStep(std::string_view sheet, CellId id, std::int32_t value, std::int32_t step);
