#include "recorder/settings/user_settings.h"

#include <QSettings>

#include <cstdlib>
#include <memory>

namespace recorder {

namespace {

std::unique_ptr<QSettings> settingsOf(const std::string& appName)
{
    const QString app = QString::fromStdString(appName);
    if (const char* home = std::getenv("VELMOR_HOME"); home && *home)
        return std::make_unique<QSettings>(QString::fromUtf8(home) + "/" + app + ".ini", QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "velmor-sound-recorder", app);
}

QString keyOf(const std::string& section, const std::string& key)
{
    return QString::fromStdString(section) + "/" + QString::fromStdString(key);
}

} // namespace

std::string GetSetting(const std::string& appName, const std::string& section, const std::string& key,
                       const std::string& defaultValue)
{
    const QVariant value = settingsOf(appName)->value(keyOf(section, key));
    return value.isValid() ? value.toString().toStdString() : defaultValue;
}

bool SaveSetting(const std::string& appName, const std::string& section, const std::string& key,
                 const std::string& value)
{
    auto settings = settingsOf(appName);
    settings->setValue(keyOf(section, key), QString::fromStdString(value));
    settings->sync();
    return settings->status() == QSettings::NoError;
}

} // namespace recorder
