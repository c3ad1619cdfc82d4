#include <QApplication>
#include <QStringList>
#include <cstdio>

#include "app/app.h"
#include "app/command_line.h"
#include "app/frame.h"
#include "app/gui_message_box.h"
#include "app/single_instance.h"
#include "app/termination_watcher.h"
#include "controls/project_rc_version.h"
#include "desktop/window_activation.h"
#include "platform/desktop_identity.h"
#include "prefs/general_settings.h"

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    // The toolkit takes its own options when its application object is made
    // below; they are no switches of ours.
    const CommandLine commandLine = ParseCommandLine(WithoutToolkitOptions(arguments));
    if (commandLine.showHelp || commandLine.showVersion) {
        QString version;
        ProjectRCVersion().GetProductVersion(version);
        const QString text = commandLine.showHelp ? CommandLineHelp() : "plumora " + version + '\n';
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (commandLine.removeAutostart) {
        RemoveStartAtLoginEntries();
        return 1;
    }
    if (const auto exitCode =
            HandOverToRunningInstance(commandLine.actions, OwnActivationToken())) {
        return *exitCode;
    }

    QApplication qapp(argc, argv);
    QApplication::setApplicationName("Plumora");
    QApplication::setOrganizationName("Quillmoor");
    // Wayland compositors and task bars match the window to the installed
    // desktop entry (its name and icon) by this id.
    QGuiApplication::setDesktopFileName(desktop::kApplicationId);
    QApplication::setQuitOnLastWindowClosed(false);
    InstallGuiMessageBox();

    App app(commandLine);
    TerminationWatcher termination;
    QObject::connect(&termination, &TerminationWatcher::terminationRequested, [&app] {
        if (app.frame() != nullptr) {
            app.frame()->RequestClose(CloseReason::Terminate);
        } else {
            QApplication::quit();
        }
    });
    return app.Run();
}
