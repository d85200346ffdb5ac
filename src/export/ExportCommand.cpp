#include "export/ExportCommand.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <memory>

#include "data/CsvFormat.h"
#include "data/CsvLine.h"
#include "data/CsvOpenFlow.h"
#include "data/CsvReader.h"
#include "data/DirectoryEntry.h"
#include "data/SampleStore.h"
#include "export/SnirfWriter.h"

namespace {

// "line 7", "lines 7 and 9", "lines 7, 9, 12 and 3 more".
QString LineList(const std::vector<int32_t>& lines) {
    constexpr size_t Named = 10;
    QStringList named;
    for (size_t i = 0; i < lines.size() && i < Named; ++i) named << QString::number(lines[i]);
    if (lines.size() > Named) named << QStringLiteral("%1 more").arg(lines.size() - Named);
    if (named.size() == 1) return QStringLiteral("line ") + named.constFirst();
    const QString last = named.takeLast();
    return QStringLiteral("lines %1 and %2").arg(named.join(QStringLiteral(", ")), last);
}

QString Damage(const CsvReadResult& result) {
    QStringList parts;
    if (!result.shortRowLines.empty())
        parts << QStringLiteral("rows of fewer than %1 fields at %2, each written as a row without data so that the "
                                "later rows keep their times")
                     .arg(CsvFieldsPerRow)
                     .arg(LineList(result.shortRowLines));
    if (!result.longLines.empty())
        parts << QStringLiteral("lines longer than %1 characters at %2, the rest of each passed over")
                     .arg(MaxLineLength)
                     .arg(LineList(result.longLines));
    return parts.join(QStringLiteral("; "));
}

}  // namespace

RecordFileRead ReadWholeRecordFile(SampleStore& store, const QString& path) {
    const QFileInfo file(path);
    if (file.isDir()) return {QStringLiteral("this is a folder, not a record file"), {}};
    if (!file.exists()) return {QStringLiteral("no such file"), {}};
    if (!file.isFile()) return {QStringLiteral("this is not a record file"), {}};
    const CsvReadResult result = ReadRecordFile(store, path, ShortRows::KeepTheirPlace);
    if (!result.opened) return {QString::fromLatin1(UnableToOpenFileText), {}};
    if (result.readFailed) return {QStringLiteral("the file could not be read to its end"), {}};
    QString failure;
    if (!result.recordReplaced || result.formatError) {
        failure = QString::fromLatin1(DataFormatErrorText) + QStringLiteral(" It is not a complete record file");
        failure += result.errorLine > 0 ? QStringLiteral(": line %1 cannot be read.").arg(result.errorLine)
                                        : QStringLiteral(".");
    } else if (result.emptyLine > 0) {
        failure = QStringLiteral("line %1 is empty, which ends a record file, but %2 more lines follow it: the file is "
                                 "damaged and was not converted")
                      .arg(result.emptyLine)
                      .arg(result.linesAfterEmptyLine);
    } else if (result.truncated) {
        failure = QStringLiteral("the file holds more than %1 samples, more than a record can hold").arg(MaxSamples);
    } else if (store.SampleCount == 0) {
        failure = QStringLiteral("the record holds no samples");
    }
    if (!failure.isEmpty()) return {failure, {}};
    return {{}, Damage(result)};
}

QString SnirfPathFor(const QString& recordPath) {
    const QFileInfo info(recordPath);
    const QString base = info.suffix().isEmpty() ? info.fileName() : info.completeBaseName();
    // The folder part stays as it was given.
    return recordPath.left(recordPath.size() - info.fileName().size()) + base + QStringLiteral(".snirf");
}

int ExportSnirfFiles(const QStringList& inputs, const SnirfExportOptions& options, QTextStream& out,
                     QTextStream& err) {
    // One store for all files: it is as large as the longest record.
    const auto store = std::make_unique<SampleStore>();
    int failures = 0;
    for (const QString& input : inputs) {
        const QString target = options.output.isEmpty() ? SnirfPathFor(input) : options.output;
        const QString shownTarget = QDir::toNativeSeparators(target);
        QString failure;
        if (QFileInfo(target).absoluteFilePath() == QFileInfo(input).absoluteFilePath())
            failure = QStringLiteral("the output would replace the record file itself");
        else if (!options.overwrite && IsNameTaken(target))
            failure = QStringLiteral("%1 exists already; it is kept (--overwrite replaces it)").arg(shownTarget);
        RecordFileRead read;
        if (failure.isEmpty()) {
            read = ReadWholeRecordFile(*store, input);
            failure = read.failure;
        }
        if (failure.isEmpty()) {
            const SnirfWriteOutcome outcome = WriteSnirfFile(*store, target, options.subject,
                                                             options.overwrite ? ExistingSnirf::Replace : ExistingSnirf::Keep);
            if (!outcome.written) failure = QStringLiteral("cannot write %1: %2").arg(shownTarget, outcome.reason);
        }
        if (failure.isEmpty()) {
            out << QDir::toNativeSeparators(input) << " -> " << shownTarget << Qt::endl;
            if (!read.damage.isEmpty()) {
                ++failures;
                err << QDir::toNativeSeparators(input) << ": " << read.damage << Qt::endl;
            }
        } else {
            ++failures;
            err << QDir::toNativeSeparators(input) << ": " << failure << Qt::endl;
        }
    }
    return failures == 0 ? 0 : 1;
}
