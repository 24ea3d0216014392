// The program's clone commands end to end: the controller (with a window that records
// what it is shown) against the virtual radio over a pseudo-terminal, on the poll loop.
#include "ControllerOnRadio.h"
#include "app/cuiSheetTree.h"
#include "image/cmcIcfFile.h"
#include "overlay/cmcGTex.h"

#include <algorithm>
#include <filesystem>

using testsupport::ControllerCloneTest;
using testsupport::kMobileFile;
using testsupport::RadioSimProcess;
using testsupport::traceLines;

namespace {

TEST_F(ControllerCloneTest, ReadReplacesTheImagesAndClearsTheFileName) {
    RadioSimProcess sim({"--mobile", "--image", kMobileFile});
    connect(sim);
    // A BIIS PMR handheld is selected; the radio holds an LMR mobile's image.
    controller.ChangeModel(3, false);
    ASSERT_FALSE(controller.Tree()->FindLink("GI_Sheet_Trunk_Top").empty());
    controller.SetCurrentFileName(dir.file("old.tdf"));
    controller.CloneRead();
    EXPECT_FALSE(view.enabled) << "the main window is disabled while the radio is read";
    waitIdle();
    EXPECT_TRUE(dialogs.dialogs.messages.empty()) << messageHeads().front();
    EXPECT_TRUE(view.enabled);
    EXPECT_TRUE(view.windows.hidden);
    EXPECT_GT(view.windows.progressPaints, 10) << "the progress window repaints while data moves";
    EXPECT_FALSE(view.windows.progressWhileEnabled);
    EXPECT_GE(view.windows.lastFilled, 32) << "every cell filled at the end";
    EXPECT_TRUE(controller.CurrentFileName().empty());
    // The radio image is what the radio holds; the current image is unpacked from it.
    const cmcEeprom file = testsupport::eepromOf(kMobileFile);
    for (std::int32_t a = 0; a <= 0xFF7F; ++a) {
        ASSERT_EQ(controller.RadioImage().GetByte(a), file.GetByte(a)) << a;
    }
    EXPECT_EQ(controller.CurrentImage().GetByte(0x0000), 0x28);
    EXPECT_EQ(controller.Settings().modelType, 4) << "the kind follows the image, without a question";
    EXPECT_TRUE(controller.Tree()->FindLink("GI_Sheet_Trunk_Top").empty()) << "and the tree is pruned for it";
}

TEST_F(ControllerCloneTest, AFailedReadChangesNothing) {
    RadioSimProcess sim({"--fault", "missing-block", "--end", "07FF"});
    connect(sim);
    controller.CurrentImage().SetByte(0x0300, 0x5A);
    controller.MarkSaved();
    controller.SetCurrentFileName(dir.file("kept.tdf"));
    const cmcEeprom current = controller.CurrentImage();
    const cmcEeprom radio = controller.RadioImage();
    controller.CloneRead();
    waitIdle();
    EXPECT_TRUE(controller.CurrentImage().Equals(current));
    EXPECT_TRUE(controller.RadioImage().Equals(radio));
    EXPECT_EQ(controller.CurrentFileName(), dir.file("kept.tdf"));
    ASSERT_EQ(dialogs.dialogs.messages.size(), 1u);
    EXPECT_EQ(messageHeads().front(), GTex().GetLine("GI_Mess_CloneErr_Head", 8));
    EXPECT_EQ(dialogs.dialogs.messages.front().icon, platform::DlgIcon::Error);
    EXPECT_TRUE(view.enabled);
}

TEST_F(ControllerCloneTest, ReadOverUnsavedEditsAsksToSaveFirst) {
    RadioSimProcess sim({"--mobile", "--image", kMobileFile});
    connect(sim);
    controller.CurrentImage().SetByte(0x0300, controller.CurrentImage().GetByte(0x0300) ^ 0xFF);
    dialogs.dialogs.answer(platform::DlgAnswer::Cancel);
    const cmcEeprom current = controller.CurrentImage();
    controller.CloneRead();
    EXPECT_FALSE(controller.Clone().Busy()) << "Cancel at the save prompt reads nothing";
    ASSERT_EQ(dialogs.dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.dialogs.messages.front().buttons, platform::DlgButtons::YesNoCancel);
    EXPECT_TRUE(controller.CurrentImage().Equals(current));
}

TEST_F(ControllerCloneTest, WriteConfirmedIdentifiesTwiceAndReportsSuccess) {
    RadioSimProcess sim({"--mobile", "--save", dir.file("radio.tdf")});
    connect(sim);
    writable();
    dialogs.dialogs.answer(platform::DlgAnswer::Ok);  // the confirmation
    dialogs.dialogs.answer(platform::DlgAnswer::Ok);  // the success box
    controller.CloneWrite();
    waitIdle();
    EXPECT_EQ(controller.identifications, (std::vector<int>{0, 0}));
    ASSERT_EQ(dialogs.dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.dialogs.messages[0].text, GTex().GetBlock("GI_Mess_Confirm_CloneWrite"));
    EXPECT_EQ(dialogs.dialogs.messages[1].text, GTex().GetBlock("GI_Mess_CloneWrite_Succeeded"));
    EXPECT_EQ(dialogs.dialogs.messages[1].icon, platform::DlgIcon::Information);
    EXPECT_EQ(sim.terminate(), 0);
    EXPECT_TRUE(std::filesystem::exists(dir.file("radio.tdf"))) << "the radio accepted the write";
}

TEST_F(ControllerCloneTest, WriteCancelledLeavesTheRadioUntouchedAfterOneIdentification) {
    RadioSimProcess sim({"--mobile", "--save", dir.file("radio.tdf")});
    connect(sim);
    writable();
    dialogs.dialogs.answer(platform::DlgAnswer::Cancel);
    controller.CloneWrite();
    waitIdle();
    EXPECT_EQ(controller.identifications, std::vector<int>{0});
    EXPECT_EQ(dialogs.dialogs.messages.size(), 1u) << "no message after the user's own Cancel";
    EXPECT_EQ(sim.terminate(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file("radio.tdf")));
    EXPECT_TRUE(view.enabled);
}

// The guards refuse before the port is even opened: the radio's trace stays empty.
TEST_F(ControllerCloneTest, RefusedWritesPutNothingOnTheLine) {
    const cmcEeprom initial = controller.CurrentImage();
    struct Case {
        const char* what;
        bool channel;
        int errors;
        const char* text;
    } cases[] = {
        {"no programmed channel", false, 0, "GI_AppMess_CloneErr_NoActualCh"},
        {"no programmed channel and an error", false, 1, "GI_AppMess_CloneErr_NoActualCh"},
        {"an error of the warning check", true, 1, "GI_Mess_DataError"},
    };
    for (const Case& c : cases) {
        const std::string trace = dir.file("trace.txt");
        std::filesystem::remove(trace);
        RadioSimProcess sim({"--mobile", "--trace", trace});
        connect(sim);
        controller.CurrentImage().Assign(initial);
        if (c.channel) writable();
        controller.extraErrors = c.errors;
        dialogs.dialogs.messages.clear();
        controller.CloneWrite();
        EXPECT_FALSE(controller.Clone().Busy()) << c.what;
        ASSERT_EQ(dialogs.dialogs.messages.size(), 1u) << c.what;
        EXPECT_EQ(dialogs.dialogs.messages.front().text, GTex().GetBlock(c.text)) << c.what;
        EXPECT_EQ(dialogs.dialogs.messages.front().icon, platform::DlgIcon::Error) << c.what;
        EXPECT_TRUE(controller.identifications.empty()) << c.what;
        EXPECT_TRUE(view.enabled) << c.what;
        EXPECT_EQ(sim.terminate(), 0);
        EXPECT_TRUE(std::filesystem::exists(trace)) << c.what;
        EXPECT_EQ(traceLines(trace), std::vector<std::string>{}) << c.what;
    }
}

TEST_F(ControllerCloneTest, AHandheldKindIsNotWrittenToAMobileRadio) {
    const std::string trace = dir.file("trace.txt");
    RadioSimProcess sim({"--mobile", "--save", dir.file("radio.tdf"), "--trace", trace});
    connect(sim);
    controller.ChangeModel(0, false);  // LMR handheld
    writable();
    controller.CloneWrite();
    waitIdle();
    EXPECT_EQ(controller.identifications, std::vector<int>{0});
    ASSERT_EQ(dialogs.dialogs.messages.size(), 1u) << "refused before the question";
    EXPECT_EQ(dialogs.dialogs.messages.front().text, GTex().GetBlock("GI_Mess_CloneErr2781_Head"));
    EXPECT_EQ(dialogs.dialogs.messages.front().icon, platform::DlgIcon::Error);
    EXPECT_EQ(sim.terminate(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file("radio.tdf")));
    testsupport::ExpectOnlyOneIdentification(trace);
}

// The radio holds the copy prepared for it: the windows of the two-tone codes for its
// revision (computed by hand here) and its level at 0x108; the current image keeps its own.
TEST_F(ControllerCloneTest, WrittenRadioHoldsThePreparedCopyWithTheWindowsForItsRevision) {
    const cmcEeprom initial = controller.CurrentImage();
    struct Case {
        const char* revision;
        std::uint16_t lower1, upper1, lower2, upper2;
    } cases[] = {
        {"1.0", 9700, 10300, 2474, 2627},  // 3 %: 10000 and 2550 (0.1 Hz)
        {"1.2", 9800, 10200, 2499, 2601},  // 2 %
    };
    for (const Case& c : cases) {
        const std::string saved = dir.file(std::string("radio-") + c.revision + ".tdf");
        RadioSimProcess sim({"--mobile", "--save", saved, "--level", "3", "--revision", c.revision});
        connect(sim);
        controller.CurrentImage().Assign(initial);
        writable();
        testsupport::setTwoTone(controller.CurrentImage(), {3, 10000, 2550});
        const cmcEeprom before = controller.CurrentImage();
        dialogs.dialogs.messages.clear();
        dialogs.dialogs.answer(platform::DlgAnswer::Ok);
        dialogs.dialogs.answer(platform::DlgAnswer::Ok);
        controller.CloneWrite();
        waitIdle();
        ASSERT_EQ(dialogs.dialogs.messages.size(), 2u) << c.revision;
        EXPECT_EQ(dialogs.dialogs.messages[1].text, GTex().GetBlock("GI_Mess_CloneWrite_Succeeded"));
        ASSERT_EQ(sim.terminate(), 0);

        cmcEeprom expected = before;
        testsupport::setWindows(expected, 3, c.lower1, c.upper1, c.lower2, c.upper2);
        EXPECT_EQ(testsupport::differencesFromPrepared(testsupport::eepromOf(saved), expected,
                                                       controller.InitialImage(), 4, 3),
                  std::vector<std::int32_t>{})
            << c.revision;
        EXPECT_TRUE(controller.CurrentImage().Equals(before)) << "the windows went into the copy only";
    }
}

TEST_F(ControllerCloneTest, CloneInformationShowsTheRadiosIdentity) {
    RadioSimProcess sim({"--mobile", "--serial", "0A0000FF1234", "--revision", "2.5"});
    connect(sim);
    controller.CloneInformation();
    waitIdle();
    ASSERT_TRUE(view.windows.info);
    EXPECT_EQ(view.windows.info->caption, GTex().GetLine("GI_Sys_AppTitle_ADJ", 0));
    const auto& rows = view.windows.info->rows;
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[1].second, "2.5");
    EXPECT_EQ(rows[6].second, "1000255");
    EXPECT_EQ(view.windows.progressPaints, 0) << "identification runs without the progress window";
}

