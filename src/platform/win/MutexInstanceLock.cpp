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
        release();
        HANDLE h = CreateMutexA(nullptr, FALSE, name.c_str());
        if (h == nullptr) return false;
        if (GetLastError() == ERROR_ALREADY_EXISTS) {
            // Another holder has it. Keeping this handle would keep the mutex alive after
            // that holder ends, so no later attempt could ever succeed.
            CloseHandle(h);
            return false;
        }
        mutex_ = h;
        return true;
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
