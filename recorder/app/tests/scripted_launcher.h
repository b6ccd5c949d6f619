#pragma once
// A launcher that pretends some programs are installed and remembers what
// the program asked to start or open.

#include "recorder/app/desktop_launcher.h"

#include <set>
#include <string>
#include <vector>

namespace recorder {

class ScriptedLauncher final : public DesktopLauncher {
public:
    std::set<std::string> installed;
    std::set<std::string> failingToStart;
    std::string desktopName;
    bool urlsOpen = true;
    std::vector<std::string> started; // "program arg arg"
    std::vector<std::string> urls;

    bool isInstalled(const std::string& program) const override { return installed.count(program) > 0; }
    bool start(const std::string& program, const std::vector<std::string>& arguments) override
    {
        if (failingToStart.count(program)) return false;
        std::string line = program;
        for (const auto& a : arguments) line += " " + a;
        started.push_back(line);
        return true;
    }
    bool openUrl(const std::string& url) override
    {
        urls.push_back(url);
        return urlsOpen;
    }
    std::string desktop() const override { return desktopName; }
};

} // namespace recorder
