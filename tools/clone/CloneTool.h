#pragma once
// The commands of trelvix-clone on the program's own objects: the document service loads,
// checks and saves data files, the clone session identifies, reads and writes radios. Each
// command returns the process exit status. Everything runs on one poll loop.

#include "app/CloneSession.h"
#include "app/DocumentService.h"
#include "app/FamilyRules.h"
#include "platform/posix/PollLoop.h"

#include <iosfwd>
#include <string>

class CloneTool {
public:
    static constexpr int kUsageError = 64;
    static constexpr int kInterrupted = 130;  // as shells report a program ended by Ctrl+C
    static constexpr int kDeclined = 1;       // a write refused before anything was sent (a guard,
                                              // the radio's type, an image that does not fit)

    CloneTool(platform::PollLoop& loop, std::ostream& out, std::ostream& err);

    int Identify(const std::string& port, bool json);
    int Read(const std::string& port, const std::string& outFile);
    int Write(const std::string& port, const std::string& inFile, bool highSpeed);
    int Check(const std::string& file);
    int List(const std::string& file);

    // Ctrl+C: the running transfer ends cleanly (port closed, nothing saved).
    void Interrupt();
    bool Interrupted() const { return interrupted_; }

    // Whether stderr shows a progress bar (a terminal).
    void ShowProgressBar(bool show) { progressBar_ = show; }

private:
    bool UsePort(const std::string& port);
    // Runs the loop until the flow's outcome came; returns it.
    CloneOutcome Run(const std::function<bool(CloneSession::Done)>& start);
    int ExitStatus(const CloneOutcome& outcome);
    bool InitialImage(int kind, cmcEeprom& image);
    int LoadFile(const std::string& file, LoadResult& loaded, cmcEeprom& initial);
    void DrawProgress(bool last);

    platform::PollLoop& loop_;
    std::ostream& out_;
    std::ostream& err_;
    FamilyRules rules_;
    DocumentService documents_{rules_};
    CloneSession session_;
    bool interrupted_ = false;
    bool progressBar_ = false;
    int lastCells_ = -1;
};