TEST_F(ControllerCloneTest, EachFaultEndsWithItsMessage) {
    struct Case {
        std::vector<std::string> radio;
        int status;
    } cases[] = {
        {{"--fault", "silence"}, 5},
        {{"--fault", "bad-checksum", "--end", "07FF"}, 6},
        {{"--fault", "wrong-count", "--end", "07FF"}, 7},
        {{"--fault", "extra-block", "--end", "07FF"}, 9},
        {{"--level", "6"}, 14},
    };
    for (const Case& c : cases) {
        RadioSimProcess sim(c.radio);
        connect(sim);
        dialogs.dialogs.messages.clear();
        controller.CloneRead();
        waitIdle();
        ASSERT_EQ(dialogs.dialogs.messages.size(), 1u) << c.status;
        EXPECT_EQ(messageHeads().front(), GTex().GetLine("GI_Mess_CloneErr_Head", c.status));
    }
}

TEST_F(ControllerCloneTest, APortThatCannotBeOpenedIsNamedWithItsDevice) {
    port.emplace("TRELVIX_COM7", "/dev/trelvix-no-such-port");
    controller.CloneRead();
    waitIdle();
    ASSERT_EQ(dialogs.dialogs.messages.size(), 1u);
    const std::string& text = dialogs.dialogs.messages.front().text;
    EXPECT_EQ(text.substr(0, text.find('\n')), "The serial port 7 could not be opened.");
    EXPECT_NE(text.find("/dev/trelvix-no-such-port"), std::string::npos) << text;
}

