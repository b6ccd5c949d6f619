#pragma once
// Bytes of a tag: an owning vector and a read-only window whose every access
// is checked against the bytes that are actually there.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tagmora {

using ByteVector = std::vector<std::uint8_t>;

class ByteView {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    ByteView() = default;
    ByteView(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    ByteView(const ByteVector& v) : data_(v.data()), size_(v.size()) {}
    ByteView(std::span<const std::uint8_t> s) : data_(s.data()), size_(s.size()) {}

    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const std::uint8_t* begin() const { return data_; }
    const std::uint8_t* end() const { return data_ + size_; }

    // Whether [offset, offset + length) lies inside the view, without overflow.
    bool holds(std::size_t offset, std::size_t length) const { return offset <= size_ && length <= size_ - offset; }
    // The byte at i, or 0 past the end (reads beyond a short file see zeros).
    std::uint8_t at(std::size_t i) const { return i < size_ ? data_[i] : 0; }
    // The part from offset on, at most length bytes; empty past the end.
    ByteView mid(std::size_t offset, std::size_t length = npos) const;
    // Position of the first byte equal to b at or after from, or npos.
    std::size_t find(std::uint8_t b, std::size_t from = 0) const;
    bool startsWith(std::string_view prefix) const;

    ByteVector toVector() const { return ByteVector(begin(), end()); }

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

inline void append(ByteVector& to, ByteView bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }

} // namespace tagmora
