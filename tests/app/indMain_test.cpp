// The model controller on a small tree fixture: which nodes each model kind keeps, where the
// selection goes when its node is pruned, and the newer-data lock on received data.
#include "app/cuiSheetTree.h"
#include "app/indMain.h"
#include "platform/doubles/ScriptedDialogs.h"
#include "platform/doubles/VirtualScheduler.h"
#include "support/OverlayFragment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// One node per pruning flag (Flag n is node flag 0x04 << n), flags on nested nodes, the
// memory-channel node with a child, and a node whose link only contains that node's key.
const std::vector<std::string> kTreeOverlay = {
    "#GI_Tree_Main_ADJ_BasicCell",
    "{}",
    "#GI_Tree_Main_ADJ_Body",
    "+Radio\t{(%CallSheet:Radio)}",
    "++Common\t{(%CallSheet:Common)}",
    "++Maker\t{(Flag0=1)(%CallSheet:Maker)}",
    "+++Maker Page\t{(%CallSheet:MakerPage)}",
    "++Lmr\t{(Flag1=1)(%CallSheet:Lmr)}",
    "+++Lmr Digital\t{(Flag4=1)(%CallSheet:LmrDigital)}",
    "++Not Lmr\t{(Flag2=1)(%CallSheet:NotLmr)}",
    "+++Never\t{(Flag1=1)(%CallSheet:Never)}",
    "+++Not Lmr Page\t{(%CallSheet:NotLmrPage)}",
    "++Biis\t{(Flag3=1)(%CallSheet:Biis)}",
    "++Digital\t{(Flag4=1)(%CallSheet:Digital)}",
    "++Memory\t{(%CallSheet:GI_Sheet_Memory_CH_Top)}",
    "+++Channel 1\t{(%CallSheet:Channel1)}",
    "++Memory List\t{(%CallSheet:[St_List]GI_Sheet_Memory_CH_Top,All)}",
    "+++Channel List\t{(%CallSheet:ChannelList)}",
    "++Last\t{(%CallSheet:Last)}",
    "++Tail Digital\t{(Flag4=1)(%CallSheet:TailDigital)}",
    "#GI_AppInd_ModelTree",
    " k0", " k1", " k2", " k3", " k4", " k5", " k6", " k7",
    "#GI_WarningCheckList",
    "#GI_Sys_LockoutNewerData",
    "1",
};

// The maker-mode flag has no command of its own; a test sets it from here.
class MakerSwitch : public indMain {
public:
    using indMain::indMain;
    void SetMakerMode(bool on) { makerMode_ = on; }
};

class ModelControllerTest : public ::testing::Test {
protected:
    explicit ModelControllerTest(std::vector<std::string> overlay = kTreeOverlay) : overlay_(std::move(overlay)) {}

    std::vector<std::string> Links() {
        std::vector<std::string> links;
        controller.Tree()->ForEach([&](cuiTreeNode& node, const ItemPath&) { links.push_back(node.Link()); });
        return links;
    }
    std::string SelectedLink() {
        const cuiTreeNode* node = controller.Tree()->NodeAt(controller.Tree()->Selected());
        return node ? node->Link() : "(none)";
    }

    platform::ScopedVirtualTime time;
    platform::ScopedScriptedDialogs dialogs;
    platform::SettingsTree store;
    platform::MemoryInstanceLock lock;
    indEnviron settings{indEnviron::kMutexName, store, lock, {1024, 768}};
    testsupport::ScopedOverlay overlay_;
    cmcEvMan events;
    MakerSwitch controller{settings, events};
};

