#pragma once
// Inflating the zlib-compressed frames of ID3v2.3 and ID3v2.4.

#include "tags/byte_vector.h"

#include <cstddef>
#include <optional>

namespace tagmora {

// The inflated bytes, or nullopt when the data is not a complete zlib stream
// or would inflate to more than `limit` bytes. Memory grows with the output,
// never with a size the file claims.
std::optional<ByteVector> inflateZlib(ByteView data, std::size_t limit);

} // namespace tagmora
