#pragma once
// Read-only access to the bytes of one file. The scan reads through this so that
// the positioned reads it uses and a whole-file read (the reference it must
// match) give the same results.

#include <array>
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
    // A hint that [offset, offset + length) will be read soon. Scattered samples of a
    // cold card are then fetched together instead of one wait each.
    virtual void prefetch(uint64_t /*offset*/, uint64_t /*length*/) const {}

    bool contains(uint64_t offset, uint64_t length) const {
        return offset <= size() && length <= size() - offset;
    }
};

// Hints a run of ranges to prefetch, in the order they will be read: ranges within a
// page of each other go as one hint, and nothing past `budget` bytes is hinted, so a
// table that lists more than a reader will read never fetches the file whole.
class PrefetchRun {
public:
    PrefetchRun(const FileBytes& file, uint64_t budget) : file_(file), budget_(budget) {}
    ~PrefetchRun() { flush(); }
    PrefetchRun(const PrefetchRun&) = delete;
    PrefetchRun& operator=(const PrefetchRun&) = delete;
    // False once the budget is spent: the caller may stop adding.
    bool add(uint64_t offset, uint64_t length);

private:
    void flush();
    const FileBytes& file_;
    uint64_t budget_;
    uint64_t start_ = 0, end_ = 0;  // the pending hint
};

// Why a path cannot be read as a regular file, or empty when it can.
std::string unreadableReason(const std::string& path);

// Reads only the ranges asked for, so a scan costs the few kilobytes it looks at
// whatever the file's size. Small reads (box headers, table fields) are served from
// the last few pages read: walking a movie box header by header, as every reader
// does in turn, is then a few system calls instead of hundreds. Not for sharing
// between threads. An unreadable path (missing, not a regular file, no permission)
// gives an empty file.
class RandomAccessFile final : public FileBytes {
public:
    explicit RandomAccessFile(const std::string& path);
    ~RandomAccessFile() override;
    RandomAccessFile(const RandomAccessFile&) = delete;
    RandomAccessFile& operator=(const RandomAccessFile&) = delete;

    uint64_t size() const override { return size_; }
    bool read(uint64_t offset, size_t length, uint8_t* out) const override;
    void prefetch(uint64_t offset, uint64_t length) const override;

private:
    static constexpr size_t kPage = 4096;
    struct CachedPage {
        uint64_t number = UINT64_MAX;
        size_t length = 0;  // short at the end of the file
        std::array<uint8_t, kPage> bytes;
    };
    const CachedPage* page(uint64_t number) const;

    int fd_ = -1;
    uint64_t size_ = 0;
    mutable std::unique_ptr<std::array<CachedPage, 8>> pages_;
    mutable size_t nextPage_ = 0;  // the slot the next page read replaces
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
