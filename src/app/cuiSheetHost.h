#pragma once
// The sheet shown in the right panel and the memory of earlier sheets' view positions. It
// chooses the sheet kind of a reference, builds the sheet from the overlay, remembers the
// position of a sheet when it closes, and restores it when the same reference opens again.
// It is also the sheet's site: it turns what the sheet tells into numbered messages, and
// hands the messages meant for the open sheet (redraws, the editor commit, the bank
// sheet's queries) to it. It also builds the sheets that windows of their own show (the
// measured values, the clone information) and the selection lists cells open as popups;
// those read the program as the open sheet does, but the Edit menu and the current-cell
// message stay the open sheet's.

#include "app/MainLayout.h"
#include "app/MainView.h"
#include "sheets/cuiSheet.h"

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

class cuiMain;
class cuiMenu;
struct cmcEvMessage;

// Remembered view position of a closed sheet.
struct SheetMemory {
    std::string ref;
    std::int32_t topRow = 0, leftCol = 0, curRow = 0, curCol = 0;
};

// The open sheet: its reference and kind, the position to restore, and the built sheet
// (none while the host has no controller, as in tests of the memory alone).
struct OpenSheet {
    enum class Kind { Plain, ChBank, Common, Repeater };
    std::string ref;
    SheetRef parsed;
    Kind kind = Kind::Plain;
    std::int32_t topRow = 0, leftCol = 0, curRow = 0, curCol = 0;
    bool remembered = false;
    std::unique_ptr<cuiSheet> grid;
};

class cuiSheetHost final : public cuiSheetSite {
public:
    cuiSheetHost();
    ~cuiSheetHost() override;
    cuiSheetHost(const cuiSheetHost&) = delete;
    cuiSheetHost& operator=(const cuiSheetHost&) = delete;

    // From now on sheets are built for this controller, and its messages reach them.
    void Attach(cuiMain& controller);

    // The kind of sheet a reference opens: the style decides, else a link whose options
    // begin with R opens the repeater-site sheet.
    static OpenSheet::Kind KindOf(const SheetRef& ref);

    // Closes the open sheet (remembering its position) and opens `ref` where it was left,
    // measuring texts with `metrics` (null: fixed metrics).
    OpenSheet& Open(const std::string& ref, const TextMetrics* metrics = nullptr);
    // Closes the open sheet and remembers its position; false when none was open.
    bool Close();
    // Drops the open sheet without remembering it (the window is going away).
    void Discard();
    // Frees closed sheets. A sheet may be closed from inside its own action (a command that
    // changes the model or the font size), so a closed sheet is kept until the controller's
    // next tick, when no call of it can be running.
    void FreeClosed() { closed_.clear(); }

    OpenSheet* Sheet() { return sheet_.get(); }
    const OpenSheet* Sheet() const { return sheet_.get(); }
    // The built sheet, or null.
    cuiSheet* Grid() { return sheet_ ? sheet_->grid.get() : nullptr; }
    // Most recently closed first; one entry per reference.
    const std::list<SheetMemory>& Memory() const { return memory_; }

    // The popup menu of the current cell of `sheet` (the open sheet when null), built from
    // the overlay, and a click on one of its items: an action with code 0 on the current
    // cell of the sheet the menu was built for.
    std::vector<MenuItemModel> PopupModel(cuiSheet* sheet = nullptr);
    void PopupClick(const ItemPath& item);

    // --- Sheets in windows of their own ----------------------------------------------
    // Builds the sheet `key` for its window, or gives the one already built.
    cuiSheet* OpenWindowSheet(const std::string& key, const TextMetrics* metrics = nullptr);
    cuiSheet* WindowSheet(const std::string& key);
    // The window closes: the sheet stops and is freed on the controller's next tick.
    void CloseWindowSheet(const std::string& key);

    // --- cuiSheetSite --------------------------------------------------------------
    CellContext* Cells() override;
    RowConditions Conditions() const override;
    std::int32_t FontSizePercentage() const override;
    void CommandsChanged() override;
    void EditMenuCleared() override;
    void EditMenuFilled(const std::string& popupMenu) override;
    void CurrentCellChanged(const CellKey& key) override;
    void StatusCleared() override;
    std::unique_ptr<cuiSheet> MakeChoiceList(const std::string& listSheet, CellId listKind,
                                             std::int32_t value) override;

private:
    // The site of window sheets and selection lists: reads as the host, tells only that
    // commands may have changed.
    class SideSite final : public cuiSheetSite {
    public:
        explicit SideSite(cuiSheetHost& host) : host_(host) {}
        CellContext* Cells() override { return host_.Cells(); }
        RowConditions Conditions() const override { return host_.Conditions(); }
        std::int32_t FontSizePercentage() const override { return host_.FontSizePercentage(); }
        void CommandsChanged() override { host_.CommandsChanged(); }
        std::unique_ptr<cuiSheet> MakeChoiceList(const std::string& listSheet, CellId listKind,
                                                 std::int32_t value) override {
            return host_.MakeChoiceList(listSheet, listKind, value);
        }

    private:
        cuiSheetHost& host_;
    };

    void OnEvent(cmcEvMessage& m);
    static void Deliver(cuiSheet& sheet, const cmcEvMessage& m);
    std::unique_ptr<cuiSheet> Build(const OpenSheet& open, const TextMetrics* metrics);

    cuiMain* controller_ = nullptr;
    std::unique_ptr<OpenSheet> sheet_;
    std::list<SheetMemory> memory_;
    std::unique_ptr<cuiMenu> popup_;
    cuiSheet* popupSheet_ = nullptr;  // the sheet popup_ was built for
    std::vector<std::unique_ptr<cuiSheet>> closed_;
    SideSite side_{*this};
    std::map<std::string, std::unique_ptr<cuiSheet>> windowSheets_;
};
