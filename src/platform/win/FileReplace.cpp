#include "platform/FileReplace.h"

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace platform {

namespace {

namespace fs = std::filesystem;

// Paths are UTF-8 throughout the program; the wide API takes them whatever the code page.
std::wstring widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                                      nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

// A link is followed so that the link itself survives, as on the other platforms.
fs::path resolveTarget(const fs::path& target) {
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        const fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) return resolved;
    }
    return target;
}

bool writeAll(HANDLE file, std::string_view contents) {
    const char* p = contents.data();
    std::size_t left = contents.size();
    while (left > 0) {
        const DWORD chunk = left > 0x10000000u ? 0x10000000u : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!WriteFile(file, p, chunk, &written, nullptr) || written == 0) return false;
        p += written;
        left -= written;
    }
    return true;
}

// Creates "<dir>\.<name>.<random>.tmp" with CREATE_NEW, so an existing file of any name
// is never overwritten or opened twice; a clash draws a new name.
HANDLE createTemporary(const fs::path& target, fs::path& temp) {
    std::random_device entropy;
    std::mt19937_64 draw((static_cast<std::uint64_t>(entropy()) << 32) ^ entropy() ^ GetTickCount64() ^
                         GetCurrentProcessId());
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t suffix[17];
        swprintf(suffix, 17, L"%016llx", static_cast<unsigned long long>(draw()));
        temp = target.parent_path() / (L"." + target.filename().wstring() + L"." + suffix + L".tmp");
        const HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) return h;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

ReplaceResult replaceFile(const std::string& path, std::string_view contents) {
    if (path.empty()) return ReplaceResult::CannotOpen;
    const std::wstring wide = widen(path);
    if (wide.empty()) return ReplaceResult::CannotOpen;
    const fs::path target = resolveTarget(fs::path(wide));

    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        // A file the user protected against writing is refused, not silently replaced.
        if ((attributes & FILE_ATTRIBUTE_READONLY) || (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return ReplaceResult::CannotOpen;
    }

    fs::path temp;
    const HANDLE file = createTemporary(target, temp);
    if (file == INVALID_HANDLE_VALUE) return ReplaceResult::CannotOpen;

    bool ok = writeAll(file, contents);
    ok = ok && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    ok = ok && MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) {
        DeleteFileW(temp.c_str());
        return ReplaceResult::WriteFailed;
    }
    return ReplaceResult::Ok;
}

}  // namespace platform
