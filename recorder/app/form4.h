#pragma once
// "Output Files": the folder, base name and clash rule of new recordings.

#include <QDialog>

#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace recorder {

class UserPrompts;

class Form4 : public QDialog {
    Q_OBJECT
public:
    Form4(UserPrompts& prompts, QWidget* parent = nullptr);

    QLineEdit* Text2 = nullptr;   // output folder
    QPushButton* Command4 = nullptr; // "Browse..."
    QLineEdit* Text1 = nullptr;   // base file name
    QCheckBox* Check1 = nullptr;  // "Date + Time"
    QRadioButton* Option1 = nullptr; // "Add number after filename"
    QRadioButton* Option2 = nullptr; // "Overwrite the existed file"
    QPushButton* Command1 = nullptr; // "OK"
    QPushButton* Command2 = nullptr; // "Cancel"

private:
    void load();
    void browse();
    void accept() override;
    UserPrompts& prompts_;
    std::string defaultFolder_; // the music folder shown for an unset folder; "" when one was set
};

} // namespace recorder
