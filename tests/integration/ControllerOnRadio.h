#pragma once
// The controller (with a window that records what it is shown) against the virtual radio
// over a pseudo-terminal, on the poll loop, so that the radio's bytes arrive in real time.
#include "RadioSimProcess.h"
#include "WritableImages.h"
#include "app/ControllerWorld.h"
#include "app/FakeView.h"
#include "app/indMain.h"
#include "platform/posix/PollLoop.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace testsupport {

inline const std::string kMobileFile = std::string(TRELVIX_BIN_DIR) + "/Init_LMR_Mob.tdf";
constexpr int kPort = 7;

// Records the clone windows, and whether the main window was disabled while they showed.
struct FakeCloneWindows : CloneView {
    MainView* main = nullptr;
    int progressPaints = 0;
    bool progressWhileEnabled = false;
    int lastFilled = 0;
    bool hidden = true;
    std::optional<CloneInfoModel> info;
    void showProgress(const CloneProgressModel& m) override {
        ++progressPaints;
        hidden = false;
        lastFilled = m.progress.Filled();
        if (main->isEnabled()) progressWhileEnabled = true;
    }
    void hideProgress() override { hidden = true; }
    void askComPort(const ComPortDialogModel&, const std::function<bool(const std::string&)>&) override {}
    void showCloneInformation(const CloneInfoModel& m) override { info = m; }
    std::vector<MeasuredValuesModel> measured;
    void showMeasuredValues(const MeasuredValuesModel& m) override { measured.push_back(m); }
};

struct CloneFakeView : FakeView {
    FakeCloneWindows windows;
    CloneView* cloneView() override { return &windows; }
};

// The controller, counting the identifications of a clone write. Its warning check can be
// made to report errors (no check cell of the overlay reports one for a valid image).
struct CountingController : indMain {
    using indMain::indMain;
    std::vector<int> identifications;
    int extraErrors = 0;
    void CloneWritePhaseTwo(int status) override { identifications.push_back(status); }
    void RunWarningCheck(int& errors, int& warnings) override {
        indMain::RunWarningCheck(errors, warnings);
        errors += extraErrors;
    }
};

// The controller runs on the poll loop, as the command-line tools do, so the simulator's
// bytes arrive in real time.
struct PollLoopClock {
    platform::PollLoop loop;
    platform::ScopedScheduler useLoop{loop};
};

class ControllerCloneTest : public ::testing::Test, protected PollLoopClock, protected ControllerStores {
protected:
    ControllerCloneTest() {
        settings.comPort = kPort;
        controller.SetDataDirectory(TRELVIX_BIN_DIR);
        view.windows.main = &view;
        controller.BuildMainWindow(view);
    }
    void connect(const RadioSimProcess& sim) {
        ASSERT_FALSE(sim.device().empty());
        port.emplace("TRELVIX_COM7", sim.device());
    }
    // Runs the loop until the clone flow ended.
    void waitIdle() {
        loop.runOnce(0);
        EXPECT_TRUE(loop.runUntil([&] { return !controller.Clone().Busy(); }, 120'000)) << "the flow never ended";
    }
    // The current image, programmed so that the write guards let it through.
    void writable() { testsupport::programChannel(controller.CurrentImage(), controller.ModelKind()); }
    std::vector<std::string> messageHeads() const {
        std::vector<std::string> heads;
        for (const auto& m : dialogs.dialogs.messages) heads.push_back(m.text.substr(0, m.text.find('\n')));
        return heads;
    }

    CountingController controller{settings, events};
    CloneFakeView view;
    std::optional<testsupport::ScopedEnv> port;
    testsupport::TempDir dir;
};

}  // namespace testsupport
