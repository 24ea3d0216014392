// The eight initial data files in data/: each one is what the program loads at start-up
// for its model kind, and what the virtual radio serves.

#include "app/ImagePreparation.h"
#include "app/ModelRules.h"
#include "image/cmcIcfFile.h"
#include "overlay/cmcGTex.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <filesystem>

namespace {

const std::string kData = TRELVIX_SOURCE_DIR "/data/";

struct InitialFiles : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(overlay.AttachFile(kData + "Trelvix.OVL")); }
    std::string fileOf(int kind) { return overlay.GetLine("GI_App_InitialFile", kind); }
    cmcGTex overlay;
};

// Loads the file as the controller loads its initial image.
int loadInitial(const std::string& path, cmcEeprom& image) {
    cmcIcfFile file(image);
    file.SetShowMessages(false);
    file.SetCodes(model::kModelCode, model::kExtraCode);
    file.SetHeaderCheck(model::checkFileCodes);
    file.SetMapRevisionCheck(model::checkMapRevision);
    return file.Read(path, modelAddressRanges(3));
}

TEST_F(InitialFiles, EachReadsDetectsAsItsOwnKindAndPassesTheMakerIdentityCheck) {
    for (int kind = 0; kind < model::kKinds; ++kind) {
        SCOPED_TRACE(fileOf(kind));
        cmcEeprom image(cmcEeprom::kImageSize);
        ASSERT_EQ(loadInitial(kData + fileOf(kind), image), FileError::Ok);

        cmcEeprom received = image;  // what the virtual radio would send
        imageprep::fillWorkingAreaFromInitial(image);
        imageprep::rebuildWorkingArea(received);
        EXPECT_EQ(model::detectModelKind(received), kind);
        EXPECT_EQ(model::checkMakerIdentity(received, image, true), 0);

        // The program's start-up: the initial image fills its working area, packs without
        // overflow and gives back the same EEPROM part.
        cmcEeprom packed = image;
        EXPECT_FALSE(imageprep::buildParameterTable(packed, false));
        EXPECT_EQ(std::memcmp(packed.Data(), received.Data(), cmcEeprom::kEepromSize), 0);
    }
}

TEST_F(InitialFiles, RegeneratingThemReproducesThemByteForByte) {
    testsupport::TempDir dir;
#ifdef _WIN32
    // cmd.exe takes a leading '/' for an option: the program's path uses the native separator.
    const std::string command = std::filesystem::path(TRELVIX_BIN_DIR "/trelvix-mkimage.exe").make_preferred().string() +
                                " " + kData + "models " + dir.path().string() + " > NUL";
#else
    const std::string command = std::string(TRELVIX_BIN_DIR "/trelvix-mkimage ") + kData + "models " +
                                dir.path().string() + " > /dev/null";
#endif
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::vector<std::string> files = {"Demo_LMR_Mob.tdf"};  // the virtual radio's demonstration image
    for (int kind = 0; kind < model::kKinds; ++kind) files.push_back(fileOf(kind));
    for (const std::string& file : files) {
        EXPECT_EQ(testsupport::readFile(dir.file(file)), testsupport::readFile(kData + file))
            << file << " differs from what tools/mkimage makes of data/models";
    }
}

TEST_F(InitialFiles, TheSaveDialogDefaultsToTheirExtension) {
    const std::string extension = overlay.GetLine("GI_Sys_Dialog_FOpen", 0);
    for (int kind = 0; kind < model::kKinds; ++kind) {
        EXPECT_EQ(fileOf(kind).substr(fileOf(kind).size() - extension.size() - 1), "." + extension);
    }
    EXPECT_NE(overlay.GetLine("GI_Sys_Dialog_FOpen", 1).find("*." + extension), std::string::npos);
}

}  // namespace
