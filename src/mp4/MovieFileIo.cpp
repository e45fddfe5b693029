#include "MovieFileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <system_error>

namespace mp4 {

File::File(const std::string& path, int flags) : path_(path), fd_(::open(path.c_str(), flags | O_CLOEXEC)) {
    if (fd_ < 0) fail();
}

File::~File() {
    if (fd_ >= 0) ::close(fd_);
}

uint64_t File::size() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) fail();
    return uint64_t(st.st_size);
}

void File::read(uint64_t at, uint8_t* out, size_t n) const {
    while (n > 0) {
        const ssize_t got = ::pread(fd_, out, n, off_t(at));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) fail();
        if (got == 0) throw std::runtime_error(path_ + ": ends early");
        out += got, at += uint64_t(got), n -= size_t(got);
    }
}

void File::write(uint64_t at, const uint8_t* in, size_t n) {
    while (n > 0) {
        const ssize_t put = ::pwrite(fd_, in, n, off_t(at));
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) fail();
        in += put, at += uint64_t(put), n -= size_t(put);
    }
}

void File::truncate(uint64_t length) {
    if (::ftruncate(fd_, off_t(length)) != 0) fail();
}

void File::close() {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) fail();
}

void File::fail() const { throw std::system_error(errno, std::generic_category(), path_); }

std::vector<BoxSpan> topLevelBoxes(const File& file) {
    const uint64_t end = file.size();
    std::vector<BoxSpan> boxes;
    for (uint64_t at = 0; at < end;) {
        std::vector<uint8_t> header(size_t(std::min<uint64_t>(16, end - at)));
        if (header.size() < 8) throw std::runtime_error("truncated box header at offset " + std::to_string(at));
        file.read(at, header.data(), header.size());
        BoxSpan box{std::string(reinterpret_cast<const char*>(header.data() + 4), 4), at, readBE32(header, 0), 8};
        if (box.size == 1) {
            if (header.size() < 16) throw std::runtime_error("truncated box header at offset " + std::to_string(at));
            box.size = uint64_t(readBE32(header, 8)) << 32 | readBE32(header, 12);
            box.header = 16;
        } else if (box.size == 0) {
            box.size = end - at;
        }
        if (box.size < box.header || box.size > end - at)
            throw std::runtime_error("box '" + box.type + "' at offset " + std::to_string(at) + " has a bad size");
        at += box.size;
        boxes.push_back(std::move(box));
    }
    return boxes;
}

MovieAtTheEnd readMovieAtTheEnd(const File& file) {
    const std::vector<BoxSpan> top = topLevelBoxes(file);
    if (top.size() < 2 || top.back().type != "moov" || top[top.size() - 2].type != "mdat")
        throw std::runtime_error("the movie box does not follow the media data at the end of the file");
    MovieAtTheEnd m{top[top.size() - 2], top.back(), {}};
    if (m.mdat.header != 8) throw std::runtime_error("the media data is larger than a 32-bit box holds (4 GiB)");
    std::vector<uint8_t> bytes(size_t(m.moov.size));
    file.read(m.moov.offset, bytes.data(), bytes.size());
    m.movie = parseBox(bytes, {m.moov.type, 0, m.moov.size, m.moov.header});
    return m;
}

}  // namespace mp4
