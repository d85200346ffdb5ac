#include <QApplication>
#include <QDir>

#include "app/CreateCentral.h"
#include "app/QtPrompts.h"
#include "session/StringTable.h"
#include "app/TForm1.h"
#include "data/Clock.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(AppCaption);
    QApplication::setApplicationVersion(ProgramVersion);

    const std::unique_ptr<BleCentral> central = CreateCentral(QApplication::arguments());
    QtPrompts prompts;
    SystemClock clock;
    TForm1 window({*central, prompts, prompts, clock, QApplication::applicationFilePath(), QDir::currentPath(), {}, {}});
    prompts.SetParent(&window);
    prompts.SetConnectionDialog(window.Form2);
    window.show();
    return application.exec();
}
