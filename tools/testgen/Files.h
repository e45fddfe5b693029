#pragma once
// File helpers for a generator whose outputs must never be seen half-written.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <span>
#include <vector>

namespace testgen {

// A fresh directory made from pattern (ending in XXXXXX), removed with its contents
// unless release() was called.
class TempDir {
public:
    explicit TempDir(const std::filesystem::path& pattern);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    void release() { path_.clear(); }

private:
    std::filesystem::path path_;
};

// Writes a folder of files at dir whole: fill writes into a hidden folder beside it,
// which takes dir's name only once fill is done. dir must not exist or be empty.
void writeFolderWhole(const std::string& dir, const std::function<void(const std::filesystem::path& folder)>& fill);

std::vector<uint8_t> readFile(const std::filesystem::path& path);
// Writes a temporary file beside path, then renames it over path.
void writeFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes);

}  // namespace testgen
