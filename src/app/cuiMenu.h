#pragma once
// The main menu and the toolbar, built from overlay texts. A base key K names two texts:
// K + "_BasicCell" (line 0: the markup every item starts from) and K + "_Body" (one item
// per line up to the first line that begins with '#'). Menu lines nest by their leading
// '+' characters; each item keeps its cell, whose identifier is its command.

#include "app/MainView.h"
#include "overlay/cmcCellObj.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class cuiMain;

// Lines 0, 1, ... of a key up to the first line that begins with '#'.
std::vector<std::string> OverlayBody(const std::string& key);

// A text of the toolkit's shortcut notation is kept as it is; the skin converts it.
struct cuiMenuItem {
    cmcCellObj cell;
    std::string caption;   // as defined; a cell with the new-caption flag replaces it
    MenuItemModel shown;   // what the window shows, children excluded
    std::vector<cuiMenuItem> children;
    bool generated = false;  // made by the program (recent files), not by the overlay
    // The children are made anew each time the submenu opens (see cuiMenu::DynamicMenuKey).
    bool dynamic = false;
    // The basic cell the children were made from when it is not the menu's own.
    std::shared_ptr<const cmcCellObj> childBasic;
};

// The structure of a menu as the window builds it: which items are separators and which
// have children. Two menus of the same shape differ only in states the window can change
// on the items it already has.
struct MenuShape {
    bool separator = false;
    std::vector<MenuShape> children;
    bool operator==(const MenuShape&) const = default;
};

class cuiMenu {
public:
    // `popup`: the body is a popup menu's, whose items nest by indentation.
    cuiMenu(cuiMain& controller, const std::string& baseKey, bool popup = false);

    // Evaluates every item's cell without an action and takes over its state flags,
    // caption and image.
    void UpdateStates();
    // The item at a path, or null.
    cuiMenuItem* ItemAt(const ItemPath& path);
    cuiMenuItem* FindCommand(CellId id);
    // Removes the submenu items under the item of that command.
    void ClearSubmenu(CellId id);
    // Fills the submenu under the item of that command from the lines of key + "_Body".
    void FillSubmenu(CellId id, const std::string& key);

    std::vector<MenuItemModel> Model() const;
    const std::vector<cuiMenuItem>& Items() const { return items_; }
    const cmcCellObj& BasicCell() const { return *basic_; }

    // Evaluates every item and shows the menu in the window: built anew when its shape
    // differs from the one the window has, else as new states of the items it has.
    void Show(MainView& view);
    // The submenu at `path` is about to open: a dynamic item takes its children now, the
    // children are evaluated, and the window rebuilds that submenu only if its shape changed.
    void ShowSubmenu(MainView& view, const ItemPath& path);
    // The popup menu whose items a dynamic item shows: the one of the open sheet's current
    // cell, else the menu that says there is nothing to do.
    std::string DynamicMenuKey() const;

private:
    std::vector<cuiMenuItem> Build(const std::vector<OutlineNode>& nodes, const cmcCellObj* basic) const;
    void Update(std::vector<cuiMenuItem>& items);
    void FillRecentFiles(cuiMenuItem& item);
    void FillDynamic(cuiMenuItem& item);

    cuiMain& controller_;
    std::unique_ptr<cmcCellObj> basic_;
    std::vector<cuiMenuItem> items_;
    std::optional<std::vector<MenuShape>> built_;  // what the window has, once it has a menu
};

struct cuiToolButton {
    cmcCellObj cell;
    bool hasCell = false;
    ToolButtonModel shown;
};

class cuiToolBar {
public:
    cuiToolBar(cuiMain& controller, const std::string& baseKey);
    // Each button's cell decides whether it is a pressed toggle, disabled, and its image.
    void UpdateStates();
    cuiToolButton* ButtonAt(int index);
    std::vector<ToolButtonModel> Model() const;
    const std::vector<cuiToolButton>& Buttons() const { return buttons_; }
    // Evaluates the buttons and shows them: the rows are built once, then only change state.
    void Show(MainView& view, bool visible);

private:
    cuiMain& controller_;
    std::unique_ptr<cmcCellObj> basic_;
    std::vector<cuiToolButton> buttons_;
    bool built_ = false;
};
