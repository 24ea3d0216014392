#pragma once
// Parts of the termios backend that tests reach directly.

#include <string>

namespace platform {

// Why `path` could not be opened, from the error number: the device, the reason and, for
// a lack of permission, the group that owns the device and how to join it.
std::string serialOpenFailure(const std::string& path, int error);

}  // namespace platform
