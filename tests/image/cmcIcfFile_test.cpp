#include "image/cmcIcfFile.h"

#include "platform/doubles/ScriptedDialogs.h"
#include "overlay/cmcGTex.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <random>

namespace {

using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

const AddressRangeList kWholeEeprom = {{0x0000, 0xFF7F}, {1, 0}};

cmcEeprom randomImage(unsigned seed) {
    cmcEeprom image(cmcEeprom::kImageSize);
    std::mt19937 rng(seed);
    for (std::int32_t i = 0; i < image.Size(); ++i) image.SetByte(i, static_cast<std::uint8_t>(rng()));
    return image;
}

// A reader set up as the program's own callers set it up: codes 0x2897/0x0000, map
// revision 5 required, no message boxes unless a test asks for them.
struct Reader {
    explicit Reader(cmcEeprom& image) : file(image) {
        file.SetCodes(0x2897, 0);
        file.SetMapRevisionCheck([](std::int32_t rev) { return rev == 5; });
        file.SetShowMessages(false);
    }
    cmcIcfFile file;
};

TEST(cmcIcfFileWrite, LayoutIsByteForByteTheDocumentedOne) {
    TempDir dir;
    cmcEeprom image(cmcEeprom::kImageSize);
    for (std::int32_t a = 0x0105; a <= 0x0123; ++a) image.SetByte(a, static_cast<std::uint8_t>(a));
    cmcIcfFile file(image);
    file.SetCodes(0x2897, 0);
    file.SetComment("SITE A");
    file.SetMapRevision(5);
    const AddressRangeList ranges = {{0x0105, 0x0123}, {1, 0}};
    ASSERT_EQ(file.Write(dir.file("a.tdf"), ranges), FileError::Ok);
    EXPECT_EQ(readFile(dir.file("a.tdf")),
              "28970000\r\n#Comment=SITE A\r\n#MapRev=5\r\n"
              "01050B05060708090A0B0C0D0E0F\r\n"
              "011010101112131415161718191A1B1C1D1E1F\r\n"
              "01200420212223\r\n");
}

TEST(cmcIcfFileWrite, WholeEepromIs4088LinesOf16BytesAndReadsBack) {
    TempDir dir;
    cmcEeprom image = randomImage(1);
    cmcIcfFile writer(image);
    writer.SetCodes(0x2897, 0);
    writer.SetMapRevision(5);
    ASSERT_EQ(writer.Write(dir.file("full.tdf"), kWholeEeprom), FileError::Ok);

    const std::string text = readFile(dir.file("full.tdf"));
    std::size_t lines = 0, pos = 0;
    for (std::size_t nl; (nl = text.find("\r\n", pos)) != std::string::npos; pos = nl + 2, ++lines) {
        if (lines >= 3) {
            ASSERT_EQ(nl - pos, 38u) << "data line " << lines;
        }
    }
    EXPECT_EQ(lines, 3u + 4088u);
    EXPECT_EQ(pos, text.size()) << "every line ends with CR LF";

    cmcEeprom back(cmcEeprom::kImageSize);
    Reader reader(back);
    ASSERT_EQ(reader.file.Read(dir.file("full.tdf"), kWholeEeprom), FileError::Ok);
    EXPECT_EQ(reader.file.MapRevision(), 5);
    for (std::int32_t a = 0; a < cmcEeprom::kEepromSize; ++a) ASSERT_EQ(back.GetByte(a), image.GetByte(a)) << a;
    EXPECT_EQ(back.GetByte(cmcEeprom::kEepromSize), 0) << "the working area is not part of a file";
}

TEST(cmcIcfFileWrite, RangeListsStopAtTheEndMarkerOrAtARangeOutsideTheImage) {
    cmcEeprom image(cmcEeprom::kImageSize);
    cmcIcfFile file(image);
    const AddressRangeList ranges = {{0x10, 0x10}, {0x20, 0x10}, {0x30, 0x30}};
    EXPECT_EQ(file.FormatText(ranges), "00000000\r\n#Comment=\r\n#MapRev=-1\r\n00100100\r\n");
    const AddressRangeList outside = {{0x10, 0x10}, {0x20, cmcEeprom::kImageSize}, {0x30, 0x30}};
    EXPECT_EQ(file.FormatText(outside), "00000000\r\n#Comment=\r\n#MapRev=-1\r\n00100100\r\n");
}

TEST(cmcIcfFileWrite, ALineBreakInTheCommentCannotBreakTheFile) {
    cmcEeprom image(cmcEeprom::kImageSize);
    cmcIcfFile file(image);
    file.SetComment("two\r\nlines");
    EXPECT_EQ(file.FormatText({}), "00000000\r\n#Comment=two  lines\r\n#MapRev=-1\r\n");
}

// One row per edge case of the reader: the file text, whether a range list is given, the
// code and, on success, the map revision the reader saw.
struct ReadCase {
    const char* name;
    std::string text;
    bool withRanges;
    int code;
};

const std::string kHead = "28970000\r\n#Comment=x\r\n#MapRev=5\r\n";

TEST(cmcIcfFileRead, EdgeCasesGiveTheirCodeAndAFailureChangesNothing) {
    const AddressRangeList r0100 = {{0x0100, 0x0103}, {1, 0}};
    const std::vector<ReadCase> cases = {
        {"plain", kHead + "01000411223344\r\n", true, 0},
        {"LF line ends", "28970000\n#MapRev=5\n01000411223344\n", true, 0},
        {"lower-case data", kHead + "01000411aabbcc\r\n", true, 0},
        {"no trailing line end", kHead + "01000411223344", true, 0},
        {"no range list takes anything", kHead + "02000155\r\n", false, 0},
        {"header only, no list", "28970000\r\n", false, 0},
        {"header only, with list", "28970000\r\n", true, 7},
        {"empty file", "", true, 6},
        {"hex letter in header", "28A00000\r\n#MapRev=5\r\n01000411223344\r\n", true, 6},
        {"header without line end", "28970000", false, 6},
        {"header too long", "289700000\r\n", false, 6},
        {"wrong model", "28960000\r\n#MapRev=5\r\n", false, 3},
        {"wrong extra", "28970001\r\n#MapRev=5\r\n", false, 4},
        {"no MapRev line", "28970000\r\n01000411223344\r\n", true, 5},
        {"MapRev after the first data line", "28970000\r\n01000411223344\r\n#MapRev=5\r\n", true, 5},
        {"rejected MapRev", "28970000\r\n#MapRev=6\r\n01000411223344\r\n", true, 5},
        {"empty line before MapRev", "28970000\r\n\r\n#MapRev=5\r\n01000411223344\r\n", true, 5},
        {"empty line after MapRev", kHead + "\r\n01000411223344\r\n", true, 6},
        {"count does not match", kHead + "01000511223344\r\n", true, 6},
        {"count zero", kHead + "01000\r\n", true, 6},
        {"non-hex data", kHead + "010004112233GG\r\n", true, 6},
        {"line too long", kHead + "0100FF" + std::string(512, '0') + "\r\n", true, 6},
        {"bad line after good ones", kHead + "01000411223344\r\n0104XX\r\n", true, 6},
        {"missing required bytes", kHead + "010003112233\r\n", true, 7},
        {"bytes outside the required ranges", kHead + "00FF051122334455\r\n", true, 8},
    };
    for (const ReadCase& c : cases) {
        cmcEeprom image = randomImage(7);
        const cmcEeprom before = image;
        Reader reader(image);
        const std::span<const AddressRange> span(r0100);
        const int code = reader.file.ReadText(c.text, c.withRanges ? &span : nullptr);
        EXPECT_EQ(code, c.code) << c.name;
        if (code != FileError::Ok) {
            EXPECT_TRUE(image == before) << c.name << ": a failed read restores every byte";
        }
    }
}

TEST(cmcIcfFileRead, DeliveredBytesLandAndOthersKeepTheirContents) {
    cmcEeprom image = randomImage(3);
    const cmcEeprom before = image;
    Reader reader(image);
    ASSERT_EQ(reader.file.ReadText(kHead + "01000411223344\r\n01020199\r\n", nullptr),
              FileError::Ok);
    EXPECT_EQ(image.GetByte(0x100), 0x11);
    EXPECT_EQ(image.GetByte(0x102), 0x99) << "a later line overwrites an earlier one";
    EXPECT_EQ(image.GetByte(0x104), before.GetByte(0x104));
    EXPECT_EQ(image.GetByte(0xFF), before.GetByte(0xFF));
}

TEST(cmcIcfFileRead, LastLineWithoutLineEndIsReadInFull) {
    cmcEeprom image(cmcEeprom::kImageSize);
    Reader reader(image);
    ASSERT_EQ(reader.file.ReadText(kHead + "0100101112131415161718191A1B1C1D1E1F20", nullptr), FileError::Ok);
    EXPECT_EQ(image.GetByte(0x10F), 0x20);
}

TEST(cmcIcfFileRead, MapRevisionIsTakenAfterTheFirstEightCharactersWhereverTheTextStands) {
    struct Case {
        std::string line;
        std::int32_t revision;
    };
    for (const Case& c : {Case{"#MapRev=5", 5}, Case{"#MapRev=  -12x", -12}, Case{"#MapRev=", 0},
                          Case{"#Comment=MapRev=7", 0}, Case{"#Rev.No 7, MapRev=", 7},
                          Case{"#MapRev=99999999999", INT32_MAX}, Case{"#Comment=x", -1}}) {
        cmcEeprom image(cmcEeprom::kImageSize);
        Reader reader(image);
        std::int32_t seen = -100;
        reader.file.SetMapRevisionCheck([&](std::int32_t rev) {
            seen = rev;
            return true;
        });
        EXPECT_EQ(reader.file.ReadText("28970000\n" + c.line + "\n01000100\n", nullptr), FileError::Ok) << c.line;
        EXPECT_EQ(seen, c.revision) << c.line;
    }
}

TEST(cmcIcfFileRead, WithoutAMapRevisionCheckNoDataLineIsAccepted) {
    cmcEeprom image(cmcEeprom::kImageSize);
    cmcIcfFile file(image);
    file.SetCodes(0x2897, 0);
    file.SetShowMessages(false);
    EXPECT_EQ(file.ReadText(kHead + "01000100\r\n", nullptr), FileError::MapRev);
}

TEST(cmcIcfFileRead, HeaderCheckDecidesAndARefusalIsNeverSuccess) {
    struct Case {
        bool accept;
        int stored;
        int expected;
    };
    for (const Case& c : {Case{true, 0, 0}, Case{false, 9, 9}, Case{false, 4, 4}, Case{false, 0, 3}, Case{false, 42, 42}}) {
        cmcEeprom image(cmcEeprom::kImageSize);
        Reader reader(image);
        std::int32_t model = -1, extra = -1;
        reader.file.SetHeaderCheck([&](std::int32_t m, std::int32_t e, int& code) {
            model = m;
            extra = e;
            code = c.stored;
            return c.accept;
        });
        EXPECT_EQ(reader.file.ReadText("12340100\n#MapRev=5\n", nullptr), c.expected);
        EXPECT_EQ(model, 0x1234);
        EXPECT_EQ(extra, 0x0100);
    }
}

TEST(cmcIcfFileRead, LoadedAndRequiredBitsFollowTheFileAndTheList) {
    cmcEeprom image(cmcEeprom::kImageSize);
    Reader reader(image);
    EXPECT_EQ(reader.file.RequiredBits().size(), 16568u);
    EXPECT_EQ(reader.file.RequiredBits()[16567], 0x03) << "all 132,538 addresses required after attach";
    const AddressRangeList ranges = {{0x09, 0x0A}, {1, 0}};
    const std::span<const AddressRange> span(ranges);
    EXPECT_EQ(reader.file.ReadText(kHead + "00090211AA\r\n", &span), FileError::Ok);
    EXPECT_EQ(reader.file.LoadedBits()[1], 0x06);
    EXPECT_EQ(reader.file.RequiredBits()[1], 0x06);
    EXPECT_EQ(reader.file.RequiredBits()[0], 0x00);
}

TEST(cmcIcfFileRead, SmallImageRefusesLinesBeyondItsEnd) {
    cmcEeprom image(0x100);
    Reader reader(image);
    EXPECT_EQ(reader.file.ReadText(kHead + "00FE03112233\r\n", nullptr), FileError::Data);
    EXPECT_EQ(image.GetByte(0xFE), 0);
}

TEST(cmcIcfFileRead, FullSaveReadWithTheCloneWriteRangesIsOutsideTheRequiredRanges) {
    TempDir dir;
    cmcEeprom image = randomImage(5);
    cmcIcfFile writer(image);
    writer.SetCodes(0x2897, 0);
    writer.SetMapRevision(5);
    ASSERT_EQ(writer.Write(dir.file("f.tdf"), modelAddressRanges(2)), FileError::Ok);
    Reader reader(image);
    EXPECT_EQ(reader.file.Read(dir.file("f.tdf"), modelAddressRanges(0)), FileError::Data);
    EXPECT_EQ(reader.file.Read(dir.file("f.tdf"), modelAddressRanges(3)), FileError::Ok);
    EXPECT_EQ(reader.file.Read(dir.file("missing.tdf"), modelAddressRanges(3)), FileError::FileOpen);
    EXPECT_EQ(reader.file.Read(dir.path().string()), FileError::FileOpen) << "a folder is not a data file";
}

TEST(cmcIcfFileRanges, KindsGiveTheirRanges) {
    for (int kind : {0, 1, 2, 3, 17, -1}) {
        const AddressRangeList model = modelAddressRanges(kind);
        ASSERT_EQ(model.size(), 2u);
        EXPECT_EQ(model[0].start, kind == 0 ? 0x0100 : 0x0000) << kind;
        EXPECT_EQ(model[0].end, 0xFF7F);
        EXPECT_LT(model[1].end, model[1].start) << "ends with the end marker";
        EXPECT_EQ(baseAddressRanges(kind)[0].start, 0);
        EXPECT_EQ(baseAddressRanges(kind)[0].end, 0xFF7F);
    }
}

TEST(cmcIcfFileMessages, FailuresShowHeadlineAndTextAndSuccessShowsNothing) {
    cmcGTex overlay;
    ASSERT_TRUE(overlay.AttachFile(TRELVIX_SOURCE_DIR "/data/Trelvix.OVL"));
    ScopedGTex install(overlay);
    platform::ScopedScriptedDialogs scripted;
    cmcEeprom image(cmcEeprom::kImageSize);
    cmcIcfFile file(image);
    file.SetCodes(0x2897, 0);
    EXPECT_EQ(file.ReadText("", nullptr), FileError::Format);
    ASSERT_EQ(scripted.dialogs.messages.size(), 1u);
    const platform::MessageRequest& m = scripted.dialogs.messages[0];
    EXPECT_EQ(m.text, overlay.GetBlock("GI_Mess_FileErr_Headline") + "\n\n" + overlay.GetBlock("GI_Mess_FileErr_Format"));
    EXPECT_EQ(m.icon, platform::DlgIcon::Warning);
    EXPECT_EQ(m.buttons, platform::DlgButtons::Ok);
    EXPECT_EQ(m.caption, overlay.GetLine("GI_Sys_AppTitle_ADJ", 0));

    file.SetMapRevisionCheck([](std::int32_t) { return true; });
    EXPECT_EQ(file.ReadText("28970000\n", nullptr), FileError::Ok);
    file.SetShowMessages(false);
    EXPECT_EQ(file.ReadText("", nullptr), FileError::Format);
    EXPECT_EQ(scripted.dialogs.messages.size(), 1u);

    for (int code = 1; code <= 9; ++code) EXPECT_FALSE(cmcIcfFile::MessageText(code).empty()) << code;
    EXPECT_TRUE(cmcIcfFile::MessageText(0).empty());
    EXPECT_TRUE(cmcIcfFile::MessageText(10).empty());
}

// --- Saving never destroys the previous file -------------------------------------------

struct SaveFixture : ::testing::Test {
    TempDir dir;
    std::string target = dir.file("radio.tdf");
    std::string previous = "28970000\r\n#Comment=old\r\n#MapRev=5\r\n00000100\r\n";
    cmcEeprom image = randomImage(11);

