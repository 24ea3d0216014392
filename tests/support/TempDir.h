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
// the object's lifetime. Works for root too, unlike a read-only folder.
class DiskFull {
public:
    explicit DiskFull(std::size_t bytes);
    ~DiskFull();
    DiskFull(const DiskFull&) = delete;
    DiskFull& operator=(const DiskFull&) = delete;

private:
    unsigned long previous_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& contents);

}  // namespace testsupport
