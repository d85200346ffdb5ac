#include "session/SessionMode.h"

const char* SessionModeName(SessionMode mode) {
    switch (mode) {
        case SessionMode::Idle: return "idle";
        case SessionMode::ScanningForConnection: return "scanning for a connection";
        case SessionMode::Connecting: return "connecting";
        case SessionMode::Measuring: return "measuring";
        case SessionMode::SensorCheck: return "sensor check";
        case SessionMode::EndingMeasurement: return "ending a measurement";
        case SessionMode::StorageCycle: return "storage cycle";
        case SessionMode::EventLog: return "event log";
        case SessionMode::RemotePass: return "remote pass";
        case SessionMode::Uploading: return "uploading";
        case SessionMode::Saving: return "saving";
    }
    return "?";
}
