#pragma once
// The recorder's icon in the notification area and its menu "SysTray". The
// icon shows only where the desktop has a tray (StatusNotifierItem or an
// XEmbed tray); without one, the window keeps minimising and closing as a
// plain window does.

#include <QObject>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace recorder {

// What the menu entries and a left click do.
struct TrayCommands {
    std::function<void()> openWebPage;
    std::function<void()> openHelp;
    std::function<void()> restoreWindow;
    std::function<void()> openSettings;
    std::function<void()> recordNow;
    std::function<void()> stopRecord;
    std::function<void()> exit;
};

class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(TrayCommands commands, QObject* parent = nullptr);
    ~TrayIcon() override;

    // Adds the icon when the desktop has a tray now; false otherwise.
    bool show();
    // Removes the icon from the tray.
    void remove();
    // The icon is in a tray: the main window may hide into it.
    bool shown() const;

    QMenu* menu() const { return menu_.get(); }
    // A menu entry by its text.
    QAction* action(const QString& text) const;
    QSystemTrayIcon* icon() const { return icon_; }

private:
    TrayCommands commands_;
    std::unique_ptr<QMenu> menu_; // a menu has no parent object to own it
    QSystemTrayIcon* icon_;
};

} // namespace recorder
