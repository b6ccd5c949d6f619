#pragma once
// Starting other programs and opening documents and web pages, behind an
// interface so tests can script what is installed and see what would run.

#include <string>
#include <vector>

namespace recorder {

class DesktopLauncher {
public:
    virtual ~DesktopLauncher() = default;
    // True when the program is found on PATH.
    virtual bool isInstalled(const std::string& program) const = 0;
    // Starts the program detached; false when it could not be started.
    virtual bool start(const std::string& program, const std::vector<std::string>& arguments) = 0;
    // Opens a document, a local file URL or a web page with the desktop's default handler.
    virtual bool openUrl(const std::string& url) = 0;
    // The desktop environment's names, as XDG_CURRENT_DESKTOP gives them ("KDE", "GNOME", ...).
    virtual std::string desktop() const = 0;
};

// The real one: PATH look-up, QProcess, QDesktopServices.
class SystemLauncher final : public DesktopLauncher {
public:
    bool isInstalled(const std::string& program) const override;
    bool start(const std::string& program, const std::vector<std::string>& arguments) override;
    bool openUrl(const std::string& url) override;
    std::string desktop() const override;
};

} // namespace recorder
