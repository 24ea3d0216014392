#pragma once
// Single-instance lock seam: the first process to take a name holds it until it ends;
// later processes learn that they are not the first.

#include <memory>
#include <set>
#include <string>

namespace platform {

class InstanceLock {
public:
    virtual ~InstanceLock() = default;
    // True when this process now holds `name` (it is the first instance).
    virtual bool acquire(const std::string& name) = 0;
    virtual void release() = 0;
};

// flock(2) on "<name>.lock" in $XDG_RUNTIME_DIR (fallback /tmp); Windows uses a named mutex.
std::unique_ptr<InstanceLock> makeSystemInstanceLock();

// In-memory double: names held by any live MemoryInstanceLock of this process.
class MemoryInstanceLock : public InstanceLock {
public:
    ~MemoryInstanceLock() override { release(); }
    bool acquire(const std::string& name) override;
    void release() override;

private:
    static std::set<std::string>& held();
    std::string name_;
};

}  // namespace platform
