#pragma once
// A fresh directory under the system's temporary folder, removed with everything in it
// when the test ends. Tests that touch files use real files here.

#include <filesystem>
#include <string>

namespace testsupport {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Makes every file write of this process fail past `bytes` (as a full disk does) for
// the object's lifetime. Works for root too, unlike a read-only folder. Windows has no
// per-process file-size limit: there `supported` is false and the object does nothing,
// so a test skips (TRELVIX_SKIP_WITHOUT_DISK_FULL) instead of passing by accident.
class DiskFull {
public:
#ifdef _WIN32
    static constexpr bool supported = false;
#else
    static constexpr bool supported = true;
#endif
    explicit DiskFull(std::size_t bytes);
    ~DiskFull();
    DiskFull(const DiskFull&) = delete;
    DiskFull& operator=(const DiskFull&) = delete;

private:
    unsigned long previous_;
};

#define TRELVIX_SKIP_WITHOUT_DISK_FULL()                                                   \
    do {                                                                                  \
        if (!::testsupport::DiskFull::supported)                                          \
            GTEST_SKIP() << "no way to make writes fail as on a full disk on this system"; \
    } while (false)

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& contents);

}  // namespace testsupport