TEST_F(ModelControllerTest, EachModelKindKeepsExactlyItsNodes) {
    const std::vector<std::string> common = {"Radio", "Common"};
    const std::vector<std::string> tail = {"GI_Sheet_Memory_CH_Top", "[St_List]GI_Sheet_Memory_CH_Top,All",
                                           "ChannelList", "Last"};
    struct Case {
        int kind;
        std::vector<std::string> own;  // between Common (and the maker's nodes) and Memory
        std::vector<std::string> digitalTail;
    };
    const std::vector<std::string> lmr = {"Lmr"}, lmrP25 = {"Lmr", "LmrDigital", "Digital"};
    const std::vector<std::string> pmr = {"NotLmr", "NotLmrPage"}, biis = {"NotLmr", "NotLmrPage", "Biis"};
    const Case cases[] = {
        {0, lmr, {}}, {1, lmrP25, {"TailDigital"}}, {2, pmr, {}}, {3, biis, {}},
        {4, lmr, {}}, {5, lmrP25, {"TailDigital"}}, {6, pmr, {}}, {7, biis, {}},
    };
    for (const bool maker : {false, true}) {
        for (const Case& c : cases) {
            settings.modelType = c.kind;
            controller.SetMakerMode(maker);
            controller.BuildTree();  // prunes on the tree message
            std::vector<std::string> expected = common;
            if (maker) expected.insert(expected.end(), {"Maker", "MakerPage"});
            expected.insert(expected.end(), c.own.begin(), c.own.end());
            expected.insert(expected.end(), tail.begin(), tail.end());
            expected.insert(expected.end(), c.digitalTail.begin(), c.digitalTail.end());
            EXPECT_EQ(Links(), expected) << "kind " << c.kind << (maker ? " in maker mode" : "");
        }
    }
}

// The tree of one kind pruned again for another (as when the kind follows a loaded image).
TEST_F(ModelControllerTest, ThePrunedSelectionMovesToTheNodeAfterIt) {
    struct Case {
        int builtFor, prunedFor;
        const char* selected;
        const char* then;
    };
    const Case cases[] = {
        {1, 0, "Last", "Last"},                   // a node before it goes; it stays selected
        {1, 0, "Digital", "GI_Sheet_Memory_CH_Top"},  // its next sibling
        {1, 2, "LmrDigital", "GI_Sheet_Memory_CH_Top"},  // past its parent and the next node, both pruned
        {1, 0, "TailDigital", "Last"},            // nothing after it: the last node left
        {0, 2, "Radio", "Radio"},
    };
    for (const Case& c : cases) {
        settings.modelType = c.builtFor;
        controller.BuildTree();
        const ItemPath at = controller.Tree()->FindLink(c.selected);
        ASSERT_FALSE(at.empty()) << c.selected;
        controller.Tree()->SetSelected(at);
        settings.modelType = c.prunedFor;
        controller.PruneTree();
        EXPECT_EQ(SelectedLink(), c.then) << c.selected << " from kind " << c.builtFor << " to " << c.prunedFor;
    }
}

TEST_F(ModelControllerTest, NewerDataIsLockedOnlyWhenTheOverlaySaysSoAndTheDataIsMarked) {
    constexpr std::size_t kMark = 0x17A20;
    std::vector<std::uint8_t> data(0x205BA, 0x00);
    EXPECT_EQ(controller.CheckNewerData(data.data(), data.size()), 0) << "unmarked";
    data[kMark] = 0x01;
    EXPECT_NE(controller.CheckNewerData(data.data(), data.size()), 0) << "marked";
    EXPECT_NE(controller.CheckNewerData(data.data(), kMark + 1), 0) << "the mark is the last byte";
    // Data that ends before the mark cannot carry it (and is not read past its end).
    std::vector<std::uint8_t> shortData(data.begin(), data.begin() + kMark);
    EXPECT_EQ(controller.CheckNewerData(shortData.data(), shortData.size()), 0);
    EXPECT_EQ(controller.CheckNewerData(nullptr, 0), 0);
}

class LockoutOffTest : public ModelControllerTest {
protected:
    static std::vector<std::string> WithLockout(const char* line) {
        std::vector<std::string> lines = kTreeOverlay;
        lines.back() = line;
        return lines;
    }
    LockoutOffTest() : ModelControllerTest(WithLockout("0")) {}
};

TEST_F(LockoutOffTest, MarkedDataIsAcceptedWhenTheLockoutIsOff) {
    std::vector<std::uint8_t> data(0x205BA, 0x00);
    data[0x17A20] = 0xFF;
    EXPECT_EQ(controller.CheckNewerData(data.data(), data.size()), 0);
}

}  // namespace
