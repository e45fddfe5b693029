#pragma once
// A minimal MP4 box tree: enough to rewrite the sample tables of a movie box and
// write it back with every parent's size fixed.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mp4 {

uint32_t readBE32(std::span<const uint8_t> bytes, uint64_t at);  // throws std::out_of_range
void putBE32(std::vector<uint8_t>& out, uint32_t value);
void setBE32(std::span<uint8_t> bytes, uint64_t at, uint32_t value);

struct BoxSpan {
    std::string type;
    uint64_t offset = 0, size = 0;  // of the whole box
    uint32_t header = 8;            // 16 with a 64-bit size
};

// The boxes laid end to end in bytes[begin, end). Throws std::runtime_error on a
// size that does not fit.
std::vector<BoxSpan> listBoxes(std::span<const uint8_t> bytes, uint64_t begin, uint64_t end);

struct Box {
    std::string type;
    bool container = false;
    std::vector<uint8_t> payload;  // leaf boxes
    std::vector<Box> children;     // container boxes

    Box* find(std::string_view childType);  // first child of that type, or null
    Box& get(std::string_view childType);   // throws std::runtime_error when missing
    uint64_t size() const;
    void appendTo(std::vector<uint8_t>& out) const;  // always with a 32-bit size

    // A leaf's payload as big-endian 32-bit words (the sample tables are nothing else).
    std::vector<uint32_t> words() const;
    void setWords(const std::vector<uint32_t>& values);
};

// The box at span, descending into the containers of a movie box.
Box parseBox(std::span<const uint8_t> bytes, const BoxSpan& span);

// Builds a box payload field by field, big-endian as MP4 stores numbers.
class Payload {
public:
    std::vector<uint8_t> bytes;
    Payload& u8(uint8_t v) { return bytes.push_back(v), *this; }
    Payload& u16(uint16_t v) { return u8(uint8_t(v >> 8)).u8(uint8_t(v)); }
    Payload& u32(uint32_t v) { return putBE32(bytes, v), *this; }
    Payload& zeros(size_t n) { return bytes.insert(bytes.end(), n, 0), *this; }
    Payload& text(std::string_view s) { return bytes.insert(bytes.end(), s.begin(), s.end()), *this; }
    Payload& box(const Box& b) { return b.appendTo(bytes), *this; }
    Payload& words(const std::vector<uint32_t>& values) {
        for (uint32_t v : values) u32(v);
        return *this;
    }
    Payload& unityMatrix() { return words({0x00010000, 0, 0, 0, 0x00010000, 0, 0, 0, 0x40000000}); }
};

inline Box leaf(const char* type, const Payload& p) { return Box{type, false, p.bytes, {}}; }
inline Box container(const char* type, std::vector<Box> children) { return Box{type, true, {}, std::move(children)}; }

}  // namespace mp4
