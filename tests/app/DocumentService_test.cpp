// The document service against real files: what Open and Save do without any dialog.

#include "app/DocumentService.h"
#include "app/FamilyRules.h"
#include "app/ModelRules.h"
#include "image/cmcIcfFile.h"
#include "overlay/cmcGTex.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

const std::string kData = std::string(TRELVIX_SOURCE_DIR) + "/data/";

// The family's rules, with a packing that can be made to overflow.
class OverflowingRules : public DocumentRules {
public:
    bool overflow = false;
    std::int32_t ModelCode() const override { return family.ModelCode(); }
    std::int32_t ExtraCode() const override { return family.ExtraCode(); }
    std::int32_t MapRevision() const override { return family.MapRevision(); }
    bool CheckFileCodes(std::int32_t m, std::int32_t e, int& code) override { return family.CheckFileCodes(m, e, code); }
    bool CheckMapRevision(std::int32_t r) override { return family.CheckMapRevision(r); }
    AddressRangeList AddressRanges(int kind) override { return family.AddressRanges(kind); }
    void FillWorkingArea(cmcEeprom& image) override { family.FillWorkingArea(image); }
    int RebuildWorkingArea(cmcEeprom& image) override { return family.RebuildWorkingArea(image); }
    void NormaliseImage(cmcEeprom& image, const cmcEeprom& initial, int kind, bool forWriting) override {
        family.NormaliseImage(image, initial, kind, forWriting);
    }
    bool BuildParameterTable(cmcEeprom& image, bool cloneWrite) override {
        return overflow || family.BuildParameterTable(image, cloneWrite);
    }
    FamilyRules family;
};

class DocumentServiceTest : public ::testing::Test {
protected:
    DocumentServiceTest() { overlay.AttachFile(kData + "Trelvix.OVL"); }

    std::string initialFile(int kind) { return kData + overlay.GetLine("GI_App_InitialFile", kind); }
    cmcEeprom initialImage(int kind) {
        cmcEeprom image(cmcEeprom::kImageSize);
        EXPECT_EQ(docs.ReadInitialImage(initialFile(kind), image), FileError::Ok);
        return image;
    }

    cmcGTex overlay;
    ScopedGTex install{overlay};
    testsupport::TempDir dir;
    OverflowingRules rules;
    DocumentService docs{rules};
    cmcEeprom blank{cmcEeprom::kImageSize};
};

TEST_F(DocumentServiceTest, LoadDetectsTheModelKindTheFileNames) {
    for (int kind : {0, 3, 6, 7}) {
        LoadResult loaded = docs.Load(initialFile(kind), blank);
        ASSERT_TRUE(loaded.ok()) << kind;
        EXPECT_EQ(loaded.modelKind, kind);
    }
}

TEST_F(DocumentServiceTest, LoadRefusesFilesThatAreNotOursWithTheirCode) {
    // Headers and map revisions written out by hand: the 16 bytes at 0x0000 are enough to
    // reach the header and revision checks, which come before coverage.
    const std::string line = "00001000112233445566778899AABBCCDDEEFF\r\n";
    struct Case {
        const char* name;
        std::string text;
        int code;
    };
    const Case cases[] = {
        {"model", "12340000\r\n#MapRev=5\r\n" + line, FileError::Model},
        {"extra", "28970200\r\n#MapRev=5\r\n" + line, FileError::Extra},
        {"revision", "28970000\r\n#MapRev=4\r\n" + line, FileError::MapRev},
        {"coverage", "28970000\r\n#MapRev=5\r\n" + line, FileError::Coverage},
        {"earlier release", "28970100\r\n#MapRev=5\r\n" + line, FileError::Coverage},  // header accepted
    };
    for (const Case& c : cases) {
        const std::string path = dir.file(std::string(c.name) + ".tdf");
        testsupport::writeFile(path, c.text);
        cmcEeprom target(blank);
        target.SetByte(0, 0x5A);
        EXPECT_EQ(docs.Read(path, target, static_cast<int>(RangeKind::InitialLoad)), c.code) << c.name;
        EXPECT_EQ(target.GetByte(0), 0x5A) << c.name << ": a refused file changes nothing";
        EXPECT_EQ(docs.Load(path, blank).code, c.code) << c.name;
    }
}

TEST_F(DocumentServiceTest, SaveWritesAFileThatLoadsBackToTheSameImage) {
    const int kind = 5;
    const cmcEeprom initial = initialImage(kind);
    cmcEeprom image(initial);
    static_cast<void>(rules.BuildParameterTable(image, false));
    const std::string path = dir.file("site.tdf");
    const SaveResult saved = docs.Save(path, image, initial, kind);
    ASSERT_TRUE(saved.ok());

    const std::string text = testsupport::readFile(path);
    EXPECT_EQ(text.substr(0, 10), "28970000\r\n") << "the family's codes, upper-case hex";
    EXPECT_NE(text.find("\r\n#MapRev=5\r\n"), std::string::npos);

    LoadResult loaded = docs.Load(path, blank);
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(loaded.modelKind, kind);
    docs.PrepareLoaded(loaded.image, initial, kind);
    for (std::int32_t a = 0; a < cmcEeprom::kEepromSize; ++a)
        ASSERT_EQ(loaded.image.GetByte(a), saved.packed.GetByte(a)) << "address " << a;
}

TEST_F(DocumentServiceTest, AnOverflowWritesNothingAndLeavesThePreviousFile) {
    const cmcEeprom initial = initialImage(4);
    const std::string path = dir.file("kept.tdf");
    testsupport::writeFile(path, "the user's earlier file");
    rules.overflow = true;
    const SaveResult result = docs.Save(path, initial, initial, 4);
    EXPECT_EQ(result.outcome, SaveResult::Outcome::Overflow);
    EXPECT_EQ(testsupport::readFile(path), "the user's earlier file");
}

TEST_F(DocumentServiceTest, AFailedWriteSaysSoWithTheFileCode) {
    const cmcEeprom initial = initialImage(4);
    const std::string path = dir.file("folder.tdf");
    std::filesystem::create_directory(path);  // a folder cannot be replaced by a file
    const SaveResult result = docs.Save(path, initial, initial, 4);
    EXPECT_EQ(result.outcome, SaveResult::Outcome::WriteFailed);
    EXPECT_NE(result.code, FileError::Ok);
}

TEST_F(DocumentServiceTest, TheCommentJoinsTheRadiosTwoTextsPrintableOnly) {
    cmcEeprom image(blank);
    const std::string first = "SITE A\x01       ";  // 16 characters, one not printable
    const std::string second = "NORTH           ";
    image.WriteBlock(0x16A89, first.data(), 16);
    image.WriteBlock(0x16A99, second.data(), 16);
    EXPECT_EQ(DocumentService::CommentOf(image), "SITE ANORTH");
}

}  // namespace
