#include "desktop/ProgramOnDisplay.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <csignal>

#include "desktop/X11Session.h"

ProgramOnDisplay::ProgramOnDisplay() {
    QFile::copy(QStringLiteral(TQ580_PROGRAM), folder_.filePath(QStringLiteral("tq580")));
    process_.setWorkingDirectory(folder_.path());
    process_.setProcessChannelMode(QProcess::MergedChannels);
}

ProgramOnDisplay::~ProgramOnDisplay() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(5000);
}

bool ProgramOnDisplay::WriteSettings(const QByteArray& text) const {
    QFile file(SettingsPath());
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.flush();
}

QMap<QString, int> ProgramOnDisplay::StoredForm() const {
    QFile file(SettingsPath());
    QMap<QString, int> form;
    if (!file.open(QIODevice::ReadOnly)) return form;
    bool inForm = false;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('['))) inForm = line == QStringLiteral("[Form]");
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (inForm && equals > 0) form.insert(line.left(equals), line.mid(equals + 1).toInt());
    }
    return form;
}

QString ProgramOnDisplay::Start(const X11Session& session) {
    output_.clear();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), session.Display());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    process_.setProcessEnvironment(environment);
    process_.start(folder_.filePath(QStringLiteral("tq580")), {QStringLiteral("--simulate")});
    return process_.waitForStarted(10000) ? QString() : process_.errorString();
}

bool ProgramOnDisplay::Close() {
    const QDeadlineTimer deadline(30000);
    while (process_.state() == QProcess::Running && !deadline.hasExpired()) {
        ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
        process_.waitForFinished(700);
    }
    Output();
    return process_.state() == QProcess::NotRunning && process_.exitStatus() == QProcess::NormalExit &&
           process_.exitCode() == 0;
}

QString ProgramOnDisplay::Output() {
    output_ += process_.readAll();
    return QString::fromLocal8Bit(output_);
}
