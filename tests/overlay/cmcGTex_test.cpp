#include "overlay/cmcGTex.h"

#include "platform/FatalStop.h"
#include "support/OverlayFragment.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using testsupport::OverlayFragment;
using testsupport::TempDir;

// The regular expression of the fatal text for a key (the key holds no regex specials).
std::string GtexError(const std::string& key) {
    return "GTEX Error !\nThe index '" + key + "' was not found\\.";
}

// The bit-field editor's fragment for a field with columns 1 to 3 and plain labels:
// 32 lines, the last one after the end marker.
const std::string kHeaderRow = "|{($iChI)}1||{($iChI)}2||{($iChI)}3|";
const std::string kBitRow =
    "|{($eWh)^(%CL_FBits[1])}9|{($iQp)}|{($eWh)^(%CL_FBits[2])}9|{($iQp)}|{($eWh)^(%CL_FBits[3])}9|";
const std::vector<std::string> kBitFieldLines = {
    "#GI_Sheet_FBitsR_Style",
    "(FixedCols=1)(FixedRows=1)",
    "#GI_Sheet_FBitsR_BasicCell",
    "{($Basic)(PopupMenu=GI_PMenu_NoItem)}",
    "#GI_Sheet_FBitsR_Cells",
    "",
    kHeaderRow,
    "",
    kBitRow,
    "",
    "",
    "#",
    "#CellModel_iChI",
    "^-WH(Color=clGray)(Font=,,clWhite,,,fsBold,)",
    "#CellModel_eWh",
    "S<_WHB",
    "#CellModel_iQp",
    "(%CT_Null.CL_Misc_QuarterPillar)",
    "#CellModel_Basic",
    "<-(Color=clWindow)(Font=DEFAULT_CHARSET,,clWindowText,-17,,,)(PopupMenu=GI_PMenu_Edit)",
    "#GI_PMenu_NoItem_BasicCell",
    "{($Basic)}",
    "#GI_PMenu_NoItem_Body",
    "+No item\t{(%CT_PopupMenu.CL_PMenu_NoItem)}",
    "#",
    "#GI_PMenu_Edit_BasicCell",
    "{($Basic)(%CT_PopupMenu.)}",
    "#GI_PMenu_Edit_Body",
    "+Edit...\t{(%CT_PopupMenu.CL_PMenu_Edit:Enter)}",
    "#",
    "#End_Of_Ovl",
    "",
};

struct BitFieldStore {
    BitFieldStore() {
        for (const auto& line : kBitFieldLines) pointers.push_back(line.c_str());
        store.AttachLines(pointers.data());
    }
    std::vector<const char*> pointers;  // exactly the 32 lines, no terminator
    cmcGTex store;
};

