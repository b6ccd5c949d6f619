// The main window in the notification area: the tray icon and its menu, and
// hiding into it.

#include "recorder/app/form1.h"

#include "recorder/app/system_commands.h"
#include "recorder/app/tray_icon.h"

#include <QTimer>

namespace recorder {

void Form1::createTray()
{
    TrayCommands commands;
    commands.openWebPage = [this] { openWebPage(kHomePage); };
    commands.openHelp = [this] { openHelp(); };
    commands.restoreWindow = [this] { restoreWindow(); };
    commands.openSettings = [this] { openFormatSettings(); };
    commands.recordNow = [this] { StartRecord(); };
    commands.stopRecord = [this] { StopRecord(); };
    commands.exit = [this] { exitsystem(); };
    tray_ = std::make_unique<TrayIcon>(std::move(commands));
    tray_->show();
}

void Form1::restoreWindow()
{
    if (exited_) return;
    showNormal();
    raise();
    activateWindow();
}

bool Form1::hidesIntoTray() const { return !exited_ && tray_ && tray_->shown(); }

void Form1::removeTray()
{
    if (tray_) tray_->remove();
}

} // namespace recorder
