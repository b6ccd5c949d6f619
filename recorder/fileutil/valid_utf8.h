#pragma once
// Whether bytes are UTF-8 as the standard defines it (RFC 3629): shortest
// forms only, no surrogates (U+D800…U+DFFF), nothing above U+10FFFF, no
// sequence cut short.

#include <string_view>

namespace recorder {

bool isValidUtf8(std::string_view bytes);

} // namespace recorder
