#pragma once

#include <QMap>
#include <QProcess>
#include <QStringList>
#include <functional>

// One line a second of a recording: the seconds since its first sample and
// each sensor's rows, battery and state.
struct SensorLine {
    int rows = 0;
    QString battery;  // "3.00 V", or "-"
    QString state;
};
struct ProgressLine {
    int seconds = 0;
    QMap<QString, SensorLine> sensors;
};

// The program run with --record in a working folder of the test's (where
// its crash journals go), read as it runs.
class RecordProgram {
public:
    explicit RecordProgram(const QString& workingFolder);
    ~RecordProgram();

    bool Start(const QStringList& arguments, const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
    // Reads until the condition holds; false when the program ended or
    // the limit passed first.
    bool ReadUntil(const std::function<bool()>& condition, int limitMilliseconds);
    // The exit code once the program has ended by itself; -1 when it
    // crashed or did not end within the limit (it is then killed).
    int Finish(int limitMilliseconds);
    void Signal(int signalNumber);

    QList<ProgressLine> progress;
    QByteArray output;  // everything on the output so far
    QByteArray errors;  // everything on the error output so far

private:
    void Read();
    QProcess process_;
    qsizetype parsedUpTo_ = 0;
};
