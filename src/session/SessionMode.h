#pragma once

// What the program is doing: the one place that says it. The session keeps
// one activity and changes it only through its transitions; the operations
// that run through nested event processing (ending a measurement, a remote
// pass, a save) stand over it while they run. Guards read the mode; the
// control tags the window shows follow from it.
enum class SessionMode {
    Idle,                   // nothing runs; a record may be shown
    StorageCycle,           // idle on the storage page: it scans, one scan after the other
    ScanningForConnection,  // "Start" was clicked; the scan for the dialog runs
    ChoosingSensor,         // the connection dialog is open, or about to open
    Connecting,             // a sensor was chosen; its link is not up yet
    Measuring,              // a real-time record streams in
    SensorCheck,            // light levels stream in; never saved
    ReconnectScan,          // the link was lost: scanning for the sensor again, the record goes on
    ReconnectLink,          // the link was lost: the sensor was found and its link is coming up
    EndingMeasurement,      // "End" was clicked: stop, disconnect, the save offer
    EventLog,               // the storage page's event log runs
    RemotePass,             // remote commands go to sensors, one short connection each
    WaitingForUploadScan,   // "Upload" was clicked; the scan that finds the sensor runs
    Uploading,              // a sensor's stored record comes in
    UploadDone,             // the upload ended; its panel waits for OK
    Saving,                 // the record is written; nothing may change it
};

const char* SessionModeName(SessionMode mode);

// The activities a flow may move between; operations are not among them.
bool ModeChangeAllowed(SessionMode from, SessionMode to);
