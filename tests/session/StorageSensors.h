#pragma once

#include "session/SimulatedSession.h"
#include "support/StorageSensorSetups.h"

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

    // Advances until the upload panel's first line reads text and its button
    // can be clicked (the save after a complete upload is done), or gives up.
    bool AdvanceUntilUploadSays(const QString& text, int64_t limitMilliseconds = 600000) {
        return AdvanceUntil([&] { return session->UploadPanel.Line1 == text && session->UploadPanel.OkEnabled; },
                            limitMilliseconds);
    }
};
