#include "data/RecordFileNames.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "data/OleDate.h"

namespace {
// Far more than a folder of records of one sensor and second ever holds.
constexpr int MaxSuffix = 9999;

QString TwoDigits(int value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); }

// Any entry of that name, a link to nothing too.
bool EntryExists(const QString& path) {
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}
}  // namespace

QString RecordFileBaseName(const QString& sensorName, double startTime) {
    const DateTimeParts start = PartsFromOleDate(startTime);
    QString name = sensorName;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return name + QStringLiteral("_%1%2%3-%4%5%6")
                      .arg(start.year, 4, 10, QLatin1Char('0'))
                      .arg(TwoDigits(start.month), TwoDigits(start.day), TwoDigits(start.hour),
                           TwoDigits(start.minute), TwoDigits(start.second));
}

QString ClaimNewRecordFile(const QString& folder, const QString& baseName, QString* error, const QStringList& alsoFree) {
    for (int number = 1; number <= MaxSuffix; ++number) {
        const QString name = number == 1 ? baseName : baseName + QStringLiteral("_%1").arg(number);
        const QString stem = QDir(folder).filePath(name);
        if (std::any_of(alsoFree.begin(), alsoFree.end(), [&](const QString& suffix) { return EntryExists(stem + suffix); }))
            continue;
        const QString path = stem + QStringLiteral(".csv");
        // O_EXCL fails on any entry of that name, a link too, without following it.
        const int descriptor = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0) {
            ::close(descriptor);
            return path;
        }
        if (errno != EEXIST) {
            if (error) *error = QStringLiteral("Cannot create %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            return QString();
        }
    }
    if (error) *error = QStringLiteral("Every name from %1.csv to %1_%2.csv is taken in %3.").arg(baseName).arg(MaxSuffix).arg(folder);
    return QString();
}
