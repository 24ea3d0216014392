#include "platform/FatalStop.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace platform {

namespace {
FatalPresenter& presenter() {
    static FatalPresenter p;
    return p;
}

std::filesystem::path executablePath() {
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path("trelvix") : p;
}
}  // namespace

void setFatalPresenter(FatalPresenter p) { presenter() = std::move(p); }

std::string executableFileName() { return executablePath().filename().string(); }

std::string executableDirectory() {
    auto dir = executablePath().parent_path().string();
    if (!dir.empty() && dir.back() != '/') dir += '/';
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
