#include "support/TempDir.h"

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace testsupport {

TempDir::TempDir() {
    // create_directory reports whether it made the folder, so a name another test (or
    // another process) holds is never shared: a clash draws again.
    static std::mt19937_64 draw{std::random_device{}()};
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        char leaf[32];
        std::snprintf(leaf, sizeof leaf, "trelvix-test-%012llx",
                      static_cast<unsigned long long>(draw() & 0xFFFFFFFFFFFFull));
        std::error_code ec;
        if (std::filesystem::create_directory(base / leaf, ec)) {
            path_ = base / leaf;
            return;
        }
        if (ec) break;
    }
    throw std::runtime_error("cannot make a temporary folder under " + base.string());
}

TempDir::~TempDir() {
    std::error_code ec;
    // Restore write permission first: a test may have made a folder read-only.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

#ifndef _WIN32
DiskFull::DiskFull(std::size_t bytes) {
    // The file-size limit stands in for a full disk: writes past it fail with EFBIG, and
    // the signal the kernel would send is ignored so the writer sees the error.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit r{};
    ::getrlimit(RLIMIT_FSIZE, &r);
    previous_ = r.rlim_cur;
    r.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &r);
}

DiskFull::~DiskFull() {
    rlimit r{};
    ::getrlimit(RLIMIT_FSIZE, &r);
    r.rlim_cur = previous_;
    ::setrlimit(RLIMIT_FSIZE, &r);
}
#else
DiskFull::DiskFull(std::size_t) : previous_(0) {}
DiskFull::~DiskFull() = default;
#endif

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& contents) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
}

}  // namespace testsupport
