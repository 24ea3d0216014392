#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

namespace platform {

namespace {

class FlockInstanceLock : public InstanceLock {
public:
    ~FlockInstanceLock() override { release(); }

    bool acquire(const std::string& name) override {
        std::string file;
        for (char c : name) file += (c == '/' || c == ' ') ? '_' : c;
        file += ".lock";
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        for (const std::string& dir : {std::string(runtime && *runtime ? runtime : ""), std::string("/tmp")}) {
            if (dir.empty()) continue;
            fd_ = ::open((dir + "/" + file).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
            if (fd_ >= 0) break;
        }
        // No folder takes a lock file: run rather than refuse to start without a word.
        if (fd_ < 0) return true;
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
        ::close(fd_);
        fd_ = -1;
        return false;
    }

    void release() override {
        if (fd_ >= 0) ::close(fd_);  // closing drops the lock; the file stays for the next run
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

}  // namespace

std::unique_ptr<InstanceLock> makeSystemInstanceLock() { return std::make_unique<FlockInstanceLock>(); }

}  // namespace platform
