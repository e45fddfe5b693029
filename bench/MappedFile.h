#pragma once
// The memory-mapped reader the scan once used, kept here to measure against the
// positioned reads that replaced it. The benchmark's files never shrink, so the
// mapping needs no guard against SIGBUS.

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "FileBytes.h"

class MappedFile final : public telemetry::FileBytes {
public:
    explicit MappedFile(const std::string& path) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st {};
        if (fd < 0) return;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
            void* p = ::mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
            if (p != MAP_FAILED) base_ = static_cast<const uint8_t*>(p), size_ = uint64_t(st.st_size);
        }
        ::close(fd);
    }
    ~MappedFile() override {
        if (base_) ::munmap(const_cast<uint8_t*>(base_), size_t(size_));
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    uint64_t size() const override { return size_; }
    bool read(uint64_t offset, size_t length, uint8_t* out) const override {
        if (!contains(offset, length)) return false;
        if (length) std::memcpy(out, base_ + offset, length);
        return true;
    }

private:
    const uint8_t* base_ = nullptr;
    uint64_t size_ = 0;
};
