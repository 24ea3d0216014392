// The termios backend of the serial seam.
#include "platform/posix/SerialPosix.h"

#include "platform/SerialPort.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace platform {

namespace {

std::uint64_t nowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1'000'000u;
}

std::optional<speed_t> speedCode(int baud) {
    struct Rate {
        int baud;
        speed_t code;
    };
    static constexpr Rate kRates[] = {{1200, B1200},   {2400, B2400},   {4800, B4800},   {9600, B9600},
                                      {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}};
    for (const Rate& r : kRates) {
        if (r.baud == baud) return r.code;
    }
    return std::nullopt;
}

tcflag_t sizeFlag(int dataBits) {
    switch (dataBits) {
        case 5: return CS5;
        case 6: return CS6;
        case 7: return CS7;
        case 8: return CS8;
        default: return CS5;  // 4 data bits do not exist on this side; the nearest is 5
    }
}

class PosixSerialDevice : public SerialDevice {
public:
    PosixSerialDevice(int fd, int baud) : fd_(fd), baud_(baud) {}
    ~PosixSerialDevice() override {
        ::flock(fd_, LOCK_UN);
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
    }

    int read(std::uint8_t* buffer, int max) override {
        if (max <= 0) return 0;
        const ssize_t n = ::read(fd_, buffer, static_cast<std::size_t>(max));
        return n > 0 ? static_cast<int>(n) : 0;
    }

    int write(const std::uint8_t* bytes, int n) override {
        const std::uint64_t deadline =
            nowMs() + static_cast<std::uint64_t>(n) * static_cast<std::uint64_t>(100'000 / baud_) + 3000;
        int done = 0;
        while (done < n) {
            const ssize_t w = ::write(fd_, bytes + done, static_cast<std::size_t>(n - done));
            if (w > 0) {
                done += static_cast<int>(w);
                continue;
            }
            if (w < 0 && errno != EAGAIN && errno != EINTR) break;
            const std::uint64_t now = nowMs();
            if (now >= deadline) break;
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, static_cast<int>(deadline - now));
            if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) break;
        }
        return done;
    }

    int inQueue() override {
        int n = 0;
        return ::ioctl(fd_, FIONREAD, &n) == 0 ? n : -1;
    }
    int outQueue() override {
        int n = 0;
        return ::ioctl(fd_, TIOCOUTQ, &n) == 0 ? n : -1;
    }

private:
    int fd_;
    int baud_;
};

class PosixSerialPorts : public SerialPorts {
public:
    std::unique_ptr<SerialDevice> open(const std::string& path, const LineSettings& settings,
                                       std::string& reason) override {
        const auto speed = speedCode(settings.baudRate);
        if (!speed) {
            reason = "cannot open " + path + ": the line rate " + std::to_string(settings.baudRate) +
                     " is not supported";
            return nullptr;
        }
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            reason = serialOpenFailure(path, errno);
            return nullptr;
        }
        // TIOCEXCL keeps other programs out (not the superuser); the lock also keeps out
        // another copy of a program that asks first, whoever runs it.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            reason = serialOpenFailure(path, EBUSY);
            ::close(fd);
            return nullptr;
        }
        ::ioctl(fd, TIOCEXCL);
        auto device = std::make_unique<PosixSerialDevice>(fd, settings.baudRate);
        termios t{};
        if (::tcgetattr(fd, &t) != 0) {
            reason = "cannot open " + path + ": not a serial device (" + std::strerror(errno) + ")";
            return nullptr;
        }
        ::cfmakeraw(&t);
        t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL);
        t.c_cflag |= CLOCAL | CREAD | sizeFlag(settings.dataBits);
        if (settings.stopBits != 0) t.c_cflag |= CSTOPB;  // one and a half does not exist here: two
        t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | ISTRIP);
        t.c_iflag |= IGNBRK;
        t.c_cc[VMIN] = 0;
        t.c_cc[VTIME] = 0;
        ::cfsetispeed(&t, *speed);
        ::cfsetospeed(&t, *speed);
        if (::tcsetattr(fd, TCSANOW, &t) != 0) {
            reason = "cannot set up " + path + ": " + std::strerror(errno);
            return nullptr;
        }
        ::tcflush(fd, TCIOFLUSH);
        // The radio link wants DTR held off and RTS held on. A pseudo-terminal has no modem
        // lines, which is no error.
        int dtr = TIOCM_DTR;
        int rts = TIOCM_RTS;
        if ((::ioctl(fd, TIOCMBIC, &dtr) != 0 || ::ioctl(fd, TIOCMBIS, &rts) != 0) && errno != ENOTTY &&
            errno != EINVAL) {
            reason = "cannot set the modem lines of " + path + ": " + std::strerror(errno);
            return nullptr;
        }
        return device;
    }

    std::string comPortPath(int number) override { return resolveComPort(number, systemComPortSources()); }

    void pause(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

}  // namespace

// Why the device could not be opened, in words a technician can act on.
std::string serialOpenFailure(const std::string& path, int error) {
    std::string text = "cannot open " + path + ": " + std::strerror(error);
    if (error == EACCES || error == EPERM) {
        struct stat st{};
        if (::stat(path.c_str(), &st) == 0) {
            if (const group* g = ::getgrgid(st.st_gid)) {
                text += ". The device belongs to the group '" + std::string(g->gr_name) +
                        "': add your user to that group (usermod -aG " + g->gr_name +
                        " <user>) and log in again";
            }
        }
    } else if (error == EBUSY || error == EWOULDBLOCK) {
        text = "cannot open " + path + ": the port is in use by another program";
    } else if (error == ENOENT) {
        text = "cannot open " + path + ": no such device (is the cable plugged in?)";
    }
    return text;
}

SerialPorts& systemSerialPorts() {
    static PosixSerialPorts ports;
    return ports;
}

}  // namespace platform
