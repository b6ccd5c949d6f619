#include "tags/byte_vector.h"

#include <cstring>

namespace tagmora {

ByteView ByteView::mid(std::size_t offset, std::size_t length) const
{
    if (offset >= size_) return {};
    std::size_t left = size_ - offset;
    return {data_ + offset, length < left ? length : left};
}

std::size_t ByteView::find(std::uint8_t b, std::size_t from) const
{
    if (from >= size_) return npos;
    const void* hit = std::memchr(data_ + from, b, size_ - from);
    return hit ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - data_) : npos;
}

bool ByteView::startsWith(std::string_view prefix) const
{
    return prefix.size() <= size_ && std::memcmp(data_, prefix.data(), prefix.size()) == 0;
}

} // namespace tagmora
