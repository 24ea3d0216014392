#pragma once
// A command-line tool of the build run as its own process for a test: arguments in, exit
// status, standard output and standard error out. A signal can be sent once the tool has
// written a given text to stderr (for example its progress bar's first cells).

#include <string>
#include <vector>

namespace testsupport {

struct ToolRun {
    int status = -1;  // the exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
};

struct ToolSignal {
    int number = 0;         // 0: none
    int afterMs = 0;        // sent this long after the start...
};

ToolRun runTool(const std::string& name, const std::vector<std::string>& args, ToolSignal signal = {});

}  // namespace testsupport
