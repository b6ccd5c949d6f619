// The main window's global hotkeys: CTRL+ALT+R starts a recording and
// CTRL+ALT+S stops it while other programs have the focus.

#include "recorder/app/form1.h"

#include "recorder/widgets/user_prompts.h"

#include "platform/hotkeys/global_hotkeys.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>

namespace recorder {

namespace {

constexpr int kRecordHotkey = 0;
constexpr int kStopHotkey = 2;

} // namespace

void Form1::registerHotkeys()
{
    // The backend may outlive the window (a test passes its own); a press after that is dropped.
    hotkeys_.setHandler([window = QPointer<Form1>(this)](int id) {
        if (window) window->OnHotkey(id);
    });
    const unsigned ctrlAlt = hotkeys::Control | hotkeys::Alt;
    const auto held = hotkeys_.registerHotkeys(
        {{kRecordHotkey, ctrlAlt, 'R', "Start recording"}, {kStopHotkey, ctrlAlt, 'S', "Stop recording"}});
    const bool record = held.size() > 0 && held[0];
    const bool stop = held.size() > 1 && held[1];
    if (record) heldHotkeys_.push_back(kRecordHotkey);
    if (stop) heldHotkeys_.push_back(kStopHotkey);
    if (record && stop) return;
    // Said once the event loop runs, so that a recording asked for on the
    // command line starts at once rather than after the user has read them.
    QTimer::singleShot(0, this, [this, record, stop] {
        if (!record)
            prompts_.message(this,
                             "Can not register the hotkeys CTRL+ALT+R ...this key is already registered by some other "
                             "running applications.",
                             MessageIcon::Error);
        if (!stop)
            prompts_.message(this,
                             "Can not register the hotkeys CTRL+ALT+S ... this key is already registered by some other "
                             "running applications.",
                             MessageIcon::Error);
    });
}

void Form1::OnHotkey(int id)
{
    // After exitsystem the recording objects are gone.
    if (exited_) return;
    if (id == kRecordHotkey)
        StartRecord();
    else if (flgRecord)
        StopRecord();
}

void Form1::releaseHotkeys()
{
    // Only the keys this program holds: a key another program holds stays with it.
    for (int id : heldHotkeys_) hotkeys_.unregisterHotkey(id);
    heldHotkeys_.clear();
    hotkeys_.setHandler({});
}

} // namespace recorder
