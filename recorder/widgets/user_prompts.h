#pragma once
// Every message box, input box and file or folder picker of the program goes
// through this interface, so tests can script the answers and read the texts.

#include <optional>
#include <string>

class QWidget;

namespace recorder {

enum class MessageIcon { None, Error, Exclamation, Question, Information };
enum class MessageButtons { Ok, OkCancel };
enum class MessageAnswer { Ok, Cancel };

class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    // Modal message box titled with the application title.
    virtual MessageAnswer message(QWidget* owner, const std::string& text, MessageIcon icon,
                                  MessageButtons buttons = MessageButtons::Ok) = 0;
    // Input box; nullopt on Cancel.
    virtual std::optional<std::string> input(QWidget* owner, const std::string& prompt, const std::string& defaultText) = 0;
    // Folder picker; nullopt when cancelled.
    virtual std::optional<std::string> pickFolder(QWidget* owner, const std::string& start) = 0;
    // File dialogs; filter in Qt's form ("Project Files(*.rpf)"); nullopt when cancelled.
    virtual std::optional<std::string> openFile(QWidget* owner, const std::string& title, const std::string& filter) = 0;
    virtual std::optional<std::string> saveFile(QWidget* owner, const std::string& title, const std::string& filter) = 0;
};

// The title of every message box, input box and folder picker, and the tray tip.
inline constexpr const char* kApplicationTitle = "Velmor Sound Recorder";

// Says that settings.dat could not be written and why; the choices hold for this run.
void reportSettingsWriteFailure(UserPrompts& prompts, QWidget* owner);

// The real prompts, on Qt dialogs.
class QtUserPrompts final : public UserPrompts {
public:
    MessageAnswer message(QWidget* owner, const std::string& text, MessageIcon icon, MessageButtons buttons) override;
    std::optional<std::string> input(QWidget* owner, const std::string& prompt, const std::string& defaultText) override;
    std::optional<std::string> pickFolder(QWidget* owner, const std::string& start) override;
    std::optional<std::string> openFile(QWidget* owner, const std::string& title, const std::string& filter) override;
    std::optional<std::string> saveFile(QWidget* owner, const std::string& title, const std::string& filter) override;
};

} // namespace recorder
