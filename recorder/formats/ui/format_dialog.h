#pragma once
// What every format options dialog shares: the settings window's row it
// refreshes, reading and storing its keys, and the rule that a choice the
// file component cannot record is refused before anything is stored.

#include "recorder/recording/settings_number.h"
#include "recorder/settings/settings_store.h"

#include <QDialog>

#include <string>
#include <utility>
#include <vector>

class QBoxLayout;
class QLineEdit;
class QPushButton;

namespace recorder {

class AudioFile;
class UserPrompts;

class FormatDialog : public QDialog {
    Q_OBJECT
protected:
    // row: the settings window's description box of this format (may be null).
    FormatDialog(const char* name, const char* caption, AudioFile& file, QLineEdit* row, UserPrompts* prompts,
                 QWidget* parent);

    // The stored key as a number into value; a missing or non-numeric key keeps the value.
    template <class T>
    static void readKey(const char* section, const char* key, T& value)
    {
        convertInto(ReadIniValue(settingsFilePath(), section, key), value);
    }

    // After a SetFormat… call: true when the file component took the choice,
    // at the rate and channel count the dialog shows when they are given.
    // Otherwise says so, naming the format and what it accepts, and the
    // dialog stays open with nothing stored.
    bool recordable(bool selected, const std::string& format, int rate = 0, int channels = 0);

    // Stores the keys in order (all are attempted), shows the file
    // component's description in the row and closes; a key that could not be
    // written is reported.
    void confirm(const char* section, const std::vector<std::pair<const char*, std::string>>& keys);
    // Shows the description in the row and closes, storing nothing.
    void confirmWithoutStoring();

    // An OK and a Cancel button with the dialog's own names and captions,
    // Cancel closing without anything else.
    std::pair<QPushButton*, QPushButton*> addButtons(QBoxLayout* layout, const char* okName, const char* okCaption,
                                                    const char* cancelName, const char* cancelCaption);

    AudioFile& file_;
    QLineEdit* row_;
    UserPrompts* prompts_;
};

} // namespace recorder
