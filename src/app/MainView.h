#pragma once
// The main window as the controller sees it: view models of the menu, the toolbar, the
// sheet tree and the status bar, and the small interface through which the controller
// asks the window to show them. The Qt skin implements `MainView`; tests use a fake.

#include "app/MainLayout.h"
#include "overlay/cmcFont.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class cuiSheetHost;
class TextMetrics;
class CloneView;

// Result flags of a cell evaluation that menus, toolbar buttons and tree nodes mirror.
enum CellFlag : std::uint32_t {
    kCellChecked = 1u << 2,
    kCellHidden = 1u << 3,
    kCellDisabled = 1u << 4,
    kCellNewCaption = 1u << 5,
};

// The tree's marks reuse two of those bits: a warning (bit 2) or an error (bit 3).
enum CellMark : std::uint32_t {
    kMarkWarning = 1u << 2,
    kMarkError = 1u << 3,
};

struct MenuItemModel {
    std::string caption;
    std::string shortcut;  // the toolkit's shortcut-text notation, e.g. "Ctrl+S"
    std::int32_t imageIndex = -1;
    bool checked = false;
    bool hidden = false;
    bool disabled = false;
    std::vector<MenuItemModel> children;
};

struct ToolButtonModel {
    enum class Kind { Button, Separator, WrapSeparator };
    Kind kind = Kind::Button;
    std::string tooltip;
    std::int32_t imageIndex = -1;
    bool toggle = false;   // shown as a toggle button...
    bool pressed = false;  // ...pressed when checked
    bool disabled = false;
};

struct TreeNodeModel {
    std::string text;
    std::int32_t imageIndex = -1;
    bool error = false;
    bool warning = false;
    bool expanded = false;
    std::vector<TreeNodeModel> children;
};

// Addresses a node of the tree or an item of the menu: child indexes from the top.
using ItemPath = std::vector<int>;

// The node a path leads to among `roots` (nodes with `children`), or null.
template <class Node>
Node* NodeAtPath(std::vector<Node>& roots, const ItemPath& path) {
    std::vector<Node>* level = &roots;
    Node* node = nullptr;
    for (int i : path) {
        if (i < 0 || i >= static_cast<int>(level->size())) return nullptr;
        node = &(*level)[static_cast<std::size_t>(i)];
        level = &node->children;
    }
    return node;
}

struct StatusModel {
    std::string text;
    std::uint32_t textColour = 0x80000008;        // clWindowText
    std::uint32_t backgroundColour = 0x8000000F;  // clBtnFace
};

class MainView {
public:
    virtual ~MainView() = default;
    virtual void setTitle(const std::string& title) = 0;
    // The menu is built once and then only changes state. `showMenu` builds the items under
    // `path` (empty: the menu bar; else a submenu, which itself stays) anew: an item
    // captioned "-" is a separator, one with children a submenu. `updateMenu` gives the items
    // built there their new caption, shortcut, image, checked, hidden and disabled states;
    // `items` has the shape built last. The controller decides which of the two it needs.
    virtual void showMenu(const ItemPath& path, const std::vector<MenuItemModel>& items) = 0;
    virtual void updateMenu(const ItemPath& path, const std::vector<MenuItemModel>& items) = 0;
    // The same for the toolbar: `showToolbar` builds its rows, `updateToolbar` changes the
    // buttons' states and shows or hides the rows where the user docked them.
    virtual void showToolbar(const std::vector<ToolButtonModel>& buttons, bool visible) = 0;
    virtual void updateToolbar(const std::vector<ToolButtonModel>& buttons, bool visible) = 0;
    virtual void showTree(const TreeNodeModel* root) = 0;     // null: no tree
    // The tree's font and background, from the tree's basic cell.
    virtual void setTreeLook(const cmcFont& font, std::uint32_t background) = 0;
    virtual void updateTreeNode(const ItemPath& path, const TreeNodeModel& node) = 0;
    virtual void selectTreeNode(const ItemPath& path) = 0;
    virtual void showStatus(const StatusModel& status) = 0;
    // The sheet area shows the sheet of this reference, or nothing when empty.
    virtual void showSheet(const std::string& sheetKey, const std::string& caption) = 0;
    // The built sheet to show (null: none). The window reads the sheet through the host
    // while it shows it, and lets go of it before the host destroys the sheet.
    virtual void attachSheet(cuiSheetHost* /*host*/) {}
    // How the window measures sheet texts (null: fixed metrics).
    virtual const TextMetrics* sheetMetrics() const { return nullptr; }
    virtual void setTreePanelWidth(std::int32_t width) = 0;
    virtual bool isVisible() const = 0;
    virtual bool isEnabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    // The bounds the window has when restored (not maximised or minimised), if known.
    virtual std::optional<WinRect> restoredBounds() const = 0;
    virtual std::int32_t treePanelWidth() const = 0;
    virtual void requestClose() = 0;
    // The clone commands' windows; none (the commands run without them) by default.
    virtual CloneView* cloneView() { return nullptr; }
};

// What the window reports to the controller. Paths address menu items and tree nodes.
class MainEvents {
public:
    virtual ~MainEvents() = default;
    virtual void OnShow() = 0;
    virtual void OnMenuClick(const ItemPath& item) = 0;
    // The submenu of that item is about to open: its children get their current states,
    // and an item whose children the program makes fills itself now.
    virtual void OnMenuAboutToShow(const ItemPath& item) = 0;
    virtual void OnToolClick(int button) = 0;
    virtual void OnTreeSelect(const ItemPath& node) = 0;
    virtual void OnTreeExpand(const ItemPath& node, bool expanded) = 0;
    // False refuses the close.
    virtual bool OnCloseQuery() = 0;
    virtual void OnClose() = 0;
    virtual void OnActivate(bool active) = 0;
    // The Cancel button of the progress window.
    virtual void OnCancelClone() {}
    // The measured-values window's Update button, and its closing (false refuses it).
    virtual void OnMeasuredValuesUpdate() {}
    virtual bool OnMeasuredValuesClose(const WinRect& /*placement*/) { return true; }
    virtual void OnCloneInformationClose() {}
};
