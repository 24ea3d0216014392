// The single-instance rule on Windows: a named mutex that exists while the first
// instance runs.

#include "platform/InstanceLock.h"

#include <windows.h>

namespace platform {

namespace {

class MutexInstanceLock : public InstanceLock {
public:
    ~MutexInstanceLock() override { release(); }

    bool acquire(const std::string& name) override {
        mutex_ = CreateMutexA(nullptr, FALSE, name.c_str());
        return mutex_ != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
    }

    void release() override {
        if (mutex_) CloseHandle(mutex_);
        mutex_ = nullptr;
    }

private:
    HANDLE mutex_ = nullptr;
};

}  // namespace

std::unique_ptr<InstanceLock> makeSystemInstanceLock() { return std::make_unique<MutexInstanceLock>(); }

}  // namespace platform
