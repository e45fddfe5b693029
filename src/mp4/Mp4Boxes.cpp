#include "Mp4Boxes.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace mp4 {
namespace {

// Only the boxes on the way to the sample tables; everything else stays opaque,
// which keeps full boxes with children (meta) out of the way.
constexpr std::array kContainers = {"moov", "trak", "mdia", "minf", "stbl", "edts", "dinf"};

bool isContainer(std::string_view type) {
    return std::find(kContainers.begin(), kContainers.end(), type) != kContainers.end();
}

uint64_t readBE64(std::span<const uint8_t> bytes, uint64_t at) {
    return uint64_t(readBE32(bytes, at)) << 32 | readBE32(bytes, at + 4);
}

}  // namespace

uint32_t readBE32(std::span<const uint8_t> bytes, uint64_t at) {
    if (at > bytes.size() || bytes.size() - at < 4) throw std::out_of_range("read past the end of the MP4 data");
    return uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 | uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
}

void putBE32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(value >> shift));
}

void setBE32(std::span<uint8_t> bytes, uint64_t at, uint32_t value) {
    if (at > bytes.size() || bytes.size() - at < 4) throw std::out_of_range("write past the end of the MP4 data");
    for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(value >> (24 - 8 * i));
}

std::vector<BoxSpan> listBoxes(std::span<const uint8_t> bytes, uint64_t begin, uint64_t end) {
    std::vector<BoxSpan> boxes;
    for (uint64_t at = begin; at < end;) {
        if (end - at < 8) throw std::runtime_error("truncated box header at offset " + std::to_string(at));
        BoxSpan box;
        box.offset = at;
        box.size = readBE32(bytes, at);
        box.type.assign(reinterpret_cast<const char*>(bytes.data() + at + 4), 4);
        if (box.size == 1) {
            box.size = readBE64(bytes, at + 8);
            box.header = 16;
        } else if (box.size == 0) {
            box.size = end - at;  // the last box runs to the end
        }
        if (box.size < box.header || box.size > end - at)
            throw std::runtime_error("box '" + box.type + "' at offset " + std::to_string(at) + " has a bad size");
        at += box.size;
        boxes.push_back(std::move(box));
    }
    return boxes;
}

Box parseBox(std::span<const uint8_t> bytes, const BoxSpan& span) {
    Box box;
    box.type = span.type;
    box.container = isContainer(span.type);
    const uint64_t begin = span.offset + span.header, end = span.offset + span.size;
    if (box.container) {
        for (const BoxSpan& child : listBoxes(bytes, begin, end)) box.children.push_back(parseBox(bytes, child));
    } else {
        box.payload.assign(bytes.begin() + begin, bytes.begin() + end);
    }
    return box;
}

Box* Box::find(std::string_view childType) {
    for (Box& child : children)
        if (child.type == childType) return &child;
    return nullptr;
}

Box& Box::get(std::string_view childType) {
    if (Box* child = find(childType)) return *child;
    throw std::runtime_error("box '" + type + "' has no '" + std::string(childType) + "'");
}

uint64_t Box::size() const {
    uint64_t total = 8 + payload.size();
    for (const Box& child : children) total += child.size();
    return total;
}

void Box::appendTo(std::vector<uint8_t>& out) const {
    const uint64_t total = size();
    if (total > UINT32_MAX) throw std::runtime_error("box '" + type + "' is too large for a 32-bit size");
    putBE32(out, uint32_t(total));
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), payload.begin(), payload.end());
    for (const Box& child : children) child.appendTo(out);
}

std::vector<uint32_t> Box::words() const {
    if (payload.size() % 4 != 0) throw std::runtime_error("box '" + type + "' is not a table of 32-bit words");
    std::vector<uint32_t> values;
    for (size_t at = 0; at < payload.size(); at += 4) values.push_back(readBE32(payload, at));
    return values;
}

void Box::setWords(const std::vector<uint32_t>& values) {
    payload.clear();
    for (uint32_t value : values) putBE32(payload, value);
}

}  // namespace mp4
