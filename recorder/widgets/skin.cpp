#include "recorder/widgets/skin.h"

#include "recorder/settings/application_folder.h"

#include <QFile>
#include <QWidget>

namespace recorder {

void applySkin(QWidget* window)
{
    QFile file(QString::fromStdString(applicationFolder() + "/skins/frmmain.skn"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return;
    // A skin is small; anything larger is not a style sheet.
    if (file.size() > 1 << 20) return;
    window->setStyleSheet(QString::fromUtf8(file.readAll()));
}

} // namespace recorder
