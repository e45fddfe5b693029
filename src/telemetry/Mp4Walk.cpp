#include "Mp4Walk.h"

#include <algorithm>

namespace telemetry {

BoxList boxesIn(const FileBytes& file, uint64_t begin, uint64_t end, size_t maxBoxes) {
    BoxList list;
    end = std::min(end, file.size());
    for (uint64_t at = begin; at < end && list.boxes.size() < maxBoxes;) {
        uint8_t h[16];
        if (end - at < 8 || !file.read(at, 8, h)) {
            list.damagedAt = at;
            break;
        }
        BoxAt box{std::string(reinterpret_cast<const char*>(h + 4), 4), at, be32(h), 8};
        if (box.size == 1) {
            if (end - at < 16 || !file.read(at + 8, 8, h + 8)) {
                list.damagedAt = at;
                break;
            }
            box.size = be64(h + 8);
            box.header = 16;
        } else if (box.size == 0) {
            box.size = end - at;
        }
        if (box.size < box.header || box.size > end - at) {
            list.damagedAt = at;
            break;
        }
        at += box.size;
        list.boxes.push_back(std::move(box));
    }
    return list;
}

std::optional<BoxAt> firstOf(const BoxList& list, std::string_view type) {
    for (const BoxAt& box : list.boxes)
        if (box.type == type) return box;
    return std::nullopt;
}

std::optional<BoxAt> claimedBoxAt(const FileBytes& file, uint64_t offset) {
    uint8_t h[16];
    if (!file.contains(offset, 8) || !file.read(offset, 8, h)) return std::nullopt;
    BoxAt box{std::string(reinterpret_cast<const char*>(h + 4), 4), offset, be32(h), 8};
    if (box.size == 1) {
        if (!file.contains(offset, 16) || !file.read(offset + 8, 8, h + 8)) return std::nullopt;
        box.size = be64(h + 8);
        box.header = 16;
    } else if (box.size == 0) {
        box.size = file.size() - offset;
    }
    return box;
}

std::optional<std::vector<uint8_t>> payloadOf(const FileBytes& file, const BoxAt& box, uint64_t limit) {
    if (box.payloadSize() > limit) return std::nullopt;
    std::vector<uint8_t> bytes(size_t(box.payloadSize()));
    if (!bytes.empty() && !file.read(box.payload(), bytes.size(), bytes.data())) return std::nullopt;
    return bytes;
}

}  // namespace telemetry
