#pragma once

#include <QString>

// What the user has set on the pages at the moment a flow needs it.
struct UserChoices {
    bool realTimeAuxin = false;  // "Ext. Input" of the real-time page
    QString realTimePort;
    bool storageAuxin = false;   // "Ext. Input" of the storage page
    QString storagePort;
    int storageRateItem = 0;     // the storage page's rate (item i is rate index i + 1)
    int advertisedValueItem = 0; // what the sensors advertise (STO2, OXHb, DXHb, TOHb)
    bool mergeAfterUpload = false;
};

// What the session asks of the window. Every method has a do-nothing
// default, so the session runs headless in tests without any window.
class SessionView {
public:
    virtual ~SessionView() = default;

    // Show the session's control states, captions and panels again.
    virtual void Render() {}
    virtual void RepaintTrend() {}
    virtual void ShowStatusText(const QString&) {}
    // The trend view's state changed: its scroll bar, the panel's highlight
    // and a paint follow.
    virtual void RenderTrendView() {}
    // The message panel over the trend says "Connecting...".
    virtual void ShowConnectingMessage() {}
    virtual void HideMessagePanel() {}
    // The view controls for light levels (sensor check) or haemoglobin.
    virtual void ShowViewControlsFor(bool /*checkSensors*/) {}
    // The storage page's event log panel.
    virtual void ClearLog() {}
    virtual void AppendLogLine(const QString&) {}
    virtual void RefreshDeviceGrid() {}
    // Starts the discovery watchdog (6000 ms, one-shot).
    virtual void StartDiscoveryWatchdog() {}
    // The real-time page comes to the front without its page-change steps.
    virtual void ShowRealTimePageQuietly() {}
    // The user agreed to close, answering the questions closing asked.
    virtual void CloseWindow() {}
    // The sensors measured, the one shown, or their states changed.
    virtual void RenderSensors() {}
    virtual UserChoices Choices() const { return {}; }
};