TEST(cmcGTexBitFieldFragment, ReadsBackLineByLineAsTheSheetBuilderDoes) {
    ASSERT_EQ(kBitFieldLines.size(), 32u);
    BitFieldStore f;
    cmcGTex& g = f.store;
    struct Read {
        const char* key;
        int n;
        std::string expected;
    };
    // In the order the sheet is built: style, basic cell and its model, the rows, the models
    // of the cells, and the popup menus.
    for (const Read& r : {
             Read{"GI_Sheet_FBitsR_Style", 0, "(FixedCols=1)(FixedRows=1)"},
             Read{"GI_Sheet_FBitsR_BasicCell", 0, "{($Basic)(PopupMenu=GI_PMenu_NoItem)}"},
             Read{"CellModel_Basic", 0, kBitFieldLines[19]},
             Read{"GI_Sheet_FBitsR_Cells", 0, ""},
             Read{"GI_Sheet_FBitsR_Cells", 1, kHeaderRow},
             Read{"GI_Sheet_FBitsR_Cells", 2, ""},
             Read{"GI_Sheet_FBitsR_Cells", 3, kBitRow},
             Read{"GI_Sheet_FBitsR_Cells", 4, ""},
             Read{"GI_Sheet_FBitsR_Cells", 5, ""},
             Read{"GI_Sheet_FBitsR_Cells", 6, "#"},
             Read{"CellModel_iChI", 0, "^-WH(Color=clGray)(Font=,,clWhite,,,fsBold,)"},
             Read{"CellModel_eWh", 0, "S<_WHB"},
             Read{"CellModel_iQp", 0, "(%CT_Null.CL_Misc_QuarterPillar)"},
             Read{"GI_Sheet_FBitsR_Cells", 3, kBitRow},  // the rows again, after other keys
             Read{"GI_PMenu_Edit_BasicCell", 0, "{($Basic)(%CT_PopupMenu.)}"},
             Read{"GI_PMenu_Edit_Body", 0, "+Edit...\t{(%CT_PopupMenu.CL_PMenu_Edit:Enter)}"},
             Read{"GI_PMenu_Edit_Body", 1, "#"},
             Read{"GI_PMenu_NoItem_BasicCell", 0, "{($Basic)}"},
             Read{"GI_PMenu_NoItem_Body", 0, "+No item\t{(%CT_PopupMenu.CL_PMenu_NoItem)}"},
             // Past a key's last value line the store runs on into the next key line.
             Read{"GI_Sheet_FBitsR_Style", 1, "#GI_Sheet_FBitsR_BasicCell"},
             Read{"GI_Sheet_FBitsR_Style", 3, "#GI_Sheet_FBitsR_Cells"},
             Read{"CellModel_iQp", 1, "#CellModel_Basic"},
             Read{"CellModel_iQp", 2, kBitFieldLines[19]},
             Read{"GI_PMenu_Edit_Body", 2, "#End_Of_Ovl"},
         }) {
        EXPECT_EQ(g.GetLine(r.key, r.n), r.expected) << r.key << " line " << r.n;
    }
    EXPECT_EQ(g.GetBlock("GI_Sheet_FBitsR_Cells"), "\n" + kHeaderRow + "\n\n" + kBitRow + "\n\n");
    EXPECT_EQ(g.GetBlock("GI_Sheet_FBitsR_Style"), "(FixedCols=1)(FixedRows=1)");
    EXPECT_EQ(g.GetBlock("GI_PMenu_NoItem_Body"), "+No item\t{(%CT_PopupMenu.CL_PMenu_NoItem)}");
}

TEST(cmcGTexBitFieldFragmentDeathTest, NothingAfterTheEndMarkerIsRead) {
    BitFieldStore f;
    // The end marker is the fragment's last line: reading on from it fails like the end of a
    // file (the array's empty line 31 is never touched).
    EXPECT_DEATH(f.store.GetLine("GI_PMenu_Edit_Body", 3), GtexError("GI_PMenu_Edit_Body"));
    EXPECT_DEATH(f.store.GetLine("End_Of_Ovl", 0), GtexError("End_Of_Ovl"));
}

// One overlay, read from a file with LF or CR LF line ends and from memory: all three read
// alike.
const std::vector<std::string> kFormatLines = {
    "Notes before the first key line.",
    "#A",
    "  lead and trail  \t",
    "",
    "#",
    "# spaced key",
    "value of spaced",
    "#A",
    "second A",
    "#Next",
    "n0",
    "n1",
    "#End_Of_Ovl",
    "#After",
    "after value",
};

enum class SourceKind { FileLf, FileCrLf, Fragment };

class cmcGTexFormat : public ::testing::TestWithParam<SourceKind> {
protected:
    void SetUp() override {
        if (GetParam() == SourceKind::Fragment) {
            fragment_ = std::make_unique<OverlayFragment>(kFormatLines);
            store_ = &fragment_->store();
            return;
        }
        const char* end = GetParam() == SourceKind::FileCrLf ? "\r\n" : "\n";
        std::string text;
        for (const auto& line : kFormatLines) text += line + end;
        testsupport::writeFile(dir_.file("o.OVL"), text);
        fileStore_.AttachFile(dir_.file("o.OVL"));
        store_ = &fileStore_;
    }
    cmcGTex& g() { return *store_; }

private:
    TempDir dir_;
    cmcGTex fileStore_;
    std::unique_ptr<OverlayFragment> fragment_;
    cmcGTex* store_ = nullptr;
};

