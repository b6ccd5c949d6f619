#pragma once
// System-wide hotkeys: key combinations that reach the program while other
// programs have the focus. One backend per desktop service; the program holds
// one instance for its whole run.
//
// Contract of every backend:
// - registerHotkeys() answers, per key, whether this program now holds it.
//   A key another program holds, a key the desktop refuses and a desktop with
//   no such service all answer false, and a refused key never keeps the other
//   keys of the same call from being held.
// - An id is held at most once: registering a held id again answers false.
// - unregisterHotkey() releases a held id; an id not held is ignored.
// - The handler runs on the GUI thread from the event loop, after the event
//   that carried the key press has been handled, never from inside it, so it
//   may open windows or run a nested event loop. Presses of released keys are
//   never reported.
// - Destroying the backend releases every key it holds.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace hotkeys {

// Modifier flags, with the values of the program's key table (CTRL+ALT = 3).
enum Modifier : unsigned { Alt = 1, Control = 2, Shift = 4, Super = 8 };

struct Hotkey {
    int id = 0;             // reported to the handler
    unsigned modifiers = 0; // Modifier flags
    char key = 0;           // 'A' … 'Z' or '0' … '9'
    std::string description; // shown by desktops that list an application's shortcuts
};

class GlobalHotkeys {
public:
    virtual ~GlobalHotkeys() = default;
    virtual std::vector<bool> registerHotkeys(const std::vector<Hotkey>& keys) = 0;
    virtual void unregisterHotkey(int id) = 0;
    virtual void setHandler(std::function<void(int id)> handler) = 0;
};

// The service of this session, picked by the Qt platform: a key grab on the X
// server under xcb (X11 and XWayland), the desktop's global-shortcuts portal
// under Wayland where the desktop offers it; otherwise a backend that holds
// nothing, so every registration fails. Needs a QGuiApplication.
std::unique_ptr<GlobalHotkeys> createPlatformHotkeys();

} // namespace hotkeys
