#include "recorder/widgets/player_message_boxes.h"

#include <QMessageBox>

namespace recorder {

void PlayerMessageBoxes::message(const std::string& text, const std::string& title, PlayerMessageIcon icon)
{
    QMessageBox box(icon == PlayerMessageIcon::Error ? QMessageBox::Critical : QMessageBox::Warning,
                    QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok, owner_);
    box.exec();
}

} // namespace recorder
