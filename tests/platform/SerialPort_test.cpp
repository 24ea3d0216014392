#include "comm/cmcComm.h"
#include "platform/SerialPort.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include "platform/posix/PollLoop.h"
#include "platform/posix/SerialPosix.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <map>
#include <vector>

namespace {

TEST(ComPortMapping, EnvironmentThenSettingsThenPresentDevices) {
    testsupport::TempDir dev;
    for (const char* name : {"ttyS10", "ttyS2", "ttyS0", "ttyACM0", "ttyUSB1", "ttyUSB0", "ttySX", "tty5"}) {
        testsupport::writeFile(dev.file(name), "");
    }
    std::map<std::string, std::string> environment = {{"TRELVIX_COM2", "/dev/pts/7"}};
    std::map<int, std::string> stored = {{2, "/dev/stored2"}, {3, "/dev/stored3"}};
    platform::ComPortSources sources;
    sources.deviceDirectory = dev.path().string();
    sources.environment = [&](const std::string& n) -> std::optional<std::string> {
        auto it = environment.find(n);
        return it == environment.end() ? std::nullopt : std::optional(it->second);
    };
    sources.stored = [&](int n) -> std::optional<std::string> {
        auto it = stored.find(n);
        return it == stored.end() ? std::nullopt : std::optional(it->second);
    };
    const auto d = [&](const char* name) { return dev.file(name); };
    EXPECT_EQ(platform::resolveComPort(1, sources), d("ttyUSB0"));
    EXPECT_EQ(platform::resolveComPort(2, sources), "/dev/pts/7") << "the environment first";
    EXPECT_EQ(platform::resolveComPort(3, sources), "/dev/stored3") << "then the settings";
    // Otherwise COM n is the n-th present device: ttyUSB0, ttyUSB1, ttyACM0, ttyS0, ttyS2, ttyS10.
    EXPECT_EQ(platform::resolveComPort(4, sources), d("ttyS0"));
    EXPECT_EQ(platform::resolveComPort(6, sources), d("ttyS10")) << "numeric order, not text order";
    EXPECT_EQ(platform::resolveComPort(7, sources), "");
    environment.clear();
    EXPECT_EQ(platform::resolveComPort(2, sources), "/dev/stored2");
    stored.clear();
    EXPECT_EQ(platform::resolveComPort(2, sources), d("ttyUSB1"));
    EXPECT_EQ(platform::resolveComPort(0, sources), "");
}

#ifndef _WIN32  // the termios backend, its error texts and a pseudo-terminal as the cable
TEST(SerialOpenFailure, PermissionNamesTheDeviceAndTheGroup) {
    testsupport::TempDir dir;
    const std::string path = dir.file("ttyUSB0");
    testsupport::writeFile(path, "");
    const group* g = ::getgrgid(::getgid());
    ASSERT_NE(g, nullptr);
    const std::string text = platform::serialOpenFailure(path, EACCES);
    EXPECT_NE(text.find(path), std::string::npos) << text;
    EXPECT_NE(text.find("Permission denied"), std::string::npos) << text;
    EXPECT_NE(text.find("'" + std::string(g->gr_name) + "'"), std::string::npos) << text;
    EXPECT_NE(text.find("usermod -aG"), std::string::npos) << text;
    EXPECT_NE(platform::serialOpenFailure("/dev/nothing", ENOENT).find("/dev/nothing"), std::string::npos);
}

// A real pseudo-terminal stands for the cable.
class PtySerialTest : public ::testing::Test {
protected:
    void SetUp() override {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(master, 0);
        ASSERT_EQ(::grantpt(master), 0);
        ASSERT_EQ(::unlockpt(master), 0);
        path = ::ptsname(master);
    }
    void TearDown() override { ::close(master); }

    int master = -1;
    std::string path;
    platform::PollLoop loop;
    platform::ScopedScheduler useLoop{loop};
};

TEST_F(PtySerialTest, RawExclusiveAndNonBlocking) {
    cmcComm comm;
    ASSERT_TRUE(comm.openPath(path, "38400,N,8,1")) << comm.openError();
    termios t{};
    ASSERT_EQ(::tcgetattr(master, &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B38400));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);

    cmcComm second;
    EXPECT_FALSE(second.openPath(path, "9600,N,8,1")) << "the port is ours alone";
    EXPECT_NE(second.openError().find(path), std::string::npos);

    std::uint8_t buffer[16];
    EXPECT_EQ(comm.read(buffer, 16), 0) << "nothing waits: no waiting";
    const std::uint8_t bytes[] = {0xFE, 0xFE, 0xEE, 0xEF, 0xFD};
    comm.send(bytes, 5);
    // The bytes reach the other side when the terminal has passed them on: wait for them
    // with poll(2) (the loop keeps the transmit pump going meanwhile), then read.
    std::vector<std::uint8_t> got;
    loop.runUntil(
        [&] {
            pollfd p{master, POLLIN, 0};
            std::uint8_t chunk[8];
            const ssize_t n = ::poll(&p, 1, 0) == 1 ? ::read(master, chunk, sizeof chunk) : 0;
            if (n > 0) got.insert(got.end(), chunk, chunk + n);
            return got.size() >= 5;
        },
        2000);
    EXPECT_EQ(got, std::vector<std::uint8_t>(bytes, bytes + 5));
    ASSERT_EQ(::write(master, "\x11\x13\xFD", 3), 3);
    loop.runUntil([&] { return comm.inQueue() == 3; }, 2000);
    EXPECT_EQ(comm.read(buffer, 16), 3) << "flow-control bytes are data";
    EXPECT_EQ(buffer[0], 0x11);
    comm.close();
    EXPECT_TRUE(second.openPath(path, "9600,N,8,1")) << "free again after close";
}

TEST_F(PtySerialTest, AMissingDeviceSaysSo) {
    cmcComm comm;
    EXPECT_FALSE(comm.openPath("/dev/trelvix-no-such-port", "9600,N,8,1"));
    EXPECT_NE(comm.openError().find("/dev/trelvix-no-such-port"), std::string::npos);
}

#endif

}  // namespace
