#include "platform/hotkeys/xcb_hotkeys.h"

#include <QGuiApplication>
#include <QMetaObject>

#include <xcb/xcb.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace hotkeys {

namespace {

constexpr std::uint32_t kNumLock = 0xff7f;
constexpr std::uint32_t kAltL = 0xffe9, kAltR = 0xffea, kMetaL = 0xffe7;
constexpr std::uint32_t kSuperL = 0xffeb, kSuperR = 0xffec;
constexpr std::uint8_t kBadAccess = 10;

// Replies and errors of xcb are malloc'd.
template <class T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

template <class T>
XcbReply<T> owned(T* p)
{
    return XcbReply<T>(p, &std::free);
}

} // namespace

std::unique_ptr<XcbHotkeys> XcbHotkeys::create()
{
    auto* app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = app ? app->connection() : nullptr;
    if (!connection || xcb_connection_has_error(connection)) return nullptr;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen) return nullptr;
    return std::unique_ptr<XcbHotkeys>(new XcbHotkeys(connection, screen->root));
}

XcbHotkeys::XcbHotkeys(xcb_connection_t* connection, std::uint32_t root) : connection_(connection), root_(root)
{
    readModifierMap();
    qGuiApp->installNativeEventFilter(this);
}

XcbHotkeys::~XcbHotkeys()
{
    if (qGuiApp) qGuiApp->removeNativeEventFilter(this);
    for (const Grab& g : grabs_) ungrab(g);
    xcb_flush(connection_);
}

void XcbHotkeys::readModifierMap()
{
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    auto keyboard = owned(xcb_get_keyboard_mapping_reply(
        connection_, xcb_get_keyboard_mapping(connection_, setup->min_keycode, setup->max_keycode - setup->min_keycode + 1),
        nullptr));
    auto modifiers = owned(xcb_get_modifier_mapping_reply(connection_, xcb_get_modifier_mapping(connection_), nullptr));
    if (keyboard && modifiers) {
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(keyboard.get());
        const int perCode = keyboard->keysyms_per_keycode;
        const int count = xcb_get_keyboard_mapping_keysyms_length(keyboard.get());
        const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(modifiers.get());
        const int perModifier = modifiers->keycodes_per_modifier;
        // Rows 0 … 2 are Shift, Lock and Control; Mod1 … Mod5 follow.
        for (int mod = 3; mod < 8; ++mod) {
            for (int k = 0; k < perModifier; ++k) {
                const int code = codes[mod * perModifier + k];
                if (code < setup->min_keycode) continue;
                const int row = (code - setup->min_keycode) * perCode;
                for (int c = 0; c < perCode && row + c < count; ++c) {
                    const xcb_keysym_t sym = syms[row + c];
                    const auto mask = static_cast<std::uint16_t>(1u << mod);
                    if ((sym == kAltL || sym == kAltR || sym == kMetaL) && !altMask_) altMask_ = mask;
                    if ((sym == kSuperL || sym == kSuperR) && !superMask_) superMask_ = mask;
                    if (sym == kNumLock && !numLockMask_) numLockMask_ = mask;
                }
            }
        }
    }
    // The layout almost every server uses, where the map does not say.
    if (!altMask_) altMask_ = XCB_MOD_MASK_1;
    if (!superMask_) superMask_ = XCB_MOD_MASK_4;
    if (!numLockMask_) numLockMask_ = XCB_MOD_MASK_2;
}

std::uint8_t XcbHotkeys::keycodeOf(char key) const
{
    // Letters and digits have the keysym of their lower-case character.
    const auto wanted = static_cast<xcb_keysym_t>(std::tolower(static_cast<unsigned char>(key)));
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    auto keyboard = owned(xcb_get_keyboard_mapping_reply(
        connection_, xcb_get_keyboard_mapping(connection_, setup->min_keycode, setup->max_keycode - setup->min_keycode + 1),
        nullptr));
    if (!keyboard) return 0;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(keyboard.get());
    const int perCode = keyboard->keysyms_per_keycode;
    const int count = xcb_get_keyboard_mapping_keysyms_length(keyboard.get());
    // The unshifted symbol of a key first: that is the key the user presses.
    for (int c = 0; c < perCode; ++c)
        for (int row = 0; row + c < count; row += perCode)
            if (syms[row + c] == wanted) return static_cast<std::uint8_t>(setup->min_keycode + row / perCode);
    return 0;
}

