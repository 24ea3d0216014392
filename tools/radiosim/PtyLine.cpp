#include "PtyLine.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace radiosim {

PtyLine::PtyLine(platform::PollLoop& loop, VirtualRadio& radio, bool paced)
    : loop_(loop), radio_(radio), paced_(paced), timer_(loop.createTimer([this] { service(); })) {}

PtyLine::~PtyLine() {
    if (master_ >= 0) {
        loop_.unwatch(master_);
        ::close(master_);
    }
    if (slave_ >= 0) ::close(slave_);
}

std::uint64_t PtyLine::nowUs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1'000'000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000u;
}

std::uint64_t PtyLine::byteTimeUs() const {
    return 10'000'000u / static_cast<std::uint64_t>(radio_.lineRate());  // 10 bits a byte
}

bool PtyLine::rateMatches() const {
    termios t{};
    if (::tcgetattr(master_, &t) != 0) return true;  // nothing to compare with
    const speed_t speed = ::cfgetospeed(&t);
    const int rate = speed == B9600 ? 9600 : speed == B38400 ? 38400 : speed == B19200 ? 19200 : 0;
    return rate == radio_.lineRate();
}

std::string PtyLine::open(std::string& error) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return {};
    }
    const char* name = ::ptsname(master_);
    if (!name) {
        error = std::string("cannot name the pseudo-terminal: ") + std::strerror(errno);
        return {};
    }
    std::string path(name);
    slave_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave_ < 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return {};
    }
    // Raw from the start: no echo of the radio's own bytes, no line editing.
    termios t{};
    ::tcgetattr(slave_, &t);
    ::cfmakeraw(&t);
    ::cfsetispeed(&t, B9600);
    ::cfsetospeed(&t, B9600);
    ::tcsetattr(slave_, TCSANOW, &t);
    updateWatch();
    return path;
}

void PtyLine::updateWatch() {
    const short events = static_cast<short>(POLLIN | (pendingWrite_.empty() ? 0 : POLLOUT));
    if (events == watched_) return;
    watched_ = events;
    loop_.watch(master_, events, [this](short revents) { onMasterReady(revents); });
}

void PtyLine::onMasterReady(short revents) {
    const std::uint64_t now = nowUs();
    if (revents & POLLIN) {
        std::uint8_t buffer[4096];
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        const bool heard = n > 0 && rateMatches();
        for (ssize_t i = 0; heard && i < n; ++i) {
            std::uint64_t due = now;
            if (paced_) {
                due = std::max(inboundLineFree_, now) + byteTimeUs();
                inboundLineFree_ = due;
            }
            inbound_.emplace_back(buffer[i], due);
        }
    }
    service();
}

void PtyLine::service() {
    const std::uint64_t now = nowUs();
    deliverDue(now);
    sendDue(now);
    if (!pendingWrite_.empty()) {
        const ssize_t w = ::write(master_, pendingWrite_.data(), pendingWrite_.size());
        if (w > 0) pendingWrite_.erase(0, static_cast<std::size_t>(w));
    }
    updateWatch();
    // Paced work that is not due yet comes back on the timer.
    const bool waiting = !inbound_.empty() || (paced_ && !radio_.output().empty());
    if (waiting && !timer_->active()) {
        timer_->start(1);
    } else if (!waiting && timer_->active()) {
        timer_->stop();
    }
}

void PtyLine::deliverDue(std::uint64_t now) {
    while (!inbound_.empty() && inbound_.front().second <= now) {
        radio_.receive(inbound_.front().first);
        inbound_.pop_front();
    }
}

void PtyLine::sendDue(std::uint64_t now) {
    auto& out = radio_.output();
    if (!paced_) {
        pendingWrite_.append(out.begin(), out.end());
        out.clear();
        return;
    }
    if (out.empty()) {
        outboundDry_ = true;
        return;
    }
    // A line that ran dry starts again now; a busy one goes on where it is, so that the
    // timer's lateness costs no line time.
    if (outboundDry_) outboundLineFree_ = std::max(outboundLineFree_, now);
    outboundDry_ = false;
    const std::uint64_t step = byteTimeUs();
    while (!out.empty() && outboundLineFree_ + step <= now) {
        pendingWrite_.push_back(static_cast<char>(out.front()));
        out.pop_front();
        outboundLineFree_ += step;
    }
    if (out.empty()) outboundDry_ = true;
}

}  // namespace radiosim
