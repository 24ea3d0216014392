#include "platform/FileReplace.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <system_error>

namespace platform {

ReplaceResult replaceFile(const std::string& path, std::string_view contents) {
    namespace fs = std::filesystem;
    if (path.empty()) return ReplaceResult::CannotOpen;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return ReplaceResult::CannotOpen;
    const std::string temp = path + ".tmp";
    std::error_code ec;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return ReplaceResult::CannotOpen;
        out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
        out.flush();
        if (!out) {
            out.close();
            fs::remove(temp, ec);
            return ReplaceResult::WriteFailed;
        }
    }
    if (!MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        fs::remove(temp, ec);
        return ReplaceResult::WriteFailed;
    }
    return ReplaceResult::Ok;
}

}  // namespace platform