TEST_P(cmcGTexFormat, KeyLinesValueLinesAndTheirEdges) {
    EXPECT_EQ(g().GetLine("A", 0), "  lead and trail  \t") << "blanks and tabs stay";
    EXPECT_EQ(g().GetLine("A", 1), "") << "empty lines count";
    EXPECT_EQ(g().GetLine("A", 2), "#") << "a lone # is a value line";
    EXPECT_EQ(g().GetLine("A", 3), "# spaced key");
    EXPECT_EQ(g().GetLine(" spaced key", 0), "value of spaced") << "the key keeps its leading blank";
    EXPECT_EQ(g().GetLine("A", 0), "  lead and trail  \t") << "a lower line again after a higher one";
    EXPECT_EQ(g().GetLine("A", 5), "#A") << "running past the key reaches the duplicate's key line";
    EXPECT_EQ(g().GetLine("Next", 1), "n1");
    EXPECT_EQ(g().GetLine("Next", 0), "n0");
    EXPECT_EQ(g().GetBlock("A"), "  lead and trail  \t\n") << "the first occurrence of a key is found";
    EXPECT_EQ(g().GetBlock("Next"), "n0\nn1");
    EXPECT_EQ(g().GetBlock(" spaced key"), "value of spaced");
}

using cmcGTexFormatDeathTest = cmcGTexFormat;

TEST_P(cmcGTexFormatDeathTest, KeysAreTakenExactly) {
    (void)g().GetLine("Next", 0);
    EXPECT_DEATH(g().GetLine("next", 0), GtexError("next"));
    EXPECT_DEATH(g().GetLine("After", 0), GtexError("After")) << "keys after the end marker are never found";
    EXPECT_DEATH(g().GetLine("Notes before the first key line.", 0), "GTEX Error !");
}

const auto kSources = ::testing::Values(SourceKind::FileLf, SourceKind::FileCrLf, SourceKind::Fragment);
std::string SourceName(const ::testing::TestParamInfo<SourceKind>& info) {
    switch (info.param) {
        case SourceKind::FileLf:
            return "FileLf";
        case SourceKind::FileCrLf:
            return "FileCrLf";
        case SourceKind::Fragment:
            return "Fragment";
    }
    return "Unknown";
}
INSTANTIATE_TEST_SUITE_P(Sources, cmcGTexFormat, kSources, SourceName);
INSTANTIATE_TEST_SUITE_P(Sources, cmcGTexFormatDeathTest, kSources, SourceName);

TEST(cmcGTexFile, LongLinesSplitInFilesAndAreCutInFragments) {
    const std::string x10000(10000, 'x'), y8191(8191, 'y'), z8190(8190, 'z');
    TempDir dir;
    testsupport::writeFile(dir.file("long.OVL"), "#L\n" + x10000 + "\nafter\n#Full\n" + y8191 +
                                                     "\r\nnext\n#AlmostFull\n" + z8190 + "\r\nnext\n#End_Of_Ovl\n");
    cmcGTex file;
    file.AttachFile(dir.file("long.OVL"));
    EXPECT_EQ(file.GetLine("L", 0), x10000.substr(0, 8191));
    EXPECT_EQ(file.GetLine("L", 1), x10000.substr(0, 1809));
    EXPECT_EQ(file.GetLine("L", 2), "after") << "the split shifts the lines after it";
    EXPECT_EQ(file.GetLine("Full", 0), y8191) << "a line of exactly 8,191 characters is one line";
    EXPECT_EQ(file.GetLine("Full", 1), "next");
    EXPECT_EQ(file.GetLine("AlmostFull", 0), z8190);
    EXPECT_EQ(file.GetLine("AlmostFull", 1), "next");

    OverlayFragment memory({"#L", x10000, "after"});
    EXPECT_EQ(memory.store().GetLine("L", 0), x10000.substr(0, 8191));
    EXPECT_EQ(memory.store().GetLine("L", 1), "after") << "in memory the rest of the line is dropped";
}

