#pragma once

#include "session/SimulatedSession.h"

// Three sensors in storage mode: one waiting with a log to upload, one
// waiting and empty, one already logging.
inline const QString Waiting = QStringLiteral("Tq580-100000-001");
inline const QString WaitingEmpty = QStringLiteral("Tq580-100000-002");
inline const QString Running = QStringLiteral("Tq580-100000-003");

inline SimulatedSensorSpec StorageSensor(const QString& name, int stored, bool logging = false) {
    SimulatedSensorSpec sensorSetup;
    sensorSetup.name = name;
    sensorSetup.storedSamples = stored;
    sensorSetup.storedRateIndex = 4;  // 1 s
    sensorSetup.logging = logging;
    return sensorSetup;
}

class StorageSessionTest : public SimulatedSessionTest {
protected:
    // The storage page chosen and its first scan ended.
    AcquisitionSession& StartOnStoragePage(int waitingStored = 3000) {
        AcquisitionSession& s = Start({StorageSensor(Waiting, waitingStored), StorageSensor(WaitingEmpty, 0),
                                       StorageSensor(Running, 50, true)});
        s.PageChanged(1);
        Advance(5500);
        return s;
    }

    // Advances until the upload panel's first line reads text, or gives up.
    bool AdvanceUntilUploadSays(const QString& text, int64_t limitMilliseconds = 600000) {
        return AdvanceUntil([&] { return session->UploadPanel.Line1 == text; }, limitMilliseconds);
    }
};
