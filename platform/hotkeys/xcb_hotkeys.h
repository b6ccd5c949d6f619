#pragma once
// Hotkeys as passive key grabs on the X root window (X11 and XWayland). The
// key presses arrive on the application's own X connection and are picked out
// of its event stream by a Qt native event filter.

#include "platform/hotkeys/global_hotkeys.h"

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>
#include <memory>

struct xcb_connection_t;

namespace hotkeys {

class XcbHotkeys final : public GlobalHotkeys, private QAbstractNativeEventFilter {
public:
    // Null unless the application runs on the xcb platform.
    static std::unique_ptr<XcbHotkeys> create();
    ~XcbHotkeys() override;
    XcbHotkeys(const XcbHotkeys&) = delete;
    XcbHotkeys& operator=(const XcbHotkeys&) = delete;

    std::vector<bool> registerHotkeys(const std::vector<Hotkey>& keys) override;
    void unregisterHotkey(int id) override;
    void setHandler(std::function<void(int id)> handler) override;

private:
    struct Grab {
        int id;
        std::uint8_t keycode;
        std::uint16_t modifiers; // X modifier mask without the lock modifiers
    };
    XcbHotkeys(xcb_connection_t* connection, std::uint32_t root);
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    void readModifierMap();
    std::uint8_t keycodeOf(char key) const;
    std::uint16_t xModifiers(unsigned modifiers) const;
    bool grab(const Grab& g);
    void ungrab(const Grab& g);

    xcb_connection_t* connection_;
    std::uint32_t root_;
    // Where Alt, Super and Num Lock sit among Mod1 … Mod5 on this server.
    std::uint16_t altMask_ = 0;
    std::uint16_t superMask_ = 0;
    std::uint16_t numLockMask_ = 0;
    std::vector<Grab> grabs_;
    std::function<void(int)> handler_;
    // Context of the queued handler calls: destroying it drops calls not yet run.
    QObject calls_;
};

} // namespace hotkeys
