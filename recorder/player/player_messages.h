#pragma once
// Where the stream player's messages go: a message box in the program, a
// recorder in tests, nowhere for a caller that shows none.

#include <string>

namespace recorder {

enum class PlayerMessageIcon { Error, Warning };

class PlayerMessages {
public:
    virtual ~PlayerMessages() = default;
    virtual void message(const std::string& text, const std::string& title, PlayerMessageIcon icon) = 0;
};

} // namespace recorder
