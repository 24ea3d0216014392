#include "app/cuiMenu.h"

#include "app/cuiMain.h"
#include "overlay/cmcGTex.h"
#include "values/ProcessCell.h"

#include <algorithm>

std::vector<std::string> OverlayBody(const std::string& key) {
    std::vector<std::string> lines;
    for (int n = 0;; ++n) {
        std::string line = GTex().GetLine(key, n);
        if (!line.empty() && line[0] == '#') break;
        lines.push_back(std::move(line));
    }
    return lines;
}

namespace {

std::unique_ptr<cmcCellObj> ParseBasicCell(const std::string& baseKey) {
    auto basic = std::make_unique<cmcCellObj>();
    ParseCell(*basic, GTex().GetLine(baseKey + "_BasicCell", 0), nullptr, nullptr);
    return basic;
}

// The state a cell reports for its item, with the item's defined caption and image as
// the starting point.
struct ItemState {
    std::uint32_t flags = 0;
    std::string caption;
    std::int32_t image = -1;
};

ItemState Evaluate(cuiMain& controller, cmcCellObj& cell, const std::string& caption) {
    cmcCellCapsule request;
    request.cell = &cell;
    ProcessCell(controller.Cells(), request);
    ItemState s;
    s.flags = request.stateFlags;
    s.caption = (request.stateFlags & kStateNewCaption) && request.displayText != caption ? request.displayText
                                                                                           : caption;
    s.image = request.imageIndex;
    return s;
}

// Popup-menu bodies nest by the indentation before an item's '+': the characters before it
// are the item's depth. The lines are rewritten in the main menu's notation, one more '+'
// per level, so that one outline builder serves both.
std::vector<std::string> PopupBody(const std::string& key) {
    std::vector<std::string> lines;
    for (std::string line : OverlayBody(key + "_Body")) {
        const auto plus = line.find('+');
        if (plus != std::string::npos) line = std::string(plus + 1, '+') + line.substr(plus + 1);
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<MenuShape> ShapeOf(const std::vector<cuiMenuItem>& items) {
    std::vector<MenuShape> shape;
    shape.reserve(items.size());
    for (const cuiMenuItem& item : items) shape.push_back({item.shown.caption == "-", ShapeOf(item.children)});
    return shape;
}

}  // namespace

cuiMenu::cuiMenu(cuiMain& controller, const std::string& baseKey, bool popup)
    : controller_(controller), basic_(ParseBasicCell(baseKey)) {
    items_ = Build(BuildOutline(popup ? PopupBody(baseKey) : OverlayBody(baseKey + "_Body")), basic_.get());
}

std::vector<cuiMenuItem> cuiMenu::Build(const std::vector<OutlineNode>& nodes, const cmcCellObj* basic) const {
    std::vector<cuiMenuItem> items;
    items.reserve(nodes.size());
    for (const OutlineNode& node : nodes) {
        cuiMenuItem item;
        ParseCell(item.cell, node.text, nullptr, basic);
        item.caption = item.cell.content.value_or("");
        item.shown.caption = item.caption;
        item.shown.shortcut = item.cell.parameter.value_or("");
        item.shown.imageIndex = item.cell.imageIndex;
        item.dynamic = item.cell.key.id == CellIdOf("CL_Menu_Edit_Top");
        item.children = Build(node.children, basic);
        items.push_back(std::move(item));
    }
    return items;
}

std::string cuiMenu::DynamicMenuKey() const {
    std::string key;
    if (auto reply = controller_.Events().Query(EvMsg::QueryPopupCell)) {
        key.assign(reply->data.begin(), reply->data.end());
        key.erase(std::find(key.begin(), key.end(), '\0'), key.end());
    }
    return key.empty() ? "GI_PMenu_NoItem" : key;
}

void cuiMenu::FillDynamic(cuiMenuItem& item) {
    // A submenu without items could not open again, so an empty popup menu shows the
    // "No item" one instead.
    for (std::string key : {DynamicMenuKey(), std::string("GI_PMenu_NoItem")}) {
        auto basic = std::shared_ptr<const cmcCellObj>(ParseBasicCell(key));
        std::vector<cuiMenuItem> children = Build(BuildOutline(PopupBody(key)), basic.get());
        if (children.empty()) continue;
        item.children = std::move(children);
        item.childBasic = std::move(basic);
        return;
    }
}

void cuiMenu::FillRecentFiles(cuiMenuItem& item) {
    // The recent files list as a submenu: item k opens file k ("&1 /path/name.tdf").
    item.children.clear();
    const indEnviron& settings = controller_.Settings();
    for (int i = 0; i < settings.RecentCount(); ++i) {
        cuiMenuItem file;
        file.cell = item.cell;
        file.cell.key.index = i + 1;
        file.cell.parameter.reset();
        file.caption = "&" + std::to_string((i + 1) % 10) + " " + settings.RecentItem(i);
        file.shown.caption = file.caption;
        file.generated = true;
        item.children.push_back(std::move(file));
    }
}

void cuiMenu::Update(std::vector<cuiMenuItem>& items) {
    for (cuiMenuItem& item : items) {
        if (!item.generated && item.cell.key.id == CellIdOf("CL_Menu_File_Recent")) FillRecentFiles(item);
        const ItemState s = Evaluate(controller_, item.cell, item.caption);
        item.shown.checked = (s.flags & kStateChecked) != 0;
        item.shown.hidden = (s.flags & kStateHidden) != 0;
        item.shown.disabled = (s.flags & kStateDisabled) != 0;
        item.shown.caption = s.caption;
        item.shown.imageIndex = s.image;
        Update(item.children);
    }
}

void cuiMenu::UpdateStates() { Update(items_); }

cuiMenuItem* cuiMenu::ItemAt(const ItemPath& path) { return NodeAtPath(items_, path); }

namespace {
cuiMenuItem* Find(std::vector<cuiMenuItem>& items, CellId id) {
    for (cuiMenuItem& item : items) {
        if (item.cell.key.id == id) return &item;
        if (cuiMenuItem* found = Find(item.children, id)) return found;
    }
    return nullptr;
}

MenuItemModel ToModel(const cuiMenuItem& item) {
    MenuItemModel m = item.shown;
    for (const cuiMenuItem& child : item.children) m.children.push_back(ToModel(child));
    return m;
}

std::vector<MenuItemModel> ToModels(const std::vector<cuiMenuItem>& items) {
    std::vector<MenuItemModel> out;
    out.reserve(items.size());
    for (const cuiMenuItem& item : items) out.push_back(ToModel(item));
    return out;
}
}  // namespace

cuiMenuItem* cuiMenu::FindCommand(CellId id) { return Find(items_, id); }

void cuiMenu::ClearSubmenu(CellId id) {
    if (cuiMenuItem* item = FindCommand(id)) item->children.clear();
}

void cuiMenu::FillSubmenu(CellId id, const std::string& key) {
    cuiMenuItem* item = FindCommand(id);
    if (!item) return;
    item->children = Build(BuildOutline(PopupBody(key)), basic_.get());
    item->childBasic.reset();
}

std::vector<MenuItemModel> cuiMenu::Model() const { return ToModels(items_); }

void cuiMenu::Show(MainView& view) {
    UpdateStates();
    std::vector<MenuShape> shape = ShapeOf(items_);
    if (built_ && *built_ == shape) {
        view.updateMenu({}, Model());
        return;
    }
    view.showMenu({}, Model());
    built_ = std::move(shape);
}

void cuiMenu::ShowSubmenu(MainView& view, const ItemPath& path) {
    cuiMenuItem* item = ItemAt(path);
    if (!item || !built_) return;
    if (item->dynamic) FillDynamic(*item);
    Update(item->children);
    std::vector<MenuShape> shape = ShapeOf(item->children);
    MenuShape* built = NodeAtPath(*built_, path);
    if (!built) return;  // the window's menu is older than this item; the next Show rebuilds it
    if (built->children == shape) {
        view.updateMenu(path, ToModels(item->children));
        return;
    }
    view.showMenu(path, ToModels(item->children));
    built->children = std::move(shape);
}

cuiToolBar::cuiToolBar(cuiMain& controller, const std::string& baseKey)
    : controller_(controller), basic_(ParseBasicCell(baseKey)) {
    for (const std::string& line : OverlayBody(baseKey + "_Body")) {
        cuiToolButton button;
        const std::size_t text = std::min(line.find_first_not_of('+'), line.size());
        ParseCell(button.cell, std::string_view(line).substr(text), nullptr, basic_.get());
        const std::string caption = button.cell.content.value_or("");
        if (caption == "-") {
            button.shown.kind = ToolButtonModel::Kind::Separator;
        } else if (caption == "/") {
            button.shown.kind = ToolButtonModel::Kind::WrapSeparator;
        } else {
            button.hasCell = button.cell.key.id != kNoCellId;
            button.shown.tooltip = caption;
            button.shown.imageIndex = button.cell.imageIndex;
        }
        buttons_.push_back(std::move(button));
    }
}

void cuiToolBar::UpdateStates() {
    for (cuiToolButton& b : buttons_) {
        if (b.shown.kind != ToolButtonModel::Kind::Button) continue;
        if (!b.hasCell) {
            b.shown.toggle = b.shown.pressed = false;
            continue;
        }
        const ItemState s = Evaluate(controller_, b.cell, b.shown.tooltip);
        b.shown.toggle = b.shown.pressed = (s.flags & kStateChecked) != 0;
        b.shown.disabled = (s.flags & kStateDisabled) != 0;
        b.shown.imageIndex = s.image;
    }
}

cuiToolButton* cuiToolBar::ButtonAt(int index) {
    return index >= 0 && index < static_cast<int>(buttons_.size()) ? &buttons_[static_cast<std::size_t>(index)]
                                                                    : nullptr;
}

void cuiToolBar::Show(MainView& view, bool visible) {
    UpdateStates();
    // The buttons come from the overlay once; only their states change afterwards.
    if (built_) {
        view.updateToolbar(Model(), visible);
    } else {
        view.showToolbar(Model(), visible);
        built_ = true;
    }
}

std::vector<ToolButtonModel> cuiToolBar::Model() const {
    std::vector<ToolButtonModel> out;
    for (const cuiToolButton& b : buttons_) out.push_back(b.shown);
    return out;
}
