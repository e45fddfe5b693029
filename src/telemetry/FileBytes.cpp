#include "FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    return readFully(fd_, offset, length, out);
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
