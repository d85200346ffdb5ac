#pragma once

// What the program is doing: the one place that says it. Flows change it
// at their transitions; guards read it.
enum class SessionMode {
    Idle,                   // nothing runs; a record may be shown
    ScanningForConnection,  // "Start" was clicked; the scan for the dialog runs
    Connecting,             // a sensor was chosen; its link is not up yet
    Measuring,              // a real-time record streams in
    SensorCheck,            // light levels stream in; never saved
    EndingMeasurement,      // "End" was clicked: stop, disconnect, the save offer
    StorageCycle,           // the storage page scans, one scan after the other
    EventLog,               // the storage page's event log runs
    RemotePass,             // remote commands go to sensors, one short connection each
    Uploading,              // a sensor's stored record comes in, or its panel still shows
    Saving,                 // the record is written; nothing may change it
};

const char* SessionModeName(SessionMode mode);
