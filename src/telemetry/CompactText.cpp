#include "CompactText.h"

#include <bit>
#include <cstring>
#include <limits>
#include <new>
#include <ostream>
#include <stdexcept>

#include "TextValues.h"

namespace telemetry {

// The inline tag is the low bit of the first byte in memory, which is also the low
// bit of a stored pointer (always 0: heap blocks are aligned).
static_assert(std::endian::native == std::endian::little, "SampleText packs its tag into a pointer's low byte");
static_assert(sizeof(SampleText) == 8);

SampleText& SampleText::operator=(const SampleText& other) {
    if (this != &other) {
        release();
        assign(other);
    }
    return *this;
}

SampleText& SampleText::operator=(SampleText&& other) noexcept {
    if (this != &other) {
        release();
        bits_ = other.bits_;
        other.bits_ = 0;
    }
    return *this;
}

SampleText& SampleText::operator=(std::string_view text) {
    SampleText fresh(text);  // text may point into this field
    return *this = std::move(fresh);
}

std::string_view SampleText::view() const {
    if (bits_ == 0) return {};
    if (bits_ & 1) {
        const char* bytes = reinterpret_cast<const char*>(&bits_);
        return std::string_view(bytes + 1, size_t(uint8_t(bytes[0]) >> 1));
    }
    const char* block = reinterpret_cast<const char*>(uintptr_t(bits_));
    uint32_t length;
    std::memcpy(&length, block, sizeof length);
    return std::string_view(block + sizeof length, length);
}

void SampleText::assign(std::string_view text) {
    if (text.size() <= kInline) {
        char bytes[8] = {};
        bytes[0] = char(1 | text.size() << 1);
        std::memcpy(bytes + 1, text.data(), text.size());
        std::memcpy(&bits_, bytes, sizeof bits_);
        return;
    }
    if (text.size() > std::numeric_limits<uint32_t>::max()) throw std::length_error("sample text too long");
    const uint32_t length = uint32_t(text.size());
    char* block = static_cast<char*>(::operator new(sizeof length + length));
    std::memcpy(block, &length, sizeof length);
    std::memcpy(block + sizeof length, text.data(), length);
    bits_ = uint64_t(reinterpret_cast<uintptr_t>(block));
}

void SampleText::release() {
    if (bits_ != 0 && !(bits_ & 1)) ::operator delete(reinterpret_cast<void*>(uintptr_t(bits_)));
    bits_ = 0;
}

std::ostream& operator<<(std::ostream& out, const SampleText& text) {
    return text ? out << '"' << text.view() << '"' : out << "null";
}

std::string_view TextList::at(size_t k) const {
    if (k >= size()) throw std::out_of_range("TextList index");
    return (*this)[k];
}

void TextList::push_back(std::string_view text) {
    if (text.size() > std::numeric_limits<uint32_t>::max() - bytes_.size())
        throw std::length_error("TextList beyond 4 GiB");
    bytes_.append(text);
    ends_.push_back(uint32_t(bytes_.size()));
}

bool TextList::operator==(const std::vector<std::string>& texts) const {
    if (texts.size() != size()) return false;
    for (size_t k = 0; k < size(); ++k)
        if ((*this)[k] != texts[k]) return false;
    return true;
}

std::string DecimalList::const_iterator::operator*() const { return formatSigned32(*at_); }

std::string DecimalList::operator[](size_t k) const { return formatSigned32(values_[k]); }

size_t DecimalList::checked(size_t k) const {
    if (k >= size()) throw std::out_of_range("DecimalList index");
    return k;
}

bool DecimalList::operator==(const std::vector<std::string>& texts) const {
    if (texts.size() != size()) return false;
    for (size_t k = 0; k < size(); ++k)
        if ((*this)[k] != texts[k]) return false;
    return true;
}

}  // namespace telemetry
