#pragma once
// Hotkeys for windows on the offscreen platform, which has no global-key
// service: every key is held unless the test marks it taken, and the test
// presses them.

#include "platform/hotkeys/global_hotkeys.h"

#include <algorithm>
#include <set>

namespace recorder {

class ScriptedHotkeys final : public hotkeys::GlobalHotkeys {
public:
    std::set<int> taken; // ids another program holds
    std::set<int> held;

    std::vector<bool> registerHotkeys(const std::vector<hotkeys::Hotkey>& keys) override
    {
        std::vector<bool> result;
        for (const auto& key : keys) {
            const bool ok = !taken.count(key.id) && held.insert(key.id).second;
            result.push_back(ok);
        }
        return result;
    }
    void unregisterHotkey(int id) override { held.erase(id); }
    void setHandler(std::function<void(int)> handler) override { handler_ = std::move(handler); }
    // Delivers a press of a held key, as the event loop would.
    void press(int id)
    {
        if (held.count(id) && handler_) handler_(id);
    }

private:
    std::function<void(int)> handler_;
};

} // namespace recorder
