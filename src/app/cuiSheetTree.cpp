#include "app/cuiSheetTree.h"

#include "app/ModelRules.h"
#include "app/cuiMain.h"
#include "app/cuiMenu.h"
#include "overlay/cmcGTex.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace {

const std::string kNoLink;

std::vector<cuiTreeNode> Build(const std::vector<OutlineNode>& nodes, const cmcCellObj* basic,
                               const std::string& family) {
    std::vector<cuiTreeNode> out;
    out.reserve(nodes.size());
    for (const OutlineNode& n : nodes) {
        cuiTreeNode node;
        ParseCell(node.cell, n.text, nullptr, basic);
        // A link may name the model family with "%s" (the bank sheets differ by family),
        // so that one tree serves every model kind and its links match the warning check's.
        if (node.cell.parameter) {
            if (auto at = node.cell.parameter->find("%s"); at != std::string::npos)
                node.cell.parameter->replace(at, 2, family);
        }
        node.shown.text = node.cell.content.value_or("");
        node.shown.imageIndex = node.cell.imageIndex;
        node.children = Build(n.children, basic, family);
        out.push_back(std::move(node));
    }
    return out;
}

void Walk(std::vector<cuiTreeNode>& nodes, ItemPath& path,
          const std::function<void(cuiTreeNode&, const ItemPath&)>& visit) {
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        path.push_back(static_cast<int>(i));
        visit(nodes[i], path);
        Walk(nodes[i].children, path, visit);
        path.pop_back();
    }
}

using NodeMatch = std::function<bool(const cuiTreeNode&, const cuiTreeNode*)>;

void Delete(std::vector<cuiTreeNode>& nodes, const cuiTreeNode* parent, const NodeMatch& match) {
    for (auto it = nodes.begin(); it != nodes.end();) {
        if (match(*it, parent)) {
            it = nodes.erase(it);
        } else {
            Delete(it->children, &*it, match);
            ++it;
        }
    }
}

// Which nodes stay, in depth-first order, and the position of the selected one. A node
// below one that goes goes with it.
void Survey(const std::vector<cuiTreeNode>& nodes, const cuiTreeNode* parent, bool parentStays,
            const NodeMatch& match, const ItemPath& selected, ItemPath& path, std::vector<bool>& stays,
            std::optional<std::size_t>& selectedAt) {
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        path.push_back(static_cast<int>(i));
        const bool stay = parentStays && !match(nodes[i], parent);
        if (path == selected) selectedAt = stays.size();
        stays.push_back(stay);
        Survey(nodes[i].children, &nodes[i], stay, match, selected, path, stays, selectedAt);
        path.pop_back();
    }
}

bool Listed(const std::vector<std::string>& links, const std::string& link) {
    return !link.empty() &&
           std::any_of(links.begin(), links.end(), [&](const std::string& l) { return SameSheetRef(l, link); });
}

// Returns the strongest mark at or below the node: 2 error, 1 warning, 0 none.
int Mark(cuiTreeNode& node, const std::vector<std::string>& errors, const std::vector<std::string>& warnings) {
    int below = 0;
    for (cuiTreeNode& child : node.children) below = std::max(below, Mark(child, errors, warnings));
    int own = Listed(errors, node.Link()) ? 2 : Listed(warnings, node.Link()) ? 1 : 0;
    if (!node.shown.expanded) own = std::max(own, below);
    node.shown.error = own == 2;
    node.shown.warning = own == 1;
    return std::max(own, below);
}

TreeNodeModel ToModel(const cuiTreeNode& node) {
    TreeNodeModel m = node.shown;
    for (const cuiTreeNode& child : node.children) m.children.push_back(ToModel(child));
    return m;
}

}  // namespace

const std::string& cuiTreeNode::Link() const { return cell.parameter ? *cell.parameter : kNoLink; }

std::uint32_t cuiTreeNode::NodeFlags() const {
    std::uint32_t flags = 0;
    for (int n = 0; n < cmcCellObj::kUserFlags; ++n) {
        if (cell.userFlags[static_cast<std::size_t>(n)]) flags |= 0x04u << n;
    }
    return flags;
}

int cuiTreeNode::BankNumber() const {
    const SheetRef ref = ParseSheetRef(Link());
    if (!SameSheetRef(ref.style, "St_ChBank") || ref.options.rfind("Bank ", 0) != 0) return -1;
    const char* digits = ref.options.c_str() + 5;
    char* end = nullptr;
    const long bank = std::strtol(digits, &end, 10);
    return end != digits && *end == '\0' && bank >= 0 && bank < 128 ? static_cast<int>(bank) : -1;
}

cuiSheetTree::cuiSheetTree(cuiMain& controller) : basic_(std::make_unique<cmcCellObj>()) {
    const std::string key = kKey;
    ParseCell(*basic_, GTex().GetLine(key + "_BasicCell", 0), nullptr, nullptr);
    roots_ = Build(BuildOutline(OverlayBody(key + "_Body")), basic_.get(),
                   model::familyText(controller.ModelKind()));
    if (!roots_.empty()) roots_.front().shown.expanded = true;
}

cuiTreeNode* cuiSheetTree::NodeAt(const ItemPath& path) { return NodeAtPath(roots_, path); }

void cuiSheetTree::ForEach(const std::function<void(cuiTreeNode&, const ItemPath&)>& visit) {
    ItemPath path;
    Walk(roots_, path, visit);
}

ItemPath cuiSheetTree::FindLink(const std::string& link) {
    ItemPath found;
    ForEach([&](cuiTreeNode& node, const ItemPath& path) {
        if (found.empty() && node.Link() == link) found = path;
    });
    return found;
}

void cuiSheetTree::DeleteWhere(const std::function<bool(const cuiTreeNode&)>& match) {
    DeleteWhere([&match](const cuiTreeNode& node, const cuiTreeNode*) { return match(node); });
}

void cuiSheetTree::DeleteWhere(const NodeMatch& match) {
    std::vector<bool> stays;
    std::optional<std::size_t> selectedAt;
    ItemPath path;
    Survey(roots_, nullptr, true, match, selected_, path, stays, selectedAt);
    Delete(roots_, nullptr, match);
    if (!selectedAt) return;  // the selection named no node: nothing to keep it on

    // The node to select, by its depth-first position before the deletion.
    std::optional<std::size_t> target;
    for (std::size_t i = *selectedAt; i < stays.size() && !target; ++i) {
        if (stays[i]) target = i;
    }
    for (std::size_t i = *selectedAt; i > 0 && !target; --i) {
        if (stays[i - 1]) target = i - 1;
    }
    selected_.clear();
    if (!target) return;
    // Its position among the nodes left is the number of those left before it.
    const auto before = stays.begin() + static_cast<std::ptrdiff_t>(*target);
    const auto wanted = static_cast<std::size_t>(std::count(stays.begin(), before, true));
    std::size_t at = 0;
    ForEach([&](cuiTreeNode&, const ItemPath& p) {
        if (at++ == wanted) selected_ = p;
    });
}

void cuiSheetTree::ApplyMarks(const std::vector<std::string>& errorLinks,
                              const std::vector<std::string>& warningLinks) {
    for (cuiTreeNode& root : roots_) Mark(root, errorLinks, warningLinks);
}

TreeNodeModel cuiSheetTree::Model() const { return roots_.empty() ? TreeNodeModel{} : ToModel(roots_.front()); }
