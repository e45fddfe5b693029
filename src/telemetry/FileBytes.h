#pragma once
// Read-only access to the bytes of one file. The scan reads through this so that
// the positioned reads it uses and a whole-file read (the reference it must
// match) give the same results.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace telemetry {

class FileBytes {
public:
    virtual ~FileBytes() = default;
    virtual uint64_t size() const = 0;
    // Copies [offset, offset + length) into out. False when the range does not lie
    // inside the file or the bytes cannot be read (the file shrank under us).
    virtual bool read(uint64_t offset, size_t length, uint8_t* out) const = 0;

    bool contains(uint64_t offset, uint64_t length) const {
        return offset <= size() && length <= size() - offset;
    }
};

// Why a path cannot be read as a regular file, or empty when it can.
std::string unreadableReason(const std::string& path);

// Reads only the ranges asked for, each with one positioned read, so a scan costs
// the few kilobytes it looks at whatever the file's size. An unreadable path
// (missing, not a regular file, no permission) gives an empty file.
class RandomAccessFile final : public FileBytes {
public:
    explicit RandomAccessFile(const std::string& path);
    ~RandomAccessFile() override;
    RandomAccessFile(const RandomAccessFile&) = delete;
    RandomAccessFile& operator=(const RandomAccessFile&) = delete;

    uint64_t size() const override { return size_; }
    bool read(uint64_t offset, size_t length, uint8_t* out) const override;

private:
    int fd_ = -1;
    uint64_t size_ = 0;
};

// Reads the file whole into memory: the reference the scan's results are checked against.
class WholeFile final : public FileBytes {
public:
    explicit WholeFile(const std::string& path);
    uint64_t size() const override { return bytes_.size(); }
    bool read(uint64_t offset, size_t length, uint8_t* out) const override;

private:
    std::vector<uint8_t> bytes_;
};

}  // namespace telemetry
