// Whole-file reads and atomic whole-file writes with POSIX calls. Messages start with the path
// as the caller gave it, so the user sees the name they typed or picked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mv::files {

// Reads at most maxBytes from the start of a regular file. Directories, devices and pipes are
// refused (a pipe would block the program). `fileSize` receives the size the file reports.
bool ReadFilePrefix(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& out,
                    std::uint64_t& fileSize, std::string& error);

// Replaces the file's contents in one step: the bytes go to a temporary file in the same
// folder, are flushed to the disk, and the temporary file is renamed over the target. On any
// failure the temporary file is removed and the old file is left exactly as it was.
bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size,
                         std::string& error);

}  // namespace mv::files
