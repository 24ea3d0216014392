#pragma once
// Sets an environment variable for a test's lifetime and puts back what was there before
// (or unsets it), so one test's environment never leaks into the next.

#include <cstdlib>
#include <utility>
#include <optional>
#include <string>

namespace testsupport {

class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::string& value) : name_(std::move(name)) {
        if (const char* old = std::getenv(name_.c_str())) previous_ = old;
        Set(name_, value.c_str());
    }
    ~ScopedEnv() { Set(name_, previous_ ? previous_->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    // Null unsets the variable.
    static void Set(const std::string& name, const char* value) {
#ifdef _WIN32
        ::_putenv_s(name.c_str(), value ? value : "");  // an empty value removes it there
#else
        if (value) {
            ::setenv(name.c_str(), value, 1);
        } else {
            ::unsetenv(name.c_str());
        }
#endif
    }

    std::string name_;
    std::optional<std::string> previous_;
};

}  // namespace testsupport
