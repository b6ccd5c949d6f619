#include "platform/hotkeys/global_hotkeys.h"
#include "platform/hotkeys/portal_hotkeys.h"
#include "platform/hotkeys/xcb_hotkeys.h"

#include <QGuiApplication>

namespace hotkeys {

namespace {

// A session with no global-key service (a Wayland desktop without the portal,
// a headless platform): every key is refused, so the program says so.
class NoHotkeys final : public GlobalHotkeys {
public:
    std::vector<bool> registerHotkeys(const std::vector<Hotkey>& keys) override
    {
        return std::vector<bool>(keys.size(), false);
    }
    void unregisterHotkey(int) override {}
    void setHandler(std::function<void(int)>) override {}
};

} // namespace

std::unique_ptr<GlobalHotkeys> createPlatformHotkeys()
{
    const QString platform = QGuiApplication::platformName();
    if (platform == "xcb") {
        if (auto x = XcbHotkeys::create()) return x;
    } else if (platform.startsWith("wayland")) {
        if (auto portal = PortalHotkeys::create()) return portal;
    }
    return std::make_unique<NoHotkeys>();
}

} // namespace hotkeys
