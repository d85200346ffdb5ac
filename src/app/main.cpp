#include <QApplication>
#include <QDir>

#include "app/CloseOnSignal.h"
#include "app/CommandLine.h"
#include "app/CreateCentral.h"
#include "app/QtPrompts.h"
#include "session/StringTable.h"
#include "app/TForm1.h"
#include "data/Clock.h"

namespace {

QStringList ArgumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

void NameTheProgram() {
    QCoreApplication::setApplicationName(AppCaption);
    QCoreApplication::setApplicationVersion(ProgramVersion);
}

}  // namespace

int main(int argc, char** argv) {
    // Conversions, recordings, help and usage errors need no display.
    NameTheProgram();
    const CommandLine commandLine = ParseCommandLine(ArgumentsOf(argc, argv));
    if (commandLine.action != CommandLine::Action::Window) {
        QCoreApplication application(argc, argv);
        NameTheProgram();
        // Again with the application in place, which the help text names.
        return RunWithoutWindow(ParseCommandLine(QCoreApplication::arguments()));
    }

    QApplication application(argc, argv);
    NameTheProgram();

    const std::unique_ptr<BleCentral> central = CreateCentral(commandLine.centralArguments);
    QtPrompts prompts;
    SystemClock clock;
    TForm1 window({*central, prompts, prompts, clock, QApplication::applicationFilePath(), QDir::currentPath(), {}});
    prompts.SetParent(&window);
    prompts.SetConnectionDialog(window.Form2);
    CloseOnTerminationSignals(window);
    window.show();
    return application.exec();
}
