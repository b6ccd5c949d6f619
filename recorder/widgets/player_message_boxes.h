#pragma once
// The stream player's messages as message boxes with their own title
// ("FMOD Error"), over the window that shows them.

#include "recorder/player/player_messages.h"

class QWidget;

namespace recorder {

class PlayerMessageBoxes final : public PlayerMessages {
public:
    explicit PlayerMessageBoxes(QWidget* owner = nullptr) : owner_(owner) {}
    void message(const std::string& text, const std::string& title, PlayerMessageIcon icon) override;

private:
    QWidget* owner_;
};

} // namespace recorder
