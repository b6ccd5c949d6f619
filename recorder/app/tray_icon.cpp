#include "recorder/app/tray_icon.h"

#include "recorder/widgets/icons.h"
#include "recorder/widgets/user_prompts.h"

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>

namespace recorder {

TrayIcon::TrayIcon(TrayCommands commands, QObject* parent)
    : QObject(parent), commands_(std::move(commands)), menu_(std::make_unique<QMenu>("SysTray")),
      icon_(new QSystemTrayIcon(icons::record(), this))
{
    menu_->setObjectName("SysTray");
    auto entry = [this](const char* text, const std::function<void()>& command) {
        QAction* a = menu_->addAction(text);
        a->setObjectName(text);
        connect(a, &QAction::triggered, this, [command] {
            if (command) command();
        });
    };
    entry("Velmor Sound Recorder On the Web", commands_.openWebPage);
    entry("Help", commands_.openHelp);
    menu_->addSeparator();
    entry(kApplicationTitle, commands_.restoreWindow);
    entry("Settings", commands_.openSettings);
    menu_->addSeparator();
    entry("Record Now", commands_.recordNow);
    entry("Stop Record", commands_.stopRecord);
    entry("Exit", commands_.exit);

    icon_->setToolTip(kApplicationTitle);
    icon_->setContextMenu(menu_.get());
    connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger && commands_.restoreWindow) commands_.restoreWindow();
    });
}

TrayIcon::~TrayIcon()
{
    remove();
    delete icon_; // before the menu it points to
}

bool TrayIcon::show()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
    icon_->show();
    return true;
}

void TrayIcon::remove() { icon_->hide(); }

bool TrayIcon::shown() const { return icon_->isVisible() && QSystemTrayIcon::isSystemTrayAvailable(); }

QAction* TrayIcon::action(const QString& text) const { return menu_->findChild<QAction*>(text); }

} // namespace recorder
