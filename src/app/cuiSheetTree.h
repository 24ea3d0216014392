#pragma once
// The sheet tree: one node per line of GI_Tree_Main_ADJ_Body, nested by '+' levels. Each
// node keeps its cell, whose parameter text is the node's sheet reference (its link), and
// carries the error and warning marks of the warning check.

#include "app/MainView.h"
#include "overlay/cmcCellObj.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class cuiMain;

struct cuiTreeNode {
    cmcCellObj cell;
    TreeNodeModel shown;  // children excluded
    std::vector<cuiTreeNode> children;

    const std::string& Link() const;
    // The node flags that prune the tree: user flag n of the cell is bit 0x04 << n.
    std::uint32_t NodeFlags() const;
    // The bank a channel-bank node shows ("[St_ChBank]...,Bank n"), or -1 for other nodes.
    int BankNumber() const;
};

class cuiSheetTree {
public:
    static constexpr const char* kKey = "GI_Tree_Main_ADJ";

    explicit cuiSheetTree(cuiMain& controller);

    cuiTreeNode* Root() { return roots_.empty() ? nullptr : &roots_.front(); }
    std::vector<cuiTreeNode>& Roots() { return roots_; }
    cuiTreeNode* NodeAt(const ItemPath& path);
    // Paths of every node, depth first, parents before children.
    void ForEach(const std::function<void(cuiTreeNode&, const ItemPath&)>& visit);
    ItemPath FindLink(const std::string& link);

    // Deletes every node that `match` picks, with everything below it; `match` sees the node
    // and its parent (none for a root). The selection stays on its node, or moves to the first
    // node after it that is left (the last node left when none is), never onto a node that is
    // gone.
    void DeleteWhere(const std::function<bool(const cuiTreeNode& node, const cuiTreeNode* parent)>& match);
    void DeleteWhere(const std::function<bool(const cuiTreeNode&)>& match);

    const ItemPath& Selected() const { return selected_; }
    void SetSelected(const ItemPath& path) { selected_ = path; }

    // Sets the marks of every node: a node is marked when its link is listed, or when it is
    // collapsed and a node below it is marked; an error replaces a warning.
    void ApplyMarks(const std::vector<std::string>& errorLinks, const std::vector<std::string>& warningLinks);

    TreeNodeModel Model() const;
    const cmcCellObj& BasicCell() const { return *basic_; }

private:
    std::unique_ptr<cmcCellObj> basic_;
    std::vector<cuiTreeNode> roots_;
    ItemPath selected_;
};
