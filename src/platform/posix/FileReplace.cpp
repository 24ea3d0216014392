#include "platform/FileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace platform {

namespace {

namespace fs = std::filesystem;

bool writeAll(int fd, std::string_view contents) {
    const char* p = contents.data();
    std::size_t left = contents.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// The file the user means: a link is followed so that the link itself survives.
fs::path resolveTarget(const std::string& path) {
    std::error_code ec;
    fs::path target(path);
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        const fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) return resolved;
    }
    return target;
}

mode_t defaultMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

void syncDirectory(const fs::path& dir) {
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // best effort: the rename is already done
    ::close(fd);
}

}  // namespace

ReplaceResult replaceFile(const std::string& path, std::string_view contents) {
    if (path.empty()) return ReplaceResult::CannotOpen;
    const fs::path target = resolveTarget(path);

    mode_t mode = defaultMode();
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists) {
        // A file the user protected against writing is refused, not silently replaced.
        if (!S_ISREG(old.st_mode) || (old.st_mode & 0222) == 0) return ReplaceResult::CannotOpen;
        mode = old.st_mode & 07777;
    }

    const fs::path dir = target.parent_path();
    std::string leaf(1, '.');
    leaf.append(target.filename().string());
    leaf.append(".XXXXXX");
    std::string temp = (dir / leaf).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return ReplaceResult::CannotOpen;

    bool ok = writeAll(fd, contents);
    ok = ok && ::fchmod(fd, mode) == 0;
    if (ok && exists && ::geteuid() == 0) {
        // Keep the owner when an administrator saves a user's file; failure is harmless.
        [[maybe_unused]] const int ignored = ::fchown(fd, old.st_uid, old.st_gid);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && std::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return ReplaceResult::WriteFailed;
    }
    syncDirectory(dir);
    return ReplaceResult::Ok;
}

}  // namespace platform
