#pragma once
// Prompts with scripted answers that remember what the program asked.

#include "recorder/widgets/user_prompts.h"

#include <QEventLoop>
#include <QTimer>

#include <deque>
#include <string>
#include <vector>

namespace recorder {

class ScriptedPrompts final : public UserPrompts {
public:
    struct Message {
        std::string text;
        MessageIcon icon;
        MessageButtons buttons;
    };
    std::vector<Message> messages;
    std::deque<MessageAnswer> answers;             // default Ok
    std::deque<std::optional<std::string>> inputs; // default Cancel
    std::deque<std::optional<std::string>> folders;
    std::deque<std::optional<std::string>> files;
    std::vector<std::string> fileFilters; // every open dialog's filter, in order
    // As a person reading it: a message box stays open this long, its event loop running.
    int messageOpenMs = 0;

    MessageAnswer message(QWidget*, const std::string& text, MessageIcon icon, MessageButtons buttons) override
    {
        messages.push_back({text, icon, buttons});
        if (messageOpenMs > 0) {
            QEventLoop open;
            QTimer::singleShot(messageOpenMs, &open, &QEventLoop::quit);
            open.exec();
        }
        return next(answers, MessageAnswer::Ok);
    }
    std::optional<std::string> input(QWidget*, const std::string&, const std::string&) override
    {
        return next(inputs, std::optional<std::string>());
    }
    std::optional<std::string> pickFolder(QWidget*, const std::string&) override
    {
        return next(folders, std::optional<std::string>());
    }
    std::optional<std::string> openFile(QWidget*, const std::string&, const std::string& filter) override
    {
        fileFilters.push_back(filter);
        return next(files, std::optional<std::string>());
    }
    std::optional<std::string> saveFile(QWidget*, const std::string&, const std::string&) override
    {
        return next(files, std::optional<std::string>());
    }

private:
    template <class T>
    static T next(std::deque<T>& q, T fallback)
    {
        if (q.empty()) return fallback;
        T v = q.front();
        q.pop_front();
        return v;
    }
};

} // namespace recorder
