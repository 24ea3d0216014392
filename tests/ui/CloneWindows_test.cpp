// The clone commands in the real window on Qt's offscreen platform, against the virtual
// radio: the program stays responsive while data moves, the progress window repaints, and
// Cancel ends a read with the image unchanged.
#include "app/ControllerWorld.h"
#include "app/cmcEvMan.h"
#include "app/indEnviron.h"
#include "app/indMain.h"
#include "integration/RadioSimProcess.h"
#include "overlay/cmcGTex.h"
#include "platform/Clipboard.h"
#include "platform/doubles/ScriptedDialogs.h"
#include "platform/qt/QtScheduler.h"
#include "support/ScopedEnv.h"
#include "ui/CloneWindows.h"
#include "ui/TForm1.h"
#include "ui/cuiGrid.h"

#include <iostream>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "QtTestApp.h"

namespace {

// The Qt application and its timers come before the controller's stores.
struct QtClock {
    struct App {
        App() { EnsureQtTestApp(); }
    } app;  // before every widget
    platform::QtScheduler scheduler;
    platform::ScopedScheduler useScheduler{scheduler};
};

class CloneWindowsTest : public ::testing::Test, protected QtClock, protected ControllerStores {
protected:
    CloneWindowsTest() {
        settings.comPort = 7;
        controller.SetDataDirectory(TRELVIX_BIN_DIR);
        controller.BuildMainWindow(form);
        form.show();
    }
    // Runs the event loop while `condition` holds, at most `ms`.
    void runWhile(const std::function<bool()>& condition, int ms) {
        QElapsedTimer clock;
        clock.start();
        while (condition() && clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    indMain controller{settings, events};
    TForm1 form{controller};
};

TEST_F(CloneWindowsTest, TheProgramStaysResponsiveWhileARadioIsRead) {
    // A whole radio: the read takes a few seconds.
    testsupport::RadioSimProcess sim({"--mobile", "--image", std::string(TRELVIX_BIN_DIR) + "/Init_LMR_Mob.tdf"});
    ASSERT_FALSE(sim.device().empty());
    testsupport::ScopedEnv port("TRELVIX_COM7", sim.device());
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);

    controller.CloneRead();
    runWhile([&] { return !form.cloneWindows() || !form.cloneWindows()->progressWindow(); }, 10'000);
    ASSERT_TRUE(form.cloneWindows() && form.cloneWindows()->progressWindow()) << "no progress window";
    EXPECT_FALSE(form.isEnabled()) << "the main window is disabled during the read";
    EXPECT_TRUE(form.cloneWindows()->cancelButton()->isVisible());
    const int ticksBefore = ticks;
    runWhile([&] { return form.cloneWindows()->progressArea() && form.cloneWindows()->progressArea()->paints() < 3; },
             10'000);
    ASSERT_TRUE(form.cloneWindows()->progressArea());
    EXPECT_GE(form.cloneWindows()->progressArea()->paints(), 3) << "the progress area repaints during the read";
    EXPECT_TRUE(controller.Clone().Busy()) << "the read was still running";
    EXPECT_GT(ticks, ticksBefore) << "timers keep firing while the read runs";

    runWhile([&] { return controller.Clone().Busy(); }, 60'000);
    EXPECT_FALSE(controller.Clone().Busy());
    EXPECT_TRUE(form.isEnabled());
    EXPECT_FALSE(form.cloneWindows()->progressWindow());
    for (const auto& m : dialogs.dialogs.messages) ADD_FAILURE() << m.text;
}

TEST_F(CloneWindowsTest, CancelEndsAReadWithTheImageUnchanged) {
    testsupport::RadioSimProcess sim({"--pace", "--mobile"});
    ASSERT_FALSE(sim.device().empty());
    testsupport::ScopedEnv port("TRELVIX_COM7", sim.device());
    controller.SetCurrentFileName("/tmp/kept.tdf");
    const cmcEeprom current = controller.CurrentImage();
    controller.CloneRead();
    runWhile([&] { return !form.cloneWindows() || !form.cloneWindows()->progressWindow(); }, 10'000);
    ASSERT_TRUE(form.cloneWindows() && form.cloneWindows()->progressWindow());
    QPushButton* cancel = form.cloneWindows()->cancelButton();
    ASSERT_TRUE(cancel->isEnabled()) << "Cancel works while the main window is disabled";
    cancel->click();
    runWhile([&] { return controller.Clone().Busy(); }, 10'000);
    EXPECT_FALSE(controller.Clone().Busy());
    EXPECT_TRUE(controller.CurrentImage().Equals(current));
    EXPECT_EQ(controller.CurrentFileName(), "/tmp/kept.tdf");
    EXPECT_TRUE(dialogs.dialogs.messages.empty()) << "the user's own Cancel needs no message";
    EXPECT_TRUE(form.isEnabled());
}

TEST_F(CloneWindowsTest, PortDialogKeepsAWrongNumberAndTakesAGoodOne) {
    testsupport::ScopedEnv port("TRELVIX_COM9", "/dev/pts/4242");
    settings.comPort = 3;
    bool refusedStayedOpen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        auto* edit = dialog->findChild<QLineEdit*>();
        EXPECT_EQ(edit->text(), "3");
        auto* ok = dialog->findChildren<QPushButton*>().front();
        edit->setText("257");
        ok->click();
        refusedStayedOpen = dialog->isVisible();
        // Picking the device that COM9 reaches puts its number in the field.
        auto* list = dialog->findChild<QListWidget*>();
        ASSERT_TRUE(list);
        const auto items = list->findItems("COM9: /dev/pts/4242", Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        list->setCurrentItem(items.front());
        EXPECT_EQ(edit->text(), "9");
        edit->setText(" 12 ");
        ok->click();
    });
    controller.ComPortDialog();
    EXPECT_TRUE(refusedStayedOpen);
    ASSERT_EQ(dialogs.dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.dialogs.messages.front().text, GTex().GetBlock("GI_AppInd_Opt_ComSel_OutofRange"));
    EXPECT_EQ(settings.comPort, 12);
}

TEST_F(CloneWindowsTest, MeasuredValuesWindowClosesOnlyWhenNoTransferRuns) {
    testsupport::RadioSimProcess sim({});
    ASSERT_FALSE(sim.device().empty());
    testsupport::ScopedEnv port("TRELVIX_COM7", sim.device());
    controller.OpenMeasuredValues();
    SheetWindow* window = form.cloneWindows()->measuredValues();
    ASSERT_TRUE(window);
    EXPECT_TRUE(controller.Clone().Busy());
    window->close();
    EXPECT_TRUE(window->isVisible()) << "Close is refused while the list runs";
    runWhile([&] { return controller.Clone().Busy(); }, 10'000);
    if (!dialogs.dialogs.messages.empty()) {
        // A list that failed on a loaded machine (the reply of an item came late) shows its
        // message; the technician presses Update again, and so does the test, saying why.
        std::cerr << "first read-back failed: " << dialogs.dialogs.messages.back().text << "\n";
        dialogs.dialogs.messages.clear();
        controller.UpdateMeasuredValues();
        runWhile([&] { return controller.Clone().Busy(); }, 10'000);
    }
    EXPECT_TRUE(dialogs.dialogs.messages.empty()) << dialogs.dialogs.messages.front().text;
    cuiSheet* sheet = window->grid()->sheet();
    ASSERT_TRUE(sheet) << "the window shows its sheet through the sheet grid";
    EXPECT_EQ(sheet->Name(), "GI_Sheet_Win_AD");
    EXPECT_EQ(controller.MeasuredValuesView().rows.front().second, "156");
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->grid()->sheet()) << "the closed window let go of its sheet";
    ASSERT_NE(settings.FindEditWindowPos("GI_Sheet_Win_AD"), nullptr) << "its placement is stored";
}

TEST_F(CloneWindowsTest, CloneInformationShowsItsSheetAndTheSerialNumbersPopupCopiesIt) {
    platform::MemoryClipboard clipboard;
    platform::ScopedClipboard useClipboard(clipboard);
    testsupport::RadioSimProcess sim({"--mobile", "--serial", "0A0000FF1234"});
    ASSERT_FALSE(sim.device().empty());
    testsupport::ScopedEnv port("TRELVIX_COM7", sim.device());
    controller.CloneInformation();
    runWhile([&] { return controller.Clone().Busy(); }, 10'000);
    ASSERT_TRUE(dialogs.dialogs.messages.empty()) << dialogs.dialogs.messages.front().text;
    SheetWindow* window = form.cloneWindows()->cloneInformation();
    ASSERT_TRUE(window && window->isVisible());
    EXPECT_FALSE(window->updateButton()->isVisible()) << "nothing to update: the radio is read by the menu";
    cuiSheet* sheet = window->grid()->sheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->Name(), "GI_Sheet_CloneInfo");

    // A right click on the serial number offers its copy; choosing it fills the clipboard.
    std::optional<SheetPos> serial;
    for (std::int32_t row = 0; row < sheet->RowCount(); ++row)
        for (std::int32_t col = 0; col < sheet->ColCount(); ++col)
            if (sheet->CellAt(col, row).key.id == CellIdOf("CL_CloneInfo_Esn")) serial = SheetPos{col, row};
    ASSERT_TRUE(serial);
    QStringList offered;
    window->grid()->setPopupRunner([&](QMenu& menu, const QPoint&) -> QAction* {
        for (QAction* a : menu.actions()) offered << a->text();
        return menu.actions().isEmpty() ? nullptr : menu.actions().front();
    });
    const auto rect = sheet->CellRect(serial->col, serial->row);
    ASSERT_TRUE(rect);
    const QPoint at(rect->left + 3, rect->top + 3);
    QMouseEvent press(QEvent::MouseButtonPress, at, window->grid()->viewport()->mapToGlobal(at), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(window->grid()->viewport(), &press);
    EXPECT_EQ(offered, QStringList{"Copy serial number"});
    EXPECT_EQ(clipboard.text, "1000255");

    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->grid()->sheet()) << "the closed window let go of its sheet";
}

}  // namespace
