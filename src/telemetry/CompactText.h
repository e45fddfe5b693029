#pragma once
// Compact storage for the texts a recording keeps per telemetry sample. A long
// recording holds tens of thousands of samples for as long as the window is open,
// so a sample's fifteen fields and its lists cost bytes, not heap strings.

#include <cstdint>
#include <iosfwd>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace telemetry {

using Text = std::optional<std::string>;  // null until set

// One field of a sample: null, or an immutable text. Eight bytes: texts of up to
// seven bytes (every field a camera writes) live inside, longer ones on the heap.
class SampleText {
public:
    SampleText() = default;  // null
    explicit SampleText(std::string_view text) { assign(text); }
    SampleText(const SampleText& other) { assign(other); }
    SampleText(SampleText&& other) noexcept : bits_(other.bits_) { other.bits_ = 0; }
    SampleText& operator=(const SampleText& other);
    SampleText& operator=(SampleText&& other) noexcept;
    SampleText& operator=(std::string_view text);
    ~SampleText() { release(); }

    bool has_value() const { return bits_ != 0; }
    explicit operator bool() const { return has_value(); }
    // The text; empty when null.
    std::string_view view() const;
    std::string_view operator*() const { return view(); }
    std::string value_or(std::string_view fallback) const { return std::string(has_value() ? view() : fallback); }
    // Code written for plain texts takes a field as one.
    operator Text() const { return has_value() ? Text(std::string(view())) : Text(); }

    friend bool operator==(const SampleText& a, const SampleText& b) {
        return a.has_value() == b.has_value() && a.view() == b.view();
    }
    // A null field equals no text, not even the empty one.
    friend bool operator==(const SampleText& a, std::string_view b) { return a.has_value() && a.view() == b; }

private:
    static constexpr size_t kInline = 7;
    void assign(std::string_view text);
    void assign(const SampleText& other) {
        if (other.has_value()) assign(other.view());
    }
    void release();

    // 0: null. Low bit 1: inline, length in bits 1 to 3, bytes from the second byte
    // on (in memory order). Otherwise a pointer to a heap block: uint32 length, bytes.
    uint64_t bits_ = 0;
};

std::ostream& operator<<(std::ostream& out, const SampleText& text);

// A list of texts in one buffer, with vector-like read access (entries are views
// that stay valid until the list changes).
class TextList {
public:
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using reference = std::string_view;
        using pointer = void;
        const_iterator() = default;
        const_iterator(const TextList* list, size_t index) : list_(list), index_(index) {}
        std::string_view operator*() const { return (*list_)[index_]; }
        const_iterator& operator++() { return ++index_, *this; }
        const_iterator operator++(int) { return {list_, index_++}; }
        bool operator==(const const_iterator& other) const { return index_ == other.index_; }

    private:
        const TextList* list_ = nullptr;
        size_t index_ = 0;
    };

    size_t size() const { return ends_.size(); }
    bool empty() const { return ends_.empty(); }
    std::string_view operator[](size_t k) const {
        const uint32_t begin = k == 0 ? 0 : ends_[k - 1];
        return std::string_view(bytes_).substr(begin, ends_[k] - begin);
    }
    std::string_view at(size_t k) const;  // throws std::out_of_range
    std::string_view back() const { return (*this)[size() - 1]; }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

    // Throws std::length_error beyond 4 GiB of text in all.
    void push_back(std::string_view text);
    void reserve(size_t count, size_t bytes) {
        ends_.reserve(count);
        bytes_.reserve(bytes);
    }
    void shrink_to_fit() {
        ends_.shrink_to_fit();
        bytes_.shrink_to_fit();
    }
    bool operator==(const TextList&) const = default;
    bool operator==(const std::vector<std::string>& texts) const;

private:
    std::string bytes_;
    std::vector<uint32_t> ends_;  // entry k ends where entry k + 1 begins
};

// A list of 32-bit numbers read as their "%d" texts: the sample tables as the
// record shows them, at four bytes an entry.
class DecimalList {
public:
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::string;
        using difference_type = std::ptrdiff_t;
        using reference = std::string;
        using pointer = void;
        const_iterator() = default;
        explicit const_iterator(std::vector<uint32_t>::const_iterator at) : at_(at) {}
        std::string operator*() const;
        const_iterator& operator++() { return ++at_, *this; }
        const_iterator operator++(int) { return const_iterator(at_++); }
        bool operator==(const const_iterator& other) const { return at_ == other.at_; }

    private:
        std::vector<uint32_t>::const_iterator at_;
    };

    size_t size() const { return values_.size(); }
    bool empty() const { return values_.empty(); }
    std::string operator[](size_t k) const;  // "%d": 4294967295 reads -1
    std::string at(size_t k) const { return (*this)[checked(k)]; }
    uint32_t value(size_t k) const { return values_[k]; }
    const_iterator begin() const { return const_iterator(values_.begin()); }
    const_iterator end() const { return const_iterator(values_.end()); }

    void push_back(uint32_t value) { values_.push_back(value); }
    void reserve(size_t count) { values_.reserve(count); }
    void shrink_to_fit() { values_.shrink_to_fit(); }
    bool operator==(const DecimalList&) const = default;
    bool operator==(const std::vector<std::string>& texts) const;

private:
    size_t checked(size_t k) const;
    std::vector<uint32_t> values_;
};

}  // namespace telemetry
