#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>

namespace {

QtMessageHandler programHandler = nullptr;

// The session logs an input it handled inside another of its flows (a flow
// that ran inside another's wait): in a test, that is a failure.
void FailOnReentry(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && qstrcmp(context.category, "tq580.session") == 0 &&
        message.startsWith(QLatin1String("re-entered:")))
        ADD_FAILURE() << "the session " << message.toStdString();
    if (programHandler) programHandler(type, context, message);
    else fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

}  // namespace

// Every test binary gets a QApplication (offscreen unless told otherwise), so widgets,
// timers and queued events work as they do in the program.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    programHandler = qInstallMessageHandler(FailOnReentry);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
