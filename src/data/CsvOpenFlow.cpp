#include "data/CsvOpenFlow.h"

#include <QFileInfo>

#include "prompts/Prompts.h"
#include "data/CsvReader.h"
#include "data/OleDate.h"
#include "data/RateTable.h"
#include "data/SampleStore.h"

namespace {

// Rate index 0 has no item in the rate combo boxes; it still gets a label here.
QString RateLabel(int rateIndex) {
    if (rateIndex == 0) return QStringLiteral("0.05sec");
    if (!IsValidRateIndex(rateIndex)) return QString();
    return QString::fromLatin1(RateLabels[rateIndex]);
}

}  // namespace

QString OpenedRecordStatusText(const SampleStore& store, const QString& fileName) {
    return QStringLiteral("FileName[ ") + fileName + QStringLiteral(" ]    DeviceID[ ") + store.RecordDeviceId +
           QStringLiteral(" ]    Start[ ") + FormatDateTime(store.RecordStartTime) + QStringLiteral(" ]    Rate[ ") +
           RateLabel(store.RecordRateIndex) + QStringLiteral(" ]    Count[ ") + QString::number(store.SampleCount) +
           QStringLiteral(" ]");
}

OpenRecordOutcome OpenRecordFile(SampleStore& store, Prompts& prompts, const QString& path,
                                 const std::function<void(bool busy)>& busyCursor) {
    OpenRecordOutcome outcome;
    if (busyCursor) busyCursor(true);
    const CsvReadResult read = ReadRecordFile(store, path);
    if (busyCursor) busyCursor(false);

    outcome.sampleCursorCleared = read.lineZeroRead;
    if (!read.opened) {
        prompts.Error(QString::fromLatin1(UnableToOpenFileText));
        return outcome;
    }
    // A file that is not a record at all, down to an empty one, is a format
    // error too; the record in view stays.
    if (read.formatError || !read.lineZeroRead) prompts.Error(QString::fromLatin1(DataFormatErrorText));
    if (read.readFailed)
        prompts.Error(QStringLiteral("Unable to read the whole file; the part read is shown."));
    if (read.truncated)
        prompts.Notice(QStringLiteral("The file holds more than %1 samples; only the first %1 were opened.")
                           .arg(MaxSamples));
    if (!read.recordReplaced) return outcome;

    outcome.recordReplaced = true;
    if (store.SampleCount > 0) {
        store.InitPointsEditable = false;
        store.CurrentSample.time = store.RecordEndTime;
        outcome.editMenuEnabled = true;
        outcome.scrollBar = ScrollBarUpdate::ApplyScrollRangeRule;
        outcome.statusText = OpenedRecordStatusText(store, QFileInfo(path).fileName());
    } else {
        outcome.scrollBar = ScrollBarUpdate::Hide;
    }
    store.CheckSensorsMode = false;
    return outcome;
}
