#include "session/SessionMode.h"

const char* SessionModeName(SessionMode mode) {
    switch (mode) {
        case SessionMode::Idle: return "idle";
        case SessionMode::StorageCycle: return "storage cycle";
        case SessionMode::ScanningForConnection: return "scanning for a connection";
        case SessionMode::ChoosingSensor: return "choosing a sensor";
        case SessionMode::Connecting: return "connecting";
        case SessionMode::Measuring: return "measuring";
        case SessionMode::SensorCheck: return "sensor check";
        case SessionMode::ReconnectScan: return "reconnecting: scanning";
        case SessionMode::ReconnectLink: return "reconnecting: connecting";
        case SessionMode::EndingMeasurement: return "ending a measurement";
        case SessionMode::EventLog: return "event log";
        case SessionMode::RemotePass: return "remote pass";
        case SessionMode::WaitingForUploadScan: return "waiting for the upload's scan";
        case SessionMode::Uploading: return "uploading";
        case SessionMode::UploadDone: return "upload done";
        case SessionMode::WaitingForUploadAllScan: return "waiting for the scan of Upload all";
        case SessionMode::UploadingAll: return "uploading all";
        case SessionMode::Saving: return "saving";
    }
    return "?";
}

bool ModeChangeAllowed(SessionMode from, SessionMode to) {
    using M = SessionMode;
    switch (from) {
        case M::Idle:
            return to == M::ScanningForConnection || to == M::EventLog || to == M::WaitingForUploadScan ||
                   to == M::WaitingForUploadAllScan;
        case M::ScanningForConnection:
            return to == M::ChoosingSensor || to == M::Idle;
        case M::ChoosingSensor:
            return to == M::Connecting || to == M::Idle;
        case M::Connecting:
            return to == M::Measuring || to == M::SensorCheck || to == M::Idle || to == M::EndingMeasurement ||
                   to == M::ReconnectScan;
        // With several sensors, each link comes and goes on its own: the
        // measurement's mode follows them.
        case M::Measuring:
        case M::SensorCheck:
        case M::ReconnectScan:
        case M::ReconnectLink:
            return to == M::Measuring || to == M::SensorCheck || to == M::ReconnectScan || to == M::ReconnectLink ||
                   to == M::EndingMeasurement;
        case M::EndingMeasurement:
            return to == M::Idle;
        case M::EventLog:
            return to == M::Idle;
        case M::WaitingForUploadScan:
            return to == M::Uploading || to == M::Idle;
        case M::Uploading:
            return to == M::UploadDone;
        case M::UploadDone:
            return to == M::Idle;
        case M::WaitingForUploadAllScan:
            return to == M::UploadingAll || to == M::Idle;
        case M::UploadingAll:
            return to == M::Idle;
        case M::StorageCycle:
        case M::RemotePass:
        case M::Saving:
            return false;  // not activities
    }
    return false;
}
