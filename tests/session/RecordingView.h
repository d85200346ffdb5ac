#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "session/AcquisitionSession.h"
#include "session/SessionMode.h"
#include "session/SessionView.h"

// Stands in for the window: records what the session asked of it and
// answers with the page settings the test set.
class RecordingView : public SessionView {
public:
    const AcquisitionSession* session = nullptr;  // whose mode each render records
    UserChoices choices;  // what Choices() answers

    int renders = 0;
    // The session's mode at each render, repeats left out: the transitions
    // the window was shown.
    QStringList renderedModes;
    int repaints = 0;
    QStringList statusTexts;
    int trendViewRenders = 0;
    TrendViewState lastTrendView;  // the view state the trend was last shown with
    int connectingMessages = 0;
    bool messagePanelShown = false;
    std::optional<bool> viewControlsForSensorCheck;
    QStringList logLines;  // the event log panel; ClearLog empties it
    int logClears = 0;
    int gridRefreshes = 0;
    int watchdogStarts = 0;
    int realTimePageShownQuietly = 0;
    std::function<void()> onWatchdogStart;
    std::function<void()> onRender;  // runs inside each render, as a user's click between events would

    QString LastStatusText() const { return statusTexts.isEmpty() ? QString() : statusTexts.last(); }
    QString LastLogLine() const { return logLines.isEmpty() ? QString() : logLines.last(); }

    void Render() override {
        ++renders;
        if (onRender) onRender();
        if (!session) return;
        const QString mode = QString::fromLatin1(SessionModeName(session->Mode()));
        if (renderedModes.isEmpty() || renderedModes.last() != mode) renderedModes << mode;
    }
    void RepaintTrend() override { ++repaints; }
    void ShowStatusText(const QString& text) override { statusTexts << text; }
    void RenderTrendView() override {
        ++trendViewRenders;
        if (session) lastTrendView = session->View;
    }
    void ShowConnectingMessage() override {
        ++connectingMessages;
        messagePanelShown = true;
    }
    void HideMessagePanel() override { messagePanelShown = false; }
    void ShowViewControlsFor(bool checkSensors) override { viewControlsForSensorCheck = checkSensors; }
    void ClearLog() override {
        ++logClears;
        logLines.clear();
    }
    void AppendLogLine(const QString& line) override { logLines << line; }
    void RefreshDeviceGrid() override { ++gridRefreshes; }
    void StartDiscoveryWatchdog() override {
        ++watchdogStarts;
        if (onWatchdogStart) onWatchdogStart();
    }
    void ShowRealTimePageQuietly() override { ++realTimePageShownQuietly; }
    UserChoices Choices() const override { return choices; }
};
