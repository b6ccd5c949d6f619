// The main window's help and system commands: the manual, the web pages,
// About, and the desktop's recording-volume control.

#include "recorder/app/form1.h"

#include "recorder/app/system_commands.h"
#include "recorder/widgets/user_prompts.h"
#include "recorder/settings/application_folder.h"

#include <QUrl>

namespace recorder {

void Form1::openHelp()
{
    const std::string manual = findManual(applicationFolder(), executableFolder());
    if (manual.empty()) {
        prompts_.message(this,
                         "The manual was not found. It is looked for in " +
                             manualCandidates(applicationFolder(), executableFolder()).front() +
                             " and comes with the installed program.",
                         MessageIcon::Exclamation);
        return;
    }
    if (!launcher_.openUrl(QUrl::fromLocalFile(QString::fromStdString(manual)).toString().toStdString()))
        prompts_.message(this, "The manual " + manual + " could not be opened: no program to show web pages was found.",
                         MessageIcon::Exclamation);
}

void Form1::openWebPage(const char* url)
{
    if (!launcher_.openUrl(url))
        prompts_.message(this, std::string("The page ") + url + " could not be opened: no web browser was found.",
                         MessageIcon::Exclamation);
}

void Form1::showAbout() { prompts_.message(this, aboutText(qVersion()), MessageIcon::Information); }

void Form1::openRecordControlCommand()
{
    if (!openRecordControl(launcher_))
        prompts_.message(this,
                         "No volume control was found. Install pavucontrol (PulseAudio Volume Control) or your "
                         "desktop's sound settings to choose the recording input and its volume.",
                         MessageIcon::Exclamation);
}

} // namespace recorder
