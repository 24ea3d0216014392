#pragma once
// Replacing a file so that it is either the old file or the whole new one, never a
// partial write: the text goes to a temporary file in the same folder, is flushed to the
// disk, and is then renamed over the target.

#include <string>

namespace platform {

// Creates missing parent folders. On any failure the temporary file is removed, the
// target is untouched, false is returned and `error` (when given) says why.
bool writeFileAtomically(const std::string& path, const std::string& contents, std::string* error = nullptr);

}  // namespace platform
