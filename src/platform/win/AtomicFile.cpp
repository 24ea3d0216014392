#include "platform/AtomicFile.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <system_error>

namespace platform {

bool writeFileAtomically(const std::string& path, const std::string& contents, std::string* error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target(path);
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
        out.flush();
        if (!out) {
            out.close();
            fs::remove(temp, ec);
            if (error) *error = path + ": write failed";
            return false;
        }
    }
    if (!MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        fs::remove(temp, ec);
        if (error) *error = path + ": rename failed";
        return false;
    }
    return true;
}

}  // namespace platform
