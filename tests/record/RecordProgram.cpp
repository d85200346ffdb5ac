#include "record/RecordProgram.h"

#include <QRegularExpression>
#include <csignal>
#include <optional>

namespace {

// "8 s | NAME: 80 rows, battery 3.00 V, measuring | ..."
std::optional<ProgressLine> ParseProgress(const QString& line) {
    static const QRegularExpression head(QStringLiteral("^(\\d+) s( \\| .*)$"));
    static const QRegularExpression sensor(QStringLiteral(" \\| ([^ :]+): (\\d+) rows, battery ([0-9.]+ V|-), (\\w+)"));
    const QRegularExpressionMatch match = head.match(line);
    if (!match.hasMatch()) return std::nullopt;
    ProgressLine progress;
    progress.seconds = match.captured(1).toInt();
    for (auto it = sensor.globalMatch(match.captured(2)); it.hasNext();) {
        const QRegularExpressionMatch part = it.next();
        progress.sensors[part.captured(1)] = {part.captured(2).toInt(), part.captured(3), part.captured(4)};
    }
    return progress;
}

}  // namespace

RecordProgram::RecordProgram(const QString& workingFolder) { process_.setWorkingDirectory(workingFolder); }

RecordProgram::~RecordProgram() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(10000);
}

bool RecordProgram::Start(const QStringList& arguments, const QProcessEnvironment& environment) {
    process_.setProcessEnvironment(environment);
    process_.start(QStringLiteral(TQ580_PROGRAM), arguments);
    return process_.waitForStarted(10000);
}

void RecordProgram::Read() {
    output += process_.readAllStandardOutput();
    errors += process_.readAllStandardError();
    for (qsizetype end = output.indexOf('\n', parsedUpTo_); end >= 0; end = output.indexOf('\n', parsedUpTo_)) {
        if (const auto line = ParseProgress(QString::fromUtf8(output.mid(parsedUpTo_, end - parsedUpTo_))))
            progress.append(*line);
        parsedUpTo_ = end + 1;
    }
}

bool RecordProgram::ReadUntil(const std::function<bool()>& condition, int limitMilliseconds) {
    for (int waited = 0; waited < limitMilliseconds; waited += 50) {
        process_.waitForReadyRead(50);
        Read();
        if (condition()) return true;
        if (process_.state() != QProcess::Running) return false;
    }
    return false;
}

int RecordProgram::Finish(int limitMilliseconds) {
    bool ended = false;
    for (int waited = 0; waited < limitMilliseconds && !ended; waited += 50) {
        ended = process_.waitForFinished(50) || process_.state() == QProcess::NotRunning;
        Read();
    }
    if (!ended) {
        process_.kill();
        process_.waitForFinished(10000);
        return -1;
    }
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

void RecordProgram::Signal(int signalNumber) { ::kill(static_cast<pid_t>(process_.processId()), signalNumber); }
