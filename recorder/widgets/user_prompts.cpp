#include "recorder/widgets/user_prompts.h"

#include "recorder/settings/settings_store.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace recorder {

namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }
} // namespace

void reportSettingsWriteFailure(UserPrompts& prompts, QWidget* owner)
{
    prompts.message(owner, "The settings could not be saved to " + settingsFilePath() + " (" + lastSettingsWriteError() + ").",
                    MessageIcon::Exclamation);
}

MessageAnswer QtUserPrompts::message(QWidget* owner, const std::string& text, MessageIcon icon, MessageButtons buttons)
{
    QMessageBox box(owner);
    box.setWindowTitle(kApplicationTitle);
    box.setText(q(text));
    switch (icon) {
    case MessageIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case MessageIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::None: break;
    }
    if (buttons == MessageButtons::OkCancel)
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    else
        box.setStandardButtons(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

std::optional<std::string> QtUserPrompts::input(QWidget* owner, const std::string& prompt, const std::string& defaultText)
{
    bool ok = false;
    QString answer = QInputDialog::getText(owner, kApplicationTitle, q(prompt), QLineEdit::Normal, q(defaultText), &ok);
    if (!ok) return std::nullopt;
    return answer.toStdString();
}

std::optional<std::string> QtUserPrompts::pickFolder(QWidget* owner, const std::string& start)
{
    QString dir = QFileDialog::getExistingDirectory(owner, kApplicationTitle, q(start), QFileDialog::ShowDirsOnly);
    if (dir.isEmpty()) return std::nullopt;
    return dir.toStdString();
}

std::optional<std::string> QtUserPrompts::openFile(QWidget* owner, const std::string& title, const std::string& filter)
{
    QString file = QFileDialog::getOpenFileName(owner, q(title), QString(), q(filter));
    if (file.isEmpty()) return std::nullopt;
    return file.toStdString();
}

std::optional<std::string> QtUserPrompts::saveFile(QWidget* owner, const std::string& title, const std::string& filter)
{
    QString file = QFileDialog::getSaveFileName(owner, q(title), QString(), q(filter));
    if (file.isEmpty()) return std::nullopt;
    return file.toStdString();
}

} // namespace recorder
