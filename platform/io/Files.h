#pragma once
// Reading and writing whole files, with clear error messages.
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace veskel {

// A file operation failed. what() is the system's reason in words (e.g. "No such file or
// directory"), without the file name, so callers can compose their own message around it.
class FileError : public std::runtime_error {
public:
    explicit FileError(const std::string& reason) : std::runtime_error(reason) {}
};

// Reads a whole file. Files larger than maxBytes are refused with a FileError ("file too large").
std::vector<std::uint8_t> ReadFileBytes(const std::string& path, std::size_t maxBytes = std::size_t(512) << 20);

// Writes `data` to a temporary file in the same folder and renames it over `path` only once it
// is complete and flushed, so a failed or interrupted write never destroys the previous file.
// Throws FileError with the system's reason on failure; the temporary file is removed then.
void WriteFileAtomic(const std::string& path, std::span<const std::uint8_t> data);

// The lower-cased extension of a file name including its point (".png"), or "" when it has none.
std::string LowerExtension(const std::string& path);

}  // namespace veskel
