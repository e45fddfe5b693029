#include "FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace telemetry {
namespace {

// Opens a regular file for reading without ever blocking: O_NONBLOCK keeps a FIFO
// from waiting for a writer. Returns -1 with errno set.
int openRegular(const std::string& path, struct stat& st) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return -1;
    if (::fstat(fd, &st) != 0) {
        const int e = errno;
        ::close(fd);
        errno = e;
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = S_ISDIR(st.st_mode) ? EISDIR : ENODEV;
        return -1;
    }
    return fd;
}

// Reads exactly length bytes at offset; false on an error or an early end.
bool readFully(int fd, uint64_t offset, size_t length, uint8_t* out) {
    while (length > 0) {
        const ssize_t n = ::pread(fd, out, length, off_t(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        out += n, offset += uint64_t(n), length -= size_t(n);
    }
    return true;
}

}  // namespace

std::string unreadableReason(const std::string& path) {
    struct stat st {};
    const int fd = openRegular(path, st);
    if (fd < 0) return errno == ENODEV ? "not a regular file" : std::strerror(errno);
    ::close(fd);
    return {};
}

RandomAccessFile::RandomAccessFile(const std::string& path) {
    struct stat st {};
    fd_ = openRegular(path, st);
    if (fd_ < 0) return;
    size_ = uint64_t(st.st_size);
    // The scan jumps from table to sample across the file: read-ahead would fetch
    // a hundred kilobytes around each sample from a cold card for nothing.
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_RANDOM);
}

RandomAccessFile::~RandomAccessFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool RandomAccessFile::read(uint64_t offset, size_t length, uint8_t* out) const {
    if (!contains(offset, length)) return false;
    constexpr size_t kSmallRead = 256;
    if (length == 0 || length > kSmallRead) return readFully(fd_, offset, length, out);
    for (uint64_t at = offset, end = offset + length; at < end;) {
        const CachedPage* p = page(at / kPage);
        const size_t from = size_t(at % kPage);
        if (!p || p->length <= from) return false;
        const size_t n = size_t(std::min<uint64_t>(p->length - from, end - at));
        std::memcpy(out, p->bytes.data() + from, n);
        out += n, at += n;
    }
    return true;
}

const RandomAccessFile::CachedPage* RandomAccessFile::page(uint64_t number) const {
    if (!pages_) pages_ = std::make_unique<std::array<CachedPage, 8>>();
    for (const CachedPage& p : *pages_)
        if (p.number == number) return &p;
    CachedPage& slot = (*pages_)[nextPage_];
    nextPage_ = (nextPage_ + 1) % pages_->size();
    slot.number = UINT64_MAX;
    size_t filled = 0;
    while (filled < kPage) {
        const ssize_t n = ::pread(fd_, slot.bytes.data() + filled, kPage - filled, off_t(number * kPage + filled));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // the end of the file, or an error the caller sees as a short page
        filled += size_t(n);
    }
    if (filled == 0) return nullptr;
    slot.number = number, slot.length = filled;
    return &slot;
}

void RandomAccessFile::prefetch(uint64_t offset, uint64_t length) const {
    if (fd_ >= 0 && length > 0 && contains(offset, length))
        ::posix_fadvise(fd_, off_t(offset), off_t(length), POSIX_FADV_WILLNEED);
}

bool PrefetchRun::add(uint64_t offset, uint64_t length) {
    if (length == 0) return budget_ > 0;
    if (length > budget_ || !file_.contains(offset, length)) {
        budget_ = 0;
        return false;
    }
    budget_ -= length;
    constexpr uint64_t kPage = 4096;
    if (end_ > start_ && offset >= start_ && offset <= end_ + kPage) {
        end_ = std::max(end_, offset + length);
    } else {
        flush();
        start_ = offset, end_ = offset + length;
    }
    return true;
}

void PrefetchRun::flush() {
    if (end_ > start_) file_.prefetch(start_, end_ - start_);
    start_ = end_ = 0;
}

WholeFile::WholeFile(const std::string& path) {
    struct stat st {};
    const int fd = openRegular(path, st);
    if (fd < 0) return;
    bytes_.resize(size_t(st.st_size));
    size_t done = 0;
    while (done < bytes_.size()) {
        const ssize_t n = ::read(fd, bytes_.data() + done, bytes_.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += size_t(n);
    }
    bytes_.resize(done);
    ::close(fd);
}

bool WholeFile::read(uint64_t offset, size_t length, uint8_t* out) const {
    if (!contains(offset, length)) return false;
    if (length) std::memcpy(out, bytes_.data() + offset, length);
    return true;
}

}  // namespace telemetry
