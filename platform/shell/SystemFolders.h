// Path helpers shared by the namespace and the system folders (mounts, user
// folders); paths are byte strings as the file system holds them.
#pragma once

#include <string>
#include <string_view>

namespace shell {

// dir + "/" + name, without doubling a trailing '/'.
std::string JoinPath(const std::string& dir, std::string_view name);
// Absolute path without ".", "..", repeated or trailing separators; empty
// for a relative path.
std::string NormalisePath(const std::string& path);
// A folder, following links.
bool IsDirectory(const std::string& path);

}  // namespace shell