TEST(cmcGTexFile, TheFirstLookupReadsOnlyAsFarAsItNeeds) {
    TempDir dir;
    std::string text = "#Top\ntop value\n";
    const std::string filler = "(Padding=" + std::string(200, '.') + ")\n";
    while (text.size() < 5'000'000) text += filler;
    text += "#Bottom\nbottom value\n#End_Of_Ovl\n";
    testsupport::writeFile(dir.file("big.OVL"), text);

    cmcGTex g;
    g.AttachFile(dir.file("big.OVL"));
    EXPECT_EQ(g.BytesRead(), 0) << "attaching reads nothing";
    EXPECT_EQ(g.GetLine("Top", 0), "top value");
    EXPECT_LT(g.BytesRead(), 100'000) << "a key at the top does not make the store read the file";
    EXPECT_EQ(g.GetLine("Bottom", 0), "bottom value");
    EXPECT_GE(g.BytesRead(), static_cast<std::int64_t>(text.size()) - 100'000);
}

TEST(cmcGTexFile, RecentLinesComeFromTheCacheUntilSixtyFourOthersPushThemOut) {
    // K0 lies at the top, the other keys far below it: reading K0 again touches the file
    // only once its line has left the 64-line cache.
    TempDir dir;
    std::string text = "#K0\nzero\n" + std::string(100'000, '\n');
    for (int k = 1; k <= cmcGTex::kCacheLines; ++k) text += "#K" + std::to_string(k) + "\nv\n";
    text += "#End_Of_Ovl\n";
    testsupport::writeFile(dir.file("c.OVL"), text);

    cmcGTex g;
    g.AttachFile(dir.file("c.OVL"));
    EXPECT_EQ(g.GetLine("K0", 0), "zero");
    for (int k = 1; k < cmcGTex::kCacheLines; ++k) g.GetLine("K" + std::to_string(k), 0);
    const auto before = g.BytesRead();
    EXPECT_EQ(g.GetLine("K0", 0), "zero");
    EXPECT_EQ(g.BytesRead(), before) << "K0's line is one of the 64 most recent";

    for (int k = 1; k <= cmcGTex::kCacheLines; ++k) g.GetLine("K" + std::to_string(k), 0);
    const auto beforeMiss = g.BytesRead();
    EXPECT_EQ(g.GetLine("K0", 0), "zero");
    EXPECT_GT(g.BytesRead(), beforeMiss) << "64 newer lines pushed K0's line out";
}

TEST(cmcGTex, TakesOneSourceForItsLife) {
    TempDir dir;
    testsupport::writeFile(dir.file("a.OVL"), "#K\nfrom the file\n#End_Of_Ovl\n");
    const char* const lines[] = {"#K", "from memory", "#End_Of_Ovl"};

    cmcGTex fileFirst;
    EXPECT_TRUE(fileFirst.AttachFile(dir.file("a.OVL")));
    EXPECT_FALSE(fileFirst.AttachLines(lines));
    EXPECT_FALSE(fileFirst.AttachFile(dir.file("other.OVL")));
    EXPECT_EQ(fileFirst.GetLine("K", 0), "from the file");

    cmcGTex linesFirst;
    EXPECT_TRUE(linesFirst.AttachLines(lines));
    EXPECT_FALSE(linesFirst.AttachFile(dir.file("a.OVL")));
    EXPECT_EQ(linesFirst.GetLine("K", 0), "from memory");
}

TEST(cmcGTexDeathTest, EveryFailedLookupStopsWithTheKey) {
    TempDir dir;
    testsupport::writeFile(dir.file("short.OVL"), "#K\nonly line\n");
    const char* const lines[] = {"#K", "v", "#End_Of_Ovl"};

    struct Case {
        const char* what;
        std::function<void()> lookup;
        std::string key;
    };
    for (const Case& c : std::vector<Case>{
             {"no source", [] { cmcGTex().GetLine("GI_Sys_AppTitle_ADJ", 0); }, "GI_Sys_AppTitle_ADJ"},
             {"absent file",
              [&] {
                  cmcGTex g;
                  g.AttachFile(dir.file("absent.OVL"));
                  g.GetLine("GI_Sys_AppTitle_ADJ", 0);
              },
              "GI_Sys_AppTitle_ADJ"},
             {"missing key",
              [&] {
                  cmcGTex g;
                  g.AttachLines(lines);
                  g.GetLine("Missing", 0);
              },
              "Missing"},
             {"read past the end of the file",
              [&] {
                  cmcGTex g;
                  g.AttachFile(dir.file("short.OVL"));
                  g.GetLine("K", 1);
              },
              "K"},
             {"negative line number",
              [&] {
                  cmcGTex g;
                  g.AttachLines(lines);
                  g.GetLine("K", -1);
              },
              "K"},
             {"block without a closing line",
              [&] {
                  cmcGTex g;
                  g.AttachFile(dir.file("short.OVL"));
                  g.GetBlock("K");
              },
              "K"},
         }) {
        EXPECT_DEATH(c.lookup(), GtexError(c.key)) << c.what;
    }
}

TEST(cmcGTex, ScopedStoresNestAndRestore) {
    OverlayFragment outer({"#K", "outer"}), inner({"#K", "inner"});
    cmcGTex* const original = &GTex();
    {
        ScopedGTex a(outer.store());
        EXPECT_EQ(GTex().GetLine("K", 0), "outer");
        {
            ScopedGTex b(inner.store());
            EXPECT_EQ(GTex().GetLine("K", 0), "inner");
        }
        EXPECT_EQ(GTex().GetLine("K", 0), "outer");
    }
    EXPECT_EQ(&GTex(), original);
}

TEST(cmcGTexProductOverlay, HoldsTheModelsAndMenusOfTheBitFieldFragmentAndTheHelpTables) {
    // Cell models are always read from the product overlay, so every model and popup menu
    // that the bit-field fragment names must be there too, with the same text.
    cmcGTex product;
    ASSERT_TRUE(AttachProductOverlay(product));
    for (const char* key : {"CellModel_iChI", "CellModel_eWh", "CellModel_iQp", "CellModel_Basic",
                            "GI_PMenu_NoItem_BasicCell", "GI_PMenu_Edit_BasicCell"}) {
        BitFieldStore fragment;
        EXPECT_EQ(product.GetLine(key, 0), fragment.store.GetLine(key, 0)) << key;
    }
    EXPECT_EQ(product.GetBlock("GI_PMenu_NoItem_Body"), "+No item\t{(%CT_PopupMenu.CL_PMenu_NoItem)}");
    EXPECT_EQ(product.GetBlock("GI_PMenu_Edit_Body"), "+Edit...\t{(%CT_PopupMenu.CL_PMenu_Edit:Enter)}");

    // Context help reads its tables from the product overlay through its own store, line by
    // line up to a lone '#'.
    cmcHelpGTex help;
    ASSERT_TRUE(AttachProductOverlay(help));
    for (const char* key : {"GI_AppItem_Topic_ID", "GI_AppItem_Key_Assign_Topic_ID", "GI_AppItem_Context_ID"}) {
        int n = 0;
        while (help.GetLine(key, n) != "#") ASSERT_LT(++n, 10000) << key;
    }
}

}  // namespace
