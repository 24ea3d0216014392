#include "platform/InstanceLock.h"

namespace platform {

std::set<std::string>& MemoryInstanceLock::held() {
    static std::set<std::string> names;
    return names;
}

bool MemoryInstanceLock::acquire(const std::string& name) {
    if (!name_.empty() || !held().insert(name).second) return false;
    name_ = name;
    return true;
}

void MemoryInstanceLock::release() {
    if (!name_.empty()) held().erase(name_);
    name_.clear();
}

}  // namespace platform
