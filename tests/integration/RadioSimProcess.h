#pragma once
// trelvix-radiosim as a separate process for a test: started from the build's bin
// directory, its device path read from its first line, always killed at the end.

#include <string>
#include <vector>

namespace testsupport {

class RadioSimProcess {
public:
    explicit RadioSimProcess(const std::vector<std::string>& args);
    ~RadioSimProcess();
    RadioSimProcess(const RadioSimProcess&) = delete;
    RadioSimProcess& operator=(const RadioSimProcess&) = delete;

    // The pseudo-terminal the radio listens on; empty when it did not start.
    const std::string& device() const { return device_; }
    // Ends the radio at once (SIGKILL), as a pulled cable would.
    void kill();
    // Asks the radio to stop (SIGTERM) and waits; returns its exit status.
    int terminate();
    // Waits until the radio ends by itself (as after a usage error); returns its exit
    // status, or -1 when it never started or did not exit normally.
    int waitExit();

private:
    int pid_ = -1;
    int out_ = -1;
    std::string device_;
};

}  // namespace testsupport
