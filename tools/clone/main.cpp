// trelvix-clone: identify, read and write radios and check data files from scripts.
//
//   trelvix-clone identify --port PATH [--json]
//   trelvix-clone read     --port PATH --out FILE
//   trelvix-clone write    --port PATH --in FILE [--high-speed] --yes
//   trelvix-clone check    FILE
//   trelvix-clone list     FILE
//
// Exit status: the clone status for identify, read and write (0 success); the data-file
// result code for check and list; 64 for a usage error; 130 when interrupted; 1 when a
// write was refused before anything was sent (no programmed channel, errors in the data, a
// radio of the other type, data that does not fit). Messages go to stderr in the overlay's
// words.
#include "CloneTool.h"

#include "overlay/cmcGTex.h"
#include "platform/posix/PollLoop.h"

#include <CLI/CLI.hpp>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <iostream>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 0;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"trelvix-clone: read, write and identify radios, check data files"};
    app.require_subcommand(1);
    std::string port, out, in, file;
    bool json = false, yes = false, highSpeed = false;
    const char* portHelp = "the radio's serial device, or COM<n>";

    CLI::App* identify = app.add_subcommand("identify", "show what the radio says about itself");
    identify->add_option("--port", port, portHelp)->required();
    identify->add_flag("--json", json, "one JSON object instead of lines");
    CLI::App* read = app.add_subcommand("read", "read the radio into a data file");
    read->add_option("--port", port, portHelp)->required();
    read->add_option("--out", out, "the data file to write")->required();
    CLI::App* write = app.add_subcommand("write", "write a data file to the radio");
    write->add_option("--port", port, portHelp)->required();
    write->add_option("--in", in, "the data file to send")->required()->check(CLI::ExistingFile);
    write->add_flag("--high-speed", highSpeed, "write at 38,400 baud instead of 9,600");
    write->add_flag("--yes", yes, "confirm that the radio's memory is overwritten")->required();
    CLI::App* check = app.add_subcommand("check", "check a data file; the exit status is its result code");
    check->add_option("FILE", file, "the data file")->required();
    CLI::App* list = app.add_subcommand("list", "list the programmed channels of a data file");
    list->add_option("FILE", file, "the data file")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int rc = app.exit(e);
        return rc == 0 ? 0 : CloneTool::kUsageError;
    }

    cmcGTex overlay;
    if (!AttachProductOverlay(overlay)) {
        std::cerr << "trelvix-clone: cannot open the overlay Trelvix.OVL beside the program\n";
        return 1;
    }
    ScopedGTex useOverlay(overlay);
    platform::PollLoop loop;
    platform::ScopedScheduler useLoop(loop);
    CloneTool tool(loop, std::cout, std::cerr);
    tool.ShowProgressBar(::isatty(2) == 1);

    // Ctrl+C and termination reach the loop through a pipe, so the transfer ends from the
    // loop's own thread of control: port closed, nothing half saved.
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return 1;
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    loop.watch(signalPipe[0], POLLIN, [&tool](short) {
        char c;
        while (::read(signalPipe[0], &c, 1) == 1) {
        }
        tool.Interrupt();
    });

    if (*identify) return tool.Identify(port, json);
    if (*read) return tool.Read(port, out);
    if (*write) return yes ? tool.Write(port, in, highSpeed) : CloneTool::kUsageError;
    if (*check) return tool.Check(file);
    if (*list) return tool.List(file);
    return CloneTool::kUsageError;
}