std::uint16_t XcbHotkeys::xModifiers(unsigned modifiers) const
{
    std::uint16_t mask = 0;
    if (modifiers & Alt) mask |= altMask_;
    if (modifiers & Control) mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & Shift) mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & Super) mask |= superMask_;
    return mask;
}

bool XcbHotkeys::grab(const Grab& g)
{
    // Caps Lock and Num Lock change the modifier state of a press, so each of
    // their four combinations is a grab of its own.
    const std::uint16_t locks[] = {0, XCB_MOD_MASK_LOCK, numLockMask_,
                                   static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLockMask_)};
    xcb_void_cookie_t cookies[4];
    for (int i = 0; i < 4; ++i)
        cookies[i] = xcb_grab_key_checked(connection_, 1, root_, g.modifiers | locks[i], g.keycode,
                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    bool ok = true;
    for (auto cookie : cookies) {
        // BadAccess: another client holds this combination.
        if (auto error = owned(xcb_request_check(connection_, cookie))) ok = false;
    }
    // A key held only in some lock states would work by chance; give it back whole.
    if (!ok) ungrab(g);
    xcb_flush(connection_);
    return ok;
}

void XcbHotkeys::ungrab(const Grab& g)
{
    // Ungrabbing touches only this client's grabs, so a combination another
    // client holds stays with it.
    const std::uint16_t locks[] = {0, XCB_MOD_MASK_LOCK, numLockMask_,
                                   static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLockMask_)};
    for (auto lock : locks) xcb_ungrab_key(connection_, g.keycode, root_, g.modifiers | lock);
}

std::vector<bool> XcbHotkeys::registerHotkeys(const std::vector<Hotkey>& keys)
{
    std::vector<bool> held;
    held.reserve(keys.size());
    for (const Hotkey& key : keys) {
        const bool known = std::any_of(grabs_.begin(), grabs_.end(), [&](const Grab& g) { return g.id == key.id; });
        const Grab g{key.id, keycodeOf(key.key), xModifiers(key.modifiers)};
        const bool ok = !known && g.keycode != 0 && grab(g);
        if (ok) grabs_.push_back(g);
        held.push_back(ok);
    }
    return held;
}

void XcbHotkeys::unregisterHotkey(int id)
{
    auto it = std::find_if(grabs_.begin(), grabs_.end(), [&](const Grab& g) { return g.id == id; });
    if (it == grabs_.end()) return;
    ungrab(*it);
    xcb_flush(connection_);
    grabs_.erase(it);
}

void XcbHotkeys::setHandler(std::function<void(int id)> handler) { handler_ = std::move(handler); }

bool XcbHotkeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS) return false;
    const auto* press = static_cast<const xcb_key_press_event_t*>(message);
    if (press->event != root_) return false;
    // Lock states and pointer buttons do not change which hotkey was pressed.
    const std::uint16_t relevant = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | altMask_ | superMask_;
    const std::uint16_t state = press->state & relevant;
    for (const Grab& g : grabs_) {
        if (g.keycode != press->detail || g.modifiers != state) continue;
        const int id = g.id;
        // Run after this event is handled: the handler may start a recording or open a window.
        QMetaObject::invokeMethod(
            &calls_,
            [this, id] {
                const bool stillHeld = std::any_of(grabs_.begin(), grabs_.end(), [&](const Grab& h) { return h.id == id; });
                if (stillHeld && handler_) handler_(id);
            },
            Qt::QueuedConnection);
        return true;
    }
    return false;
}

} // namespace hotkeys