TEST_F(ControllerCloneTest, PortDialogTakesOnlyNumbersFromOneTo256) {
    struct Case {
        const char* text;
        int port;  // 0: refused
    } cases[] = {{"0", 0}, {"257", 0}, {"abc", 0}, {"", 0}, {"12a", 0}, {" 12 ", 12}, {"256", 256}, {"1", 1}};
    for (const Case& c : cases) {
        settings.comPort = 3;
        dialogs.dialogs.messages.clear();
        EXPECT_EQ(controller.AcceptComPortText(c.text), c.port != 0) << c.text;
        EXPECT_EQ(settings.comPort, c.port != 0 ? c.port : 3) << c.text;
        if (c.port == 0) {
            ASSERT_EQ(dialogs.dialogs.messages.size(), 1u) << c.text;
            EXPECT_EQ(dialogs.dialogs.messages.front().text, GTex().GetBlock("GI_AppInd_Opt_ComSel_OutofRange"));
        }
    }
    settings.comPort = 3;
    port.emplace("TRELVIX_COM7", "/dev/pts/424242");
    const ComPortDialogModel model = controller.PortDialogModel();
    EXPECT_EQ(model.current, "3");
    EXPECT_NE(std::find(model.devices.begin(), model.devices.end(), std::make_pair(7, std::string("/dev/pts/424242"))),
              model.devices.end());
}

