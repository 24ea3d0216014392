#pragma once
// The sheet shown in the right panel and the memory of earlier sheets' view positions. It
// chooses the sheet kind of a reference, remembers the position of a sheet when it closes,
// and restores it when the same reference opens again.

#include "app/MainLayout.h"

#include <cstdint>
#include <list>
#include <memory>
#include <string>

// Remembered view position of a closed sheet.
struct SheetMemory {
    std::string ref;
    std::int32_t topRow = 0, leftCol = 0, curRow = 0, curCol = 0;
};

// The open sheet. Until sheets are built from the overlay it names the sheet it stands for.
struct OpenSheet {
    enum class Kind { Plain, ChBank, Common, Repeater };
    std::string ref;
    SheetRef parsed;
    Kind kind = Kind::Plain;
    std::int32_t topRow = 0, leftCol = 0, curRow = 0, curCol = 0;
};

class cuiSheetHost {
public:
    // The kind of sheet a reference opens: the style decides, else a link whose options
    // begin with R opens the repeater-site sheet.
    static OpenSheet::Kind KindOf(const SheetRef& ref);

    // Closes the open sheet (remembering its position) and opens `ref` where it was left.
    OpenSheet& Open(const std::string& ref);
    // Closes the open sheet and remembers its position; false when none was open.
    bool Close();
    // Drops the open sheet without remembering it (the window is going away).
    void Discard() { sheet_.reset(); }

    OpenSheet* Sheet() { return sheet_.get(); }
    const OpenSheet* Sheet() const { return sheet_.get(); }
    // Most recently closed first; one entry per reference.
    const std::list<SheetMemory>& Memory() const { return memory_; }

private:
    std::unique_ptr<OpenSheet> sheet_;
    std::list<SheetMemory> memory_;
};
