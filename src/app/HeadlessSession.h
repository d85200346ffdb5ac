#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

#include "app/ProgramFiles.h"
#include "data/Clock.h"
#include "session/AcquisitionSession.h"

// The acquisition session driven as the window drives it, for a command
// without a window: the supervision tick every 500 ms (the window's Timer1),
// the discovery watchdog (Timer2) and the central's events. The command
// answers for the page's choices and does its own part after each tick.
class HeadlessSession : public QObject, private SessionView {
public:
    HeadlessSession(BleCentral& central, Prompts& prompts, const ProgramFiles& files, UserChoices choices = {});
    ~HeadlessSession() override;

    AcquisitionSession& Session() { return session_; }
    const Clock& LocalClock() const { return clock_; }

    // The ticks begin; afterTick runs after each.
    void Start(std::function<void()> afterTick);
    // The timers stop, the session closes, and the event loop ends with the exit code.
    void Finish(int exitCode);

private:
    void StartDiscoveryWatchdog() override;
    UserChoices Choices() const override { return choices_; }

    SystemClock clock_;
    UserChoices choices_;
    AcquisitionSession session_;
    QTimer supervision_;
    QTimer watchdog_;
    std::function<void()> afterTick_;
};

// Why a command cannot begin: Bluetooth cannot be used, or the folder (made
// when missing) takes no files; empty when it can.
QString HeadlessStartProblem(const BleCentral& central, const QString& folder);
