#pragma once
// Walking a movie file's boxes through bounded reads, for the readers of every
// camera format: a box's header is read, never its whole payload, so finding the
// movie box of a multi-gigabyte file costs a few reads.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FileBytes.h"

namespace telemetry {

struct BoxAt {
    std::string type;
    uint64_t offset = 0, size = 0;  // of the whole box
    uint32_t header = 8;            // 16 with a 64-bit size
    uint64_t payload() const { return offset + header; }
    uint64_t payloadSize() const { return size - header; }
    uint64_t end() const { return offset + size; }
};

struct BoxList {
    std::vector<BoxAt> boxes;
    // Set when a box's size does not fit in its parent (or the file): the walk stops
    // there, so a truncated file still shows the boxes before the damage.
    std::optional<uint64_t> damagedAt;
};

// The boxes laid end to end in [begin, end) of the file: a size of 0 runs to end, a
// size of 1 is followed by a 64-bit size. At most maxBoxes, so a hostile file of
// empty boxes cannot make the walk unbounded.
BoxList boxesIn(const FileBytes& file, uint64_t begin, uint64_t end, size_t maxBoxes = 65536);
inline BoxList topLevelBoxes(const FileBytes& file) { return boxesIn(file, 0, file.size()); }
// A movie box is walked header after header, each a read that waits on a cold card:
// one hint for all of it first (the boxes inside are then fetched already).
inline constexpr uint64_t kMoviePrefetchLimit = uint64_t(8) << 20;
inline BoxList childrenOf(const FileBytes& file, const BoxAt& parent) {
    if (parent.type == "moov" && parent.payloadSize() <= kMoviePrefetchLimit)
        file.prefetch(parent.payload(), parent.payloadSize());
    return boxesIn(file, parent.payload(), parent.end());
}

// The first box of the type in the list, or none.
std::optional<BoxAt> firstOf(const BoxList& list, std::string_view type);

// The header of the box at offset as it claims itself, whether or not its size fits:
// where a walk stopped (BoxList::damagedAt), what the damaged box was meant to be.
std::optional<BoxAt> claimedBoxAt(const FileBytes& file, uint64_t offset);

// Reads a box's whole payload when it is at most limit bytes; none otherwise or
// when it cannot be read.
std::optional<std::vector<uint8_t>> payloadOf(const FileBytes& file, const BoxAt& box, uint64_t limit);

// Big- and little-endian numbers out of a byte buffer; callers check the bounds.
inline uint16_t be16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
inline uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
inline uint64_t be64(const uint8_t* p) { return uint64_t(be32(p)) << 32 | be32(p + 4); }
inline uint16_t le16(const uint8_t* p) { return uint16_t(p[1] << 8 | p[0]); }
inline uint32_t le32(const uint8_t* p) { return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]; }

}  // namespace telemetry
