#pragma once
// Replacing a file as one step: the new contents go to a temporary file in the same
// directory, are flushed and synced, and only then take the old file's place by a rename.
// Whatever fails on the way (a full disk, a directory that refuses the rename), the old
// file stays byte for byte as it was and no temporary file is left behind.

#include <string>
#include <string_view>

namespace platform {

enum class ReplaceResult {
    Ok,
    CannotOpen,   // the target is read-only or not a file, or no temporary file can be made
    WriteFailed,  // writing, syncing or the final rename failed
};

// A symbolic link is followed: the file it names is replaced and the link stays. An
// existing file keeps its permission bits.
ReplaceResult replaceFile(const std::string& path, std::string_view contents);

}  // namespace platform
