#include "recorder/app/desktop_launcher.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

#include <cstdlib>

namespace recorder {

bool SystemLauncher::isInstalled(const std::string& program) const
{
    return !QStandardPaths::findExecutable(QString::fromStdString(program)).isEmpty();
}

bool SystemLauncher::start(const std::string& program, const std::vector<std::string>& arguments)
{
    QStringList args;
    for (const auto& a : arguments) args << QString::fromStdString(a);
    return QProcess::startDetached(QString::fromStdString(program), args);
}

bool SystemLauncher::openUrl(const std::string& url)
{
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

std::string SystemLauncher::desktop() const
{
    const char* d = std::getenv("XDG_CURRENT_DESKTOP");
    return d ? d : "";
}

} // namespace recorder
