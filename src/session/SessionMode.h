#pragma once

// What the program is doing: the one place that says it. The session keeps
// one activity and changes it only through its transitions; a save or a
// remote pass under way stands over it while it runs. Each wait (for a
// sensor, a disk or a person) is one of these modes, which the next event
// moves on; none is a loop that waits. Guards read the mode; the control
// tags the window shows follow from it.
enum class SessionMode {
    Idle,                   // nothing runs; a record may be shown
    StorageCycle,           // idle on the storage page: it scans, one scan after the other
    ScanningForConnection,  // "Start" was clicked; the scan for the dialog runs
    ChoosingSensor,         // the connection dialog is open
    Connecting,             // a sensor was chosen; its link is not up yet (20 s at most)
    Measuring,              // a real-time record streams in
    SensorCheck,            // light levels stream in; never saved
    ReconnectScan,          // the link was lost: scanning for the sensor again, the record goes on
    ReconnectLink,          // the link was lost: the sensor was found and its link is coming up
    EndingMeasurement,      // "End" was clicked: the sensor is let go, the record closed; the save is offered
    EventLog,               // the storage page's event log runs
    RemotePass,             // a remote command goes to a sensor, one short connection each (10 s for a reply)
    WaitingForUploadScan,   // "Upload" was clicked; the scan that finds the sensor runs (15 s at most)
    Uploading,              // a sensor's stored record comes in
    UploadDone,             // the upload ended; its save and then its panel's OK
    WaitingForUploadAllScan,  // "Upload all" was clicked; the scan that finds the sensors runs (15 s at most)
    UploadingAll,           // every waiting sensor's stored record comes in, several at once, and is saved
    Saving,                 // the record file is written; nothing may change the record
};

const char* SessionModeName(SessionMode mode);

// The activities a flow may move between; a save and a remote pass stand
// over them and are not among them.
bool ModeChangeAllowed(SessionMode from, SessionMode to);
