#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <functional>

namespace {

constexpr int HeaderLines = 5;  // S/N and rate, START, END, channel names, column names

long long SteadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QList<QByteArray> Lines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QList<QByteArray> lines = file.readAll().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

// Marks in the EVENT column: "S<n>" and "E<n>" each count once.
int MarksIn(const QList<QByteArray>& lines) {
    int marks = 0;
    for (qsizetype i = HeaderLines; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines[i].split(',');
        if (fields.size() > 6) marks += fields[6].count('S') + fields[6].count('E');
    }
    return marks;
}

struct Status {
    long long time;
    int samples;
    int marks;
};

class KillAndRecover : public ::testing::TestWithParam<const char*> {
protected:
    QTemporaryDir folder;
    QString data = folder.filePath(QStringLiteral("Data"));
    QString witnesses = folder.filePath(QStringLiteral("witnesses"));
    QList<Status> statuses;
    QByteArray output;

    void Read(QProcess& probe) {
        output += probe.readAllStandardOutput();
        statuses.clear();
        for (const QByteArray& line : output.split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            bool ok = false;
            const long long time = parts.value(0).toLongLong(&ok);
            if (ok && parts.size() == 3) statuses.append({time, parts[1].toInt(), parts[2].toInt()});
        }
    }
    bool RunUntil(QProcess& probe, const std::function<bool()>& condition, int limitMilliseconds) {
        for (int waited = 0; waited < limitMilliseconds; waited += 50) {
            probe.waitForReadyRead(50);
            Read(probe);
            if (condition()) return true;
            if (probe.state() != QProcess::Running) return false;
        }
        return false;
    }
    // The newest witness saved at least a second before the kill.
    QString WitnessBefore(long long time) const {
        QString best;
        long long bestTime = -1;
        for (const QString& name : QDir(witnesses).entryList({QStringLiteral("witness-*.csv")}, QDir::Files)) {
            const long long saved = name.mid(8, name.size() - 12).toLongLong();
            if (saved <= time && saved > bestTime) {
                best = QDir(witnesses).filePath(name);
                bestTime = saved;
            }
        }
        return best;
    }
};

TEST_P(KillAndRecover, TheRecordComesBackToTheLastSecond) {
    const QString mode = QString::fromLatin1(GetParam());
    QProcess probe;
    probe.start(QStringLiteral(TQ580_CRASH_PROBE), {mode, data, witnesses});
    ASSERT_TRUE(probe.waitForStarted());
    // A measurement at 10 samples a second runs 4 s with marks; an upload
    // of 8000 samples is killed part-way.
    const bool measuring = mode.startsWith(QStringLiteral("measure"));
    const auto enough = [&] {
        return !statuses.isEmpty() && (measuring ? statuses.last().samples >= 40 && statuses.last().marks >= 4
                                                 : statuses.last().samples >= 2500);
    };
    ASSERT_TRUE(RunUntil(probe, enough, 60000)) << output.right(2000).toStdString();
    RunUntil(probe, [] { return false; }, 700);  // the kill comes at no particular moment of a tick
    ASSERT_EQ(probe.state(), QProcess::Running);
    const long long killedAt = SteadyMilliseconds();
    ::kill(static_cast<pid_t>(probe.processId()), SIGKILL);
    ASSERT_TRUE(probe.waitForFinished(10000));
    Read(probe);
    if (!measuring) {
        ASSERT_LT(statuses.last().samples, 8000) << "the upload ended before the kill";
    }

    // What the program had stored a second before the kill.
    Status stored{0, 0, 0};
    for (const Status& status : statuses)
        if (status.time <= killedAt - 1000) stored = status;
    ASSERT_GT(stored.samples, 0);
    const QString witness = WitnessBefore(killedAt - 1000);
    ASSERT_FALSE(witness.isEmpty());

    QProcess next;
    next.start(QStringLiteral(TQ580_CRASH_PROBE), {QStringLiteral("recover"), data, witnesses});
    ASSERT_TRUE(next.waitForFinished(60000));
    const QByteArray told = next.readAllStandardOutput();
    EXPECT_EQ(next.exitCode(), 0);
    const QStringList recovered = QDir(data).entryList({QStringLiteral("Recovered *.csv")}, QDir::Files);
    ASSERT_EQ(recovered.size(), 1) << told.toStdString();
    const QString path = QDir(data).filePath(recovered[0]);
    EXPECT_TRUE(told.contains(QDir::toNativeSeparators(path).toUtf8())) << told.toStdString();
    EXPECT_EQ(told.count("NOTICE: "), 1) << told.toStdString();
    // No journal is left behind.
    EXPECT_EQ(QDir(data).entryList({QStringLiteral(".tq580-*")}, QDir::Files | QDir::Hidden), QStringList());

    const QList<QByteArray> lines = Lines(path);
    const QList<QByteArray> witnessLines = Lines(witness);
    ASSERT_GT(witnessLines.size(), HeaderLines);
    EXPECT_GE(lines.size() - HeaderLines, stored.samples);
    EXPECT_GE(MarksIn(lines), stored.marks);
    // Byte for byte as the save would have written it, but for the END line
    // of a record that went on after the witness.
    ASSERT_GE(lines.size(), witnessLines.size());
    for (qsizetype i = 0; i < witnessLines.size(); ++i)
        if (i != 2) {
            ASSERT_EQ(lines[i], witnessLines[i]) << "line " << i;
        }
}

INSTANTIATE_TEST_SUITE_P(Probe, KillAndRecover, ::testing::Values("measure", "upload", "measure-slow-disk"),
                         [](const auto& info) {
                             return QString::fromLatin1(info.param).remove(u'-').toStdString();
                         });

}  // namespace
