// Velmor Sound Recorder: the process entry.

#include "recorder/widgets/apartment_pump.h"
#include "recorder/remote/command_line_handoff.h"
#include "recorder/app/form1.h"
#include "recorder/app/single_instance.h"
#include "recorder/widgets/user_prompts.h"

#include "platform/signals/shutdown_signals.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <filesystem>
#include <iostream>

int main(int argc, char** argv)
{
    // A sound server that goes away must not end the program through a broken pipe.
    std::signal(SIGPIPE, SIG_IGN);
    // Commands for a running recorder are handed over before any window system is needed.
    const recorder::CommandLine commandLine = recorder::parseCommandLine(argc, argv);
    // Only a process that would become the recorder waits out a client's brief hold of the lock.
    const bool mayRun = commandLine.action == recorder::CommandLineAction::Start ||
                        commandLine.action == recorder::CommandLineAction::Record;
    recorder::SingleInstance instance(recorder::SingleInstance::defaultLockPath(), mayRun ? 250 : 0);
    if (!instance.lockError().empty())
        std::cerr << "Velmor Sound Recorder: cannot tell whether another copy runs: " << instance.lockError() << "\n";
    // The name it was started by: "recorder" in the build tree, "velmor-sound-recorder" installed.
    const std::string program = argc > 0 && argv[0] && *argv[0] ? std::filesystem::path(argv[0]).filename().string() : "recorder";
    if (const auto exitCode = recorder::handOffCommandLine(commandLine, instance.isFirst(), program, std::cout, std::cerr))
        return *exitCode;
    // Logout, shutdown, Ctrl+C and kill end a recording as Stop would (from here on).
    shutdown::install();
    QApplication app(argc, argv);
    QApplication::setApplicationName(recorder::kApplicationTitle);
    QApplication::setQuitOnLastWindowClosed(false); // only exitsystem ends the program

    recorder::QtUserPrompts prompts;
    if (!instance.isFirst()) {
        prompts.message(nullptr, "There is another copy of the application being executed!", recorder::MessageIcon::Error,
                        recorder::MessageButtons::Ok);
        return 1;
    }

    recorder::ApartmentPump pump;
    int result = 0;
    {
        recorder::Form1 window(prompts);
        QSocketNotifier signalled(shutdown::descriptor(), QSocketNotifier::Read);
        QObject::connect(&signalled, &QSocketNotifier::activated, &window, [&window] {
            shutdown::acknowledge();
            window.exitOnSignal();
        });
        window.show();
        if (commandLine.action == recorder::CommandLineAction::Record) window.StartRecord();
        result = QApplication::exec();
    }
    return result;
}
