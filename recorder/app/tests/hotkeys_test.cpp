// CTRL+ALT+R and CTRL+ALT+S on a real X server, pressed through the XTEST
// extension (xdotool) while another client's window has the focus, recording
// from the private sound server.

#include "recorder/app/tests/recorder_window_env.h"

#include "platform/hotkeys/global_hotkeys.h"
#include "platform/testserver/signal.h"

#include <QGuiApplication>
#include <QTreeWidget>

#include <xcb/xcb.h>

#include <cstdlib>

namespace recorder {
namespace {

const char* kRecordMessage =
    "Can not register the hotkeys CTRL+ALT+R ...this key is already registered by some other running applications.";
const char* kStopMessage =
    "Can not register the hotkeys CTRL+ALT+S ... this key is already registered by some other running applications.";

// Another X client: a window of its own that holds the focus, and key grabs of its own.
class OtherClient {
public:
    OtherClient() : connection_(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(connection_)) return;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        root_ = screen->root;
        window_ = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, root_, 0, 0, 300, 200, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_map_window(connection_, window_);
        xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_POINTER_ROOT, window_, XCB_CURRENT_TIME);
        std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }
    ~OtherClient() { xcb_disconnect(connection_); }
    OtherClient(const OtherClient&) = delete;
    OtherClient& operator=(const OtherClient&) = delete;

    bool hasFocus()
    {
        auto* reply = xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr);
        const bool focused = reply && reply->focus == window_;
        std::free(reply);
        return focused;
    }

    // Grabs CTRL+ALT+<key> (Alt as Mod1, no lock) as another program would; false when someone holds it.
    bool grabCtrlAlt(char key)
    {
        const xcb_setup_t* setup = xcb_get_setup(connection_);
        auto* map = xcb_get_keyboard_mapping_reply(
            connection_, xcb_get_keyboard_mapping(connection_, setup->min_keycode, setup->max_keycode - setup->min_keycode + 1),
            nullptr);
        xcb_keycode_t code = 0;
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
        for (int i = 0; i < xcb_get_keyboard_mapping_keysyms_length(map) && !code; ++i)
            if (syms[i] == xcb_keysym_t(key - 'A' + 'a')) code = setup->min_keycode + i / map->keysyms_per_keycode;
        std::free(map);
        auto* error = xcb_request_check(connection_, xcb_grab_key_checked(connection_, 1, root_,
                                                                           XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1, code,
                                                                           XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        std::free(error);
        return code != 0 && error == nullptr;
    }

private:
    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
    xcb_window_t window_ = 0;
};

bool pressKeys(const std::string& keys) { return std::system(("xdotool key " + keys).c_str()) == 0; }

class HotkeyTest : public RecorderWindowTest {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "no X server (Xvfb) for the hotkey tests";
        RecorderWindowTest::SetUp();
        platformHotkeys_ = hotkeys::createPlatformHotkeys();
        hotkeys_ = platformHotkeys_.get();
    }
    void TearDown() override
    {
        writer_.reset(); // before the source it writes to goes
        RecorderWindowTest::TearDown();
        platformHotkeys_.reset();
    }
    // Feeds a tone while the window records, so the files hold audio.
    void feedTone()
    {
        writer_ = std::make_unique<testsound::SignalWriter>(*input_, testsound::Signal::sine({1000.0, 1000.0}, 0.5), 1.0);
        writer_->start();
    }
    // Stopped means the file is finished and listed too.
    bool waitRecording(bool state)
    {
        return QTest::qWaitFor([&] { return form_->flgRecord == state && (state || form_->recordingIdle()); }, 5000);
    }

    std::unique_ptr<hotkeys::GlobalHotkeys> platformHotkeys_;
    std::unique_ptr<testsound::SignalWriter> writer_;
};

