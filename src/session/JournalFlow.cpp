// The crash journals of the records in memory, each from the start of a
// measurement or an upload until its record is saved or discarded. The
// writer thread writes them; this side decides when and what.
#include "session/AcquisitionSession.h"
#include "session/Diagnostics.h"
#include "session/StringTable.h"

void AcquisitionSession::BeginJournal(Sensor& sensor, JournalKind kind) {
    // The record it replaces was saved or discarded after the question.
    EndJournal(sensor);
    sensor.Journalling = true;
    sensor.KindOfJournal = kind;
    FollowJournal(sensor);
}

void AcquisitionSession::EndJournal(Sensor& sensor) {
    if (!sensor.JournalOfRecord.Path().isEmpty()) diskWriter_.RemoveJournal(sensor.JournalOfRecord.Path());
    sensor.JournalOfRecord.Reset();
    sensor.Journalling = false;
    sensor.JournalBehind = false;
    sensor.JournalFailureShown = false;
}

void AcquisitionSession::EndJournals() {
    for (const auto& sensor : sensors_) EndJournal(*sensor);
}

void AcquisitionSession::JournalRecordChanged(Sensor& sensor, bool inPlace) {
    if (!sensor.Journalling) {
        // A record from a file, changed: journalled whole from now on.
        sensor.Journalling = true;
        sensor.KindOfJournal = JournalKind::EditedRecord;
    } else if (inPlace) {
        sensor.JournalOfRecord.Rewrite();
    }
    FollowJournal(sensor);
}

JournalHeader AcquisitionSession::CurrentJournalHeader(const Sensor& sensor) const {
    const SampleStore& store = sensor.Store;
    JournalHeader header;
    header.kind = sensor.KindOfJournal;
    // While a record is made, the name it will be saved under is the one the
    // sensor reported; the record takes it at its end.
    header.deviceId = sensor.KindOfJournal != JournalKind::EditedRecord && !store.ReceivedDeviceId.isEmpty()
                          ? store.ReceivedDeviceId
                          : store.RecordDeviceId;
    header.rateIndex = store.RecordRateIndex;
    header.startTime = store.RecordStartTime;
    return header;
}

void AcquisitionSession::FollowJournal() {
    for (const auto& sensor : sensors_) FollowJournal(*sensor);
}

// What changed since the last tick goes to the writer thread; a batch the
// disk did not take is tried again with the next, even an empty one.
void AcquisitionSession::FollowJournal(Sensor& sensor) {
    if (!sensor.Journalling) return;
    JournalBatch batch = sensor.JournalOfRecord.Take(sensor.Store, CurrentJournalHeader(sensor));
    if (batch.entries.empty() && !sensor.JournalBehind) return;
    diskWriter_.WriteJournal(std::move(batch));
}

Sensor* AcquisitionSession::SensorOfJournal(const QString& path) {
    for (const auto& sensor : sensors_)
        if (!path.isEmpty() && sensor->JournalOfRecord.Path() == path) return sensor.get();
    return nullptr;
}

void AcquisitionSession::JournalWritten(const QString& path, bool written, bool wholeNeeded, const QString& error) {
    FlowInput input(*this, "the disk's report");
    Sensor* sensor = SensorOfJournal(path);
    if (!sensor) return;  // a journal that has gone since
    if (wholeNeeded) sensor->JournalOfRecord.Rewrite();
    sensor->JournalBehind = !written;
    if (written) {
        sensor->JournalFailureShown = false;
        return;
    }
    qCWarning(lcSession) << "the crash journal" << path << "was not written:" << error;
    if (sensor->JournalFailureShown) return;
    // The journals share a disk: one message for them all.
    bool told = false;
    for (const auto& other : sensors_) told = told || other->JournalFailureShown;
    sensor->JournalFailureShown = true;
    if (!told) ErrorAfterHandler(MsgJournalNotWritten.arg(error));
}
