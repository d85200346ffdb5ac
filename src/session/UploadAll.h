#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "link/BleCentral.h"
#include "session/Sensor.h"
#include "storage/DeviceGrid.h"
#include "storage/EventMerge.h"

// One sensor of an "Upload all", in the order of the storage page's table.
struct UploadAllSensor {
    QString name;
    UploadAllProgress progress;
    QStringList files;  // written, without folder: the record file and its SNIRF file
    QString reason;     // why it was not saved, or why it keeps its log; empty when saved and cleared
};

// What an "Upload all" did: for the message at its end, or for a flow
// without a window.
struct UploadAllOutcome {
    QString folder;                  // where the files went
    QList<UploadAllSensor> sensors;  // every sensor it took on
    QString failure;                 // why it could not begin at all; empty when it began
    QString mergeProblem;            // why the event log could not be merged; empty when it was, or not asked

    // Every sensor that announced samples has its files; failed and stopped
    // ones have not.
    bool AllSaved() const;
    QStringList Names(UploadAllStage stage) const;
};

// The one message the user gets at the end: the files written, and the
// sensors not saved, each with its reason.
QString UploadAllMessage(const UploadAllOutcome& outcome);

// "Upload all" while it runs: the sensors still to upload, and those
// uploading now, each in a sensor object of its own, at most `parallel`.
struct UploadAllRun {
    UploadAllOutcome outcome;
    std::function<void(const UploadAllOutcome&)> done;  // empty: the user is told
    int parallel = 1;
    bool merge = false;               // "Merge events" as it was at the click
    QList<EventLogRecord> eventLog;   // read once: nothing adds to it while this runs
    int scanWaitTicks = 0;
    QList<BleDevicePtr> devices;      // what the scan found
    qsizetype next = 0;               // the next of outcome.sensors to start
    bool cancelled = false;
    bool nextQueued = false;          // the next uploads start once the current input is done
    struct Upload {
        std::unique_ptr<Sensor> sensor;
        qsizetype index = -1;         // its sensor in outcome.sensors; -1: free
        int headerWaitTicks = 0;      // ticks linked without a valid header
        QString recordPath;           // the files claimed for its record
        QString snirfPath;            // empty: none to write
    };
    std::vector<Upload> uploads;
};