TEST_F(HotkeyTest, KeysRecordAndStopWhileAnotherWindowHasTheFocusAndAreFreedAtExit)
{
    OtherClient other;
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    ASSERT_TRUE(prompts_.messages.empty()) << prompts_.messages.front().text;
    ASSERT_TRUE(other.hasFocus());
    feedTone();

    // Stop while idle does nothing.
    ASSERT_TRUE(pressKeys("ctrl+alt+s"));
    wait(500);
    EXPECT_FALSE(form_->flgRecord);
    EXPECT_TRUE(form_->rows().empty());

    ASSERT_TRUE(pressKeys("ctrl+alt+r"));
    ASSERT_TRUE(waitRecording(true));
    wait(1500);
    ASSERT_TRUE(pressKeys("ctrl+alt+s"));
    ASSERT_TRUE(waitRecording(false));
    EXPECT_TRUE(other.hasFocus()) << "the recorder leaves the focus where it was";

    const auto rows = form_->rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_GT(std::filesystem::file_size(form_->currentRecordPath()), 44u) << "the file holds audio";
    EXPECT_TRUE(prompts_.messages.empty());

    // After the orderly end the keys are free for other programs.
    form_->exitsystem();
    EXPECT_TRUE(other.grabCtrlAlt('R'));
    EXPECT_TRUE(other.grabCtrlAlt('S'));
}

TEST_F(HotkeyTest, RecordKeyWhileRecordingStartsANewFileWhateverTheLockKeys)
{
    OtherClient other;
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    feedTone();
    ASSERT_TRUE(pressKeys("ctrl+alt+r"));
    ASSERT_TRUE(waitRecording(true));
    const std::string first = form_->currentRecordPath();
    wait(1200);

    // Num Lock and Caps Lock on: the keys still reach the recorder.
    ASSERT_TRUE(pressKeys("Num_Lock Caps_Lock"));
    ASSERT_TRUE(pressKeys("ctrl+alt+r"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form_->rows().size() == 1; }, 5000)) << "the first recording ended";
    EXPECT_TRUE(form_->flgRecord) << "and a new one runs";
    const std::string second = form_->currentRecordPath();
    EXPECT_NE(second, first);
    wait(1200);
    ASSERT_TRUE(pressKeys("ctrl+alt+s"));
    ASSERT_TRUE(waitRecording(false));
    ASSERT_TRUE(pressKeys("Num_Lock Caps_Lock"));

    const auto rows = form_->rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].path, first);
    EXPECT_EQ(rows[1].path, second);
    EXPECT_TRUE(std::filesystem::exists(first));
    EXPECT_TRUE(std::filesystem::exists(second));
}

// A key another program holds gives its message; the other key still works.
class TakenHotkey : public HotkeyTest, public ::testing::WithParamInterface<char> {};

TEST_P(TakenHotkey, GivesItsMessageAndTheOtherKeyStillWorks)
{
    const char taken = GetParam();
    OtherClient other;
    ASSERT_TRUE(other.grabCtrlAlt(taken));
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    EXPECT_TRUE(prompts_.messages.empty()) << "said once the event loop runs";
    wait(100);
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].text, taken == 'R' ? kRecordMessage : kStopMessage);
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::Error);
    feedTone();

    if (taken == 'R') {
        form_->StartRecord();
        ASSERT_TRUE(form_->flgRecord);
        ASSERT_TRUE(pressKeys("ctrl+alt+r"));
        wait(500);
        EXPECT_EQ(form_->rows().size(), 0u) << "the other program's key does not reach the recorder";
        ASSERT_TRUE(pressKeys("ctrl+alt+s"));
        EXPECT_TRUE(waitRecording(false));
    } else {
        ASSERT_TRUE(pressKeys("ctrl+alt+r"));
        ASSERT_TRUE(waitRecording(true));
        ASSERT_TRUE(pressKeys("ctrl+alt+s"));
        wait(500);
        EXPECT_TRUE(form_->flgRecord) << "the other program's key does not reach the recorder";
        stopRecording();
    }
    EXPECT_EQ(form_->rows().size(), 1u);
    EXPECT_EQ(prompts_.messages.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(RecordOrStop, TakenHotkey, ::testing::Values('R', 'S'),
                         [](const auto& info) { return std::string(1, info.param); });

} // namespace
} // namespace recorder
