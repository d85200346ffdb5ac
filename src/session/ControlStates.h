#pragma once

#include <QString>

// Which commands the window offers, as the flows leave them. The window
// shows them as they are; captions follow the control tags.
struct ControlStates {
    bool ConnectEnabled = true;           // "Start"/"End" of the real-time page
    bool ResetEnabled = false;            // "Value-Initialization"
    bool OpenEnabled = true;              // Open(&O)
    bool SaveEnabled = false;             // Save(&S)
    bool EditEnabled = false;             // the Edit menu
    bool ClearInitPointsEnabled = false;  // Clear value-initialization points(&C)
    bool RealTimeTabVisible = true;
    bool StorageTabVisible = true;
    bool ViewControlsEnabled = true;      // amplitude, average, data and arrangement
    bool StorageControlsEnabled = true;   // rate, value, Ext. Input, Upload, Off
    bool StartEnabled = true;             // "Start"/"End" of the storage page
    bool MergeEnabled = true;             // "Merge events"
    bool Busy = false;                    // the hourglass
    QString StorageMessage;               // the storage page's message panel; empty: hidden
};

// The upload panel over the trend.
struct UploadPanelState {
    bool Visible = false;
    QString Line1;
    QString Line2;
    QString Line3;  // "<file> Created." once the upload was saved
    bool ProgressVisible = false;
    int ProgressPercent = 0;
    bool OkEnabled = true;
};
