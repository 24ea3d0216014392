#pragma once
// A window that records what the controller shows, and helpers to read its menu.

#include "app/MainView.h"
#include "app/cmcEvMan.h"

#include <optional>
#include <string>
#include <vector>

struct FakeView : MainView {
    std::string title;
    std::vector<MenuItemModel> menu;
    std::vector<ToolButtonModel> toolbar;
    bool toolbarVisible = false;
    std::optional<TreeNodeModel> tree;
    ItemPath selected;
    StatusModel status;
    std::string sheetKey, sheetCaption;
    std::int32_t treeWidth = 0;
    bool visible = true, enabled = true, closeRequested = false;
    std::optional<WinRect> bounds = WinRect{10, 20, 700, 500};

    // "show P" builds the items under path P anew, "update P" only gives them new states.
    std::vector<std::string> menuCalls;
    int toolbarBuilds = 0;

    static std::string Path(const ItemPath& p) {
        std::string s;
        for (int i : p) s += std::to_string(i) + ".";
        return s;
    }
    void putMenu(const ItemPath& p, const std::vector<MenuItemModel>& items) {
        if (p.empty()) {
            menu = items;
        } else if (MenuItemModel* item = NodeAtPath(menu, p)) {
            item->children = items;
        }
    }

    void setTitle(const std::string& t) override { title = t; }
    void showMenu(const ItemPath& p, const std::vector<MenuItemModel>& items) override {
        menuCalls.push_back("show " + Path(p));
        putMenu(p, items);
    }
    void updateMenu(const ItemPath& p, const std::vector<MenuItemModel>& items) override {
        menuCalls.push_back("update " + Path(p));
        putMenu(p, items);
    }
    void showToolbar(const std::vector<ToolButtonModel>& b, bool v) override {
        ++toolbarBuilds;
        toolbar = b;
        toolbarVisible = v;
    }
    void updateToolbar(const std::vector<ToolButtonModel>& b, bool v) override {
        toolbar = b;
        toolbarVisible = v;
    }
    void showTree(const TreeNodeModel* root) override {
        if (root) tree = *root; else tree.reset();
    }
    void updateTreeNode(const ItemPath&, const TreeNodeModel&) override {}
    void setTreeLook(const cmcFont&, std::uint32_t) override {}
    void selectTreeNode(const ItemPath& p) override { selected = p; }
    void showStatus(const StatusModel& s) override { status = s; }
    void showSheet(const std::string& key, const std::string& caption) override {
        sheetKey = key;
        sheetCaption = caption;
    }
    void setTreePanelWidth(std::int32_t w) override { treeWidth = w; }
    bool isVisible() const override { return visible; }
    bool isEnabled() const override { return enabled; }
    void setEnabled(bool e) override { enabled = e; }
    std::optional<WinRect> restoredBounds() const override { return bounds; }
    std::int32_t treePanelWidth() const override { return treeWidth; }
    void requestClose() override { closeRequested = true; }
};

// The menu as text, submenus in brackets: "&Port(COM&1 COM&2*)"; '*' marks a checked
// item, '~' a disabled one.
inline std::string Shape(const std::vector<MenuItemModel>& items) {
    std::string s;
    for (const MenuItemModel& m : items) {
        s += m.caption + (m.checked ? "*" : "") + (m.disabled ? "~" : "");
        if (!m.children.empty()) s += "(" + Shape(m.children) + ")";
        s += " ";
    }
    if (!s.empty()) s.pop_back();
    return s;
}

inline ItemPath PathOf(const std::vector<MenuItemModel>& items, const std::string& caption, ItemPath at = {}) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        at.push_back(static_cast<int>(i));
        if (items[i].caption == caption) return at;
        if (ItemPath found = PathOf(items[i].children, caption, at); !found.empty()) return found;
        at.pop_back();
    }
    return {};
}

// Stands for the open sheet: answers which popup menu its current cell has.
struct PopupSheet {
    explicit PopupSheet(cmcEvMan& ev) : events(ev) { events.Subscribe(&OnEvent, this); }
    ~PopupSheet() { events.Unsubscribe(&OnEvent, this); }
    static void OnEvent(void* self, cmcEvMessage& m) {
        auto* sheet = static_cast<PopupSheet*>(self);
        if (m.type == EvMsg::QueryPopupCell)
            sheet->events.Reply(0, 0, sheet->popup.data(), static_cast<std::int32_t>(sheet->popup.size()));
    }
    cmcEvMan& events;
    std::string popup;
};