    void SetUp() override { writeFile(target, previous); }
    int save() {
        cmcIcfFile file(image);
        file.SetCodes(0x2897, 0);
        file.SetMapRevision(5);
        file.SetShowMessages(false);
        return file.Write(target, kWholeEeprom);
    }
    std::size_t filesInDir() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
    }
};

TEST_F(SaveFixture, AFullDiskLeavesThePreviousFileIntactAndReturnsCode2) {
    TRELVIX_SKIP_WITHOUT_DISK_FULL();
    int code = 0;
    {
        testsupport::DiskFull full(4096);
        code = save();
    }

    EXPECT_EQ(code, FileError::FileAccess);
    EXPECT_EQ(readFile(target), previous);
    EXPECT_EQ(filesInDir(), 1u) << "no temporary file is left behind";
}

TEST_F(SaveFixture, ARefusedRenameLeavesThePreviousFileIntactAndReturnsCode2) {
#ifdef _WIN32
    // Another program holding the file open without sharing makes the replace fail.
    const std::wstring wide = std::filesystem::path(target).wstring();
    const HANDLE held = CreateFileW(wide.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const int code = save();
    CloseHandle(held);
#else
    // An immutable target can be neither written nor replaced, even by an administrator.
    const int fd = ::open(target.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    int flags = 0;
    const bool canMark = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                         (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    if (!canMark) {
        ::close(fd);
        GTEST_SKIP() << "this file system or user cannot mark a file immutable";
    }
    const int code = save();
    flags &= ~FS_IMMUTABLE_FL;
    ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    ::close(fd);
#endif

    EXPECT_EQ(code, FileError::FileAccess);
    EXPECT_EQ(readFile(target), previous);
    EXPECT_EQ(filesInDir(), 1u);
}

TEST_F(SaveFixture, AWriteProtectedFileIsRefusedWithCode1) {
    std::filesystem::permissions(target, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    EXPECT_EQ(save(), FileError::FileOpen);
    EXPECT_EQ(readFile(target), previous);
    EXPECT_EQ(filesInDir(), 1u);
}

TEST_F(SaveFixture, AMissingFolderOrADirectoryInTheWayIsCode1) {
    target = dir.file("no/such/folder.tdf");
    EXPECT_EQ(save(), FileError::FileOpen);
    target = dir.path().string();
    EXPECT_EQ(save(), FileError::FileOpen);
}

TEST_F(SaveFixture, ASuccessfulSaveReplacesTheFileKeepsItsModeAndFollowsALink) {
    std::filesystem::permissions(target, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                             std::filesystem::perms::others_read);
    const std::string link = dir.file("link.tdf");
    std::error_code linkError;
    std::filesystem::create_symlink(target, link, linkError);
    const bool linked = !linkError;  // Windows lets only some users make links
    const std::string real = target;
    if (linked) target = link;
    ASSERT_EQ(save(), FileError::Ok);
    if (linked) {
        EXPECT_TRUE(std::filesystem::is_symlink(link)) << "the link stays a link";
    }
    EXPECT_EQ(readFile(real).substr(0, 10), "28970000\r\n");
    EXPECT_NE(readFile(real), previous);
#ifndef _WIN32  // Windows keeps no permission bits beyond the read-only attribute
    EXPECT_EQ(std::filesystem::status(real).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::others_read);
#endif
    EXPECT_EQ(filesInDir(), linked ? 2u : 1u) << "no temporary file is left behind";
}

}  // namespace
