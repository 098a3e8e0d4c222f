#pragma once
// Host file access for the zip component: paths as FileSystem::NativePath gives them (UTF-8),
// opened so that non-ASCII names work on Windows too.
#include <cstdint>
#include <filesystem>
#include <string>

namespace tarvo {

std::filesystem::path HostPath(const std::string& nativePath);

enum class Compare { Same, Different, Unreadable };
// Streams both files; never holds either whole.
Compare CompareFiles(const std::string& nativeA, const std::string& nativeB);

}  // namespace tarvo
