#pragma once
// The virtual radio's end of the cable: the master side of a pseudo-terminal. Paced, the
// line carries 10 bits a byte at the rate the radio was last told to use, both ways: the
// radio sends no faster, and acts on a byte no earlier than it would have arrived. Bytes
// sent while the program's port runs at another rate than the radio are garbled on a
// real line; here they are lost.

#include "VirtualRadio.h"
#include "platform/posix/PollLoop.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <utility>

namespace radiosim {

class PtyLine {
public:
    PtyLine(platform::PollLoop& loop, VirtualRadio& radio, bool paced);
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    // Creates the pseudo-terminal; returns the device path the program opens, or empty
    // with `error` set.
    std::string open(std::string& error);

private:
    static std::uint64_t nowUs();
    std::uint64_t byteTimeUs() const;
    bool rateMatches() const;
    void onMasterReady(short revents);
    void service();
    void deliverDue(std::uint64_t now);
    void sendDue(std::uint64_t now);
    void updateWatch();

    platform::PollLoop& loop_;
    VirtualRadio& radio_;
    bool paced_;
    int master_ = -1;
    int slave_ = -1;  // held open so the line survives the program closing its port
    std::deque<std::pair<std::uint8_t, std::uint64_t>> inbound_;  // byte, arrival time
    std::uint64_t inboundLineFree_ = 0;
    std::uint64_t outboundLineFree_ = 0;
    bool outboundDry_ = true;
    std::string pendingWrite_;  // taken from the radio, not yet accepted by the pty
    std::unique_ptr<platform::Timer> timer_;
    short watched_ = 0;
};

}  // namespace radiosim
