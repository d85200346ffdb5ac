// The save of each record of Upload all, without a question: the event
// log merged when it was ticked, a free name "<sensor>_<record start>.csv"
// in the folder (never replacing a file), the record file and its SNIRF
// file written by the writer thread from a copy, and only then the sensor
// told to clear its log.
#include <QFile>
#include <QFileInfo>

#include "data/CsvWriter.h"
#include "data/RecordFileNames.h"
#include "export/ExportCommand.h"
#include "link/Commands.h"
#include "session/AcquisitionSession.h"
#include "session/Diagnostics.h"
#include "session/StringTable.h"

void AcquisitionSession::SaveUploadAllRecord(UploadAllRun::Upload& upload) {
    SampleStore& store = upload.sensor->Store;
    UploadAllSensor& entry = SensorOfUpload(upload);
    store.RecordDeviceId = store.ReceivedDeviceId;
    if (uploadAll_.merge) MergeEventMarks(store, uploadAll_.eventLog);
    // The raw intensities are in no CSV file: as after a single upload,
    // the SNIRF file beside it keeps them.
    const bool snirf = store.HasRawIntensities && Exports.SnirfBesideUploads;
    const QString snirfSuffix = QStringLiteral(".snirf");
    QString error;
    upload.recordPath = ClaimNewRecordFile(uploadAll_.outcome.folder, RecordFileBaseName(entry.name, store.RecordStartTime),
                                           &error, snirf ? QStringList{snirfSuffix} : QStringList{});
    if (upload.recordPath.isEmpty()) {
        UploadAllFailed(upload, UploadAllStage::Failed, ReasonRecordNotWritten.arg(error));
        return;
    }
    upload.snirfPath = snirf ? SnirfPathFor(upload.recordPath) : QString();
    entry.progress = {UploadAllStage::Saving, 100};
    view_->RefreshDeviceGrid();
    diskWriter_.WriteRecordFile(CopyOfRecord(store), upload.recordPath, upload.snirfPath);
}

UploadAllRun::Upload* AcquisitionSession::UploadOfRecordFile(const QString& path) {
    for (UploadAllRun::Upload& upload : uploadAll_.uploads)
        if (upload.index >= 0 && upload.recordPath == path) return &upload;
    return nullptr;
}

void AcquisitionSession::UploadAllRecordWritten(UploadAllRun::Upload& upload, int result, const QString& error,
                                                double recordEndTime) {
    SampleStore& store = upload.sensor->Store;
    const CsvWriteOutcome outcome{static_cast<CsvWriteResult>(result), error};
    if (outcome.result != CsvWriteResult::CannotCreate) store.RecordEndTime = recordEndTime;
    if (outcome.result != CsvWriteResult::Written) {
        // The name was taken with an empty file, which holds nothing of the record.
        if (QFileInfo(upload.recordPath).size() == 0) QFile::remove(upload.recordPath);
        UploadAllFailed(upload, UploadAllStage::Failed, ReasonRecordNotWritten.arg(error));
        return;
    }
    SensorOfUpload(upload).files << QFileInfo(upload.recordPath).fileName();
    if (upload.snirfPath.isEmpty()) ClearUploadedSensor(upload);
    // Otherwise the SNIRF file's report follows.
}

void AcquisitionSession::SnirfFileWritten(const QString& recordPath, const QString& snirfPath, const QString& error) {
    FlowInput input(*this, "the disk's report");
    UploadAllRun::Upload* upload = UploadOfRecordFile(recordPath);
    if (!upload || upload->snirfPath != snirfPath) return;
    const QString name = QFileInfo(snirfPath).fileName();
    if (!error.isEmpty()) {
        // Clearing the log would lose the raw intensities.
        UploadAllFailed(*upload, UploadAllStage::Failed,
                        ReasonSnirfNotWritten.arg(QFileInfo(recordPath).fileName(), name, error));
        return;
    }
    SensorOfUpload(*upload).files << name;
    ClearUploadedSensor(*upload);
}

// Its files are written: the sensor's log may go.
void AcquisitionSession::ClearUploadedSensor(UploadAllRun::Upload& upload) {
    UploadAllSensor& entry = SensorOfUpload(upload);
    if (upload.sensor->Link.DeviceLinkReady) SendLogClear(upload.sensor->Link, central_, clock_);
    else entry.reason = ReasonNotCleared;
    entry.progress = {UploadAllStage::Saved};
    qCInfo(lcStorage) << "Upload all:" << entry.name << "saved as" << entry.files;
    LetGoOfUpload(upload);
}
