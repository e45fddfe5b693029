#include "VideoTrack.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>

#include "Mp4Boxes.h"

namespace {

struct FileBox {
    uint64_t start = 0, size = 0, header = 0;
    std::array<char, 4> type{};
    uint64_t contentStart() const { return start + header; }
    uint64_t end() const { return start + size; }
    bool is(const char* name) const { return std::equal(type.begin(), type.end(), name); }
};

// The box that starts at `at` and lies within `end`.
std::optional<FileBox> boxAt(std::ifstream& file, uint64_t at, uint64_t end) {
    if (at >= end || end - at < 8) return std::nullopt;
    unsigned char h[16];
    file.clear();
    if (!file.seekg(std::streamoff(at)) || !file.read(reinterpret_cast<char*>(h), 8)) return std::nullopt;
    const std::span<const uint8_t> bytes(h);
    FileBox box{at, mp4::readBE32(bytes, 0), 8, {char(h[4]), char(h[5]), char(h[6]), char(h[7])}};
    if (box.size == 1) {  // a 64-bit size follows the type
        if (!file.read(reinterpret_cast<char*>(h + 8), 8)) return std::nullopt;
        box.size = uint64_t(mp4::readBE32(bytes, 8)) << 32 | mp4::readBE32(bytes, 12);
        box.header = 16;
    } else if (box.size == 0) {  // to the end
        box.size = end - at;
    }
    if (box.size < box.header || box.size > end - at) return std::nullopt;
    return box;
}

std::optional<FileBox> childOf(std::ifstream& file, uint64_t from, uint64_t end, const char* type) {
    for (uint64_t at = from; at < end;) {
        const std::optional<FileBox> box = boxAt(file, at, end);
        if (!box) return std::nullopt;
        if (box->is(type)) return box;
        at = box->end();
    }
    return std::nullopt;
}

}  // namespace

namespace mp4 {

std::optional<bool> hasVideoTrack(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file || !file.seekg(0, std::ios::end)) return std::nullopt;
    const auto size = uint64_t(file.tellg());
    const std::optional<FileBox> movie = childOf(file, 0, size, "moov");
    if (!movie) return std::nullopt;
    for (uint64_t at = movie->contentStart(); at < movie->end();) {
        const std::optional<FileBox> track = boxAt(file, at, movie->end());
        if (!track) return std::nullopt;
        at = track->end();
        if (!track->is("trak")) continue;
        const std::optional<FileBox> media = childOf(file, track->contentStart(), track->end(), "mdia");
        const std::optional<FileBox> handler = media ? childOf(file, media->contentStart(), media->end(), "hdlr") : std::nullopt;
        char kind[4];
        // version and flags, pre_defined, then the handler type
        if (handler && handler->size >= handler->header + 12 && file.seekg(std::streamoff(handler->contentStart() + 8)) &&
            file.read(kind, 4) && std::equal(kind, kind + 4, "vide"))
            return true;
        file.clear();
    }
    return false;
}

}  // namespace mp4
