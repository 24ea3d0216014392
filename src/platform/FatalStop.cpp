#include "platform/FatalStop.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace platform {

namespace {
FatalPresenter& presenter() {
    static FatalPresenter p;
    return p;
}

std::filesystem::path executablePath() {
#ifdef _WIN32
    // The buffer grows until the whole path fits: paths may be longer than MAX_PATH.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return std::filesystem::path("trelvix.exe");
        if (n < buffer.size()) {
            buffer.resize(n);
            return std::filesystem::path(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
#else
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path("trelvix") : p;
#endif
}

// UTF-8 whatever the process's code page (std::filesystem::path::string() on Windows
// converts to the ANSI code page and throws for names it cannot represent).
std::string utf8(const std::filesystem::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}
}  // namespace

void setFatalPresenter(FatalPresenter p) { presenter() = std::move(p); }

std::string executableFileName() { return utf8(executablePath().filename()); }

std::string executableDirectory() {
    auto dir = utf8(executablePath().parent_path());
#ifdef _WIN32
    if (!dir.empty() && dir.back() != '\\' && dir.back() != '/') dir += '\\';
#else
    if (!dir.empty() && dir.back() != '/') dir += '/';
#endif
    return dir;
}

void fatalStop(std::string_view text) {
    const std::string caption = executableFileName();
    const std::string message(text);
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), message.c_str());
    std::fflush(stderr);
    if (presenter()) presenter()(caption, message);
    std::abort();
}

std::string formatOne(std::string_view pattern, std::string_view arg) {
    std::string out(pattern);
    if (auto pos = out.find("%s"); pos != std::string::npos) out.replace(pos, 2, arg);
    return out;
}

}  // namespace platform
