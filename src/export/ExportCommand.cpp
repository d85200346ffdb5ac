#include "export/ExportCommand.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <memory>

#include "data/CsvOpenFlow.h"
#include "data/CsvReader.h"
#include "data/SampleStore.h"
#include "export/SnirfWriter.h"

QString ReadWholeRecordFile(SampleStore& store, const QString& path) {
    if (!QFileInfo(path).isFile()) return QStringLiteral("no such file");
    const CsvReadResult result = ReadRecordFile(store, path);
    if (!result.opened) return QString::fromLatin1(UnableToOpenFileText);
    if (result.readFailed) return QStringLiteral("the file could not be read to its end");
    if (!result.recordReplaced || result.formatError)
        return QString::fromLatin1(DataFormatErrorText) + QStringLiteral(" It is not a complete record file.");
    if (result.truncated)
        return QStringLiteral("the file holds more than %1 samples, more than a record can hold").arg(MaxSamples);
    if (store.SampleCount == 0) return QStringLiteral("the record holds no samples");
    return {};
}

QString SnirfPathFor(const QString& recordPath) {
    const QFileInfo info(recordPath);
    const QString base = info.suffix().isEmpty() ? info.fileName() : info.completeBaseName();
    // The folder part stays as it was given.
    return recordPath.left(recordPath.size() - info.fileName().size()) + base + QStringLiteral(".snirf");
}

int ExportSnirfFiles(const QStringList& inputs, const QString& output, const QString& subject, QTextStream& out,
                     QTextStream& err) {
    // One store for all files: it is as large as the longest record.
    const auto store = std::make_unique<SampleStore>();
    int failures = 0;
    for (const QString& input : inputs) {
        const QString target = output.isEmpty() ? SnirfPathFor(input) : output;
        QString failure;
        if (QFileInfo(target).absoluteFilePath() == QFileInfo(input).absoluteFilePath())
            failure = QStringLiteral("the output would replace the record file itself");
        if (failure.isEmpty()) failure = ReadWholeRecordFile(*store, input);
        if (failure.isEmpty()) {
            const SnirfWriteOutcome outcome = WriteSnirfFile(*store, target, subject);
            if (!outcome.written)
                failure = QStringLiteral("cannot write %1: %2").arg(QDir::toNativeSeparators(target), outcome.reason);
        }
        if (failure.isEmpty()) {
            out << QDir::toNativeSeparators(input) << " -> " << QDir::toNativeSeparators(target) << Qt::endl;
        } else {
            ++failures;
            err << QDir::toNativeSeparators(input) << ": " << failure << Qt::endl;
        }
    }
    return failures == 0 ? 0 : 1;
}