TEST_F(ControllerCloneTest, MeasuredValuesWindowReadsTheThirteenValuesBack) {
    RadioSimProcess sim({});
    connect(sim);
    controller.OpenMeasuredValues();
    ASSERT_EQ(view.windows.measured.size(), 1u) << "the window opens at once";
    EXPECT_FALSE(view.enabled);
    controller.UpdateMeasuredValues();  // a second press while the first list runs
    waitIdle();
    ASSERT_EQ(view.windows.measured.size(), 2u) << "one list, shown when it ended";
    const auto& rows = view.windows.measured.back().rows;
    ASSERT_EQ(rows.size(), 13u);
    // The virtual radio's fixed readings for parameters 1 and 43.
    EXPECT_EQ(rows.front(), std::make_pair(std::string("Parameter 1"), std::string("156")));
    EXPECT_EQ(rows.back(), std::make_pair(std::string("Parameter 43"), std::string("193")));
    EXPECT_TRUE(dialogs.dialogs.messages.empty());
    EXPECT_TRUE(view.enabled);
    // The window shows one sheet from opening to closing.
    cuiSheet* sheet = view.windows.measured.front().sheet;
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->Name(), "GI_Sheet_Win_AD");
    EXPECT_EQ(view.windows.measured.back().sheet, sheet);

    // Its placement is kept under the sheet key for the next opening; the sheet goes.
    ASSERT_TRUE(controller.OnMeasuredValuesClose({40, 50, 300, 400}));
    EXPECT_EQ(controller.MeasuredValuesView().placement, (WinRect{40, 50, 300, 400}));
    EXPECT_FALSE(controller.MeasuredValuesView().sheet);
}

TEST_F(ControllerCloneTest, LiveValueIsSentOnlyWhileNothingElseRuns) {
    RadioSimProcess sim({});
    connect(sim);
    std::uint8_t target = 0;
    ASSERT_TRUE(controller.SendLiveValue(0x21, 0x3A, &target, false));
    EXPECT_EQ(target, 0x3A) << "without a reply the value is stored at once";
    EXPECT_FALSE(controller.SendLiveValue(0x22, 0x01, &target, false)) << "one transfer at a time";
    waitIdle();
    std::uint8_t reply = 0;
    ASSERT_TRUE(controller.SendLiveValue(0x03, 35, &reply, true));
    waitIdle();
    EXPECT_EQ(reply, 0x0F) << "the radio's reading for parameter 35";
    EXPECT_TRUE(dialogs.dialogs.messages.empty());
}

TEST_F(ControllerCloneTest, LiveValueWithoutAnAnswerEndsWithTheTimeoutMessage) {
    RadioSimProcess sim({"--fault", "silence"});
    connect(sim);
    std::uint8_t reply = 0x55;
    ASSERT_TRUE(controller.SendLiveValue(0x03, 1, &reply, true));
    waitIdle();
    EXPECT_EQ(reply, 0x55);
    ASSERT_EQ(dialogs.dialogs.messages.size(), 1u);
    EXPECT_EQ(messageHeads().front(), GTex().GetLine("GI_Mess_CloneErr_Head", 5));
}

}  // namespace
